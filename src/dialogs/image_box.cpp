#include "dialogs/image_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QContextMenuEvent>

#include "dialogs/dialog_services.h"
#include "dialogs/image_file.h"
#include "core/message_sink.h"

namespace lumibench::dialogs {

ImageBox::ImageBox(const QString& objectName, QSize initialSize, QWidget* parent)
    : QFrame(parent), initialSize_(initialSize) {
    setObjectName(objectName);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    // Named for screen readers after the control it stands for.
    setAccessibleName(objectName == QLatin1String("LEAD1") ? tr("Picture") : objectName);
    resetSize();
}

QSize ImageBox::innerSize() const {
    const int border = 2 * frameWidth();
    return {std::max(1, initialSize_.width() - border), std::max(1, initialSize_.height() - border)};
}

void ImageBox::resetSize() { setFixedSize(initialSize_); }

bool ImageBox::showFile(const std::string& path, MessageSink& messages) {
    resetSize();
    if (path.empty() || !PathExists(path)) {
        clear();
        return false;
    }
    const ImageRead read = ReadImageFile(path);
    if (read.image.isNull()) {
        clear();
        const std::string text =
            read.failure == ImageRead::Failure::TooLarge
                ? QString::fromUtf8(kImageTooLargeText).arg(read.size.width()).arg(read.size.height()).toStdString()
                : std::string(kImageLoadText);
        messages.show({kImageLoadTitle, text, MessageIcon::Exclamation, MessageButtons::Ok, true});
        return false;
    }
    showImage(read.image);
    return true;
}

void ImageBox::showImage(const QImage& image) {
    resetSize();
    if (image.isNull()) {
        clear();
        return;
    }
    image_ = image;
    shownSize_ = FitImageSize(image.size(), innerSize());
    const int border = 2 * frameWidth();
    setFixedSize(shownSize_.width() + border, shownSize_.height() + border);
    update();
}

void ImageBox::clear() {
    image_ = QImage();
    shownSize_ = QSize();
    resetSize();
    update();
}

void ImageBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (!image_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(contentsRect().topLeft(), shownSize_), image_);
    }
    if (hasFocus()) {
        // The box takes the Tab focus, so it shows it like any other control.
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = contentsRect().adjusted(1, 1, -1, -1);
        option.backgroundColor = palette().color(QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(contentsRect().adjusted(1, 1, -2, -2));
    }
}

void ImageBox::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update();
}

void ImageBox::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    update();
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) emit clicked();
    if (event->button() == Qt::RightButton) emit contextMenuAt(event->globalPosition().toPoint());
    QFrame::mousePressEvent(event);
}

void ImageBox::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu comes with its press; this one is the keyboard's.
    if (event->reason() == QContextMenuEvent::Mouse) return;
    emit contextMenuAt(mapToGlobal(rect().center()));
}

void ImageBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        emit contextMenuAt(mapToGlobal(rect().center()));
        return;
    }
    // The letters alone or with Ctrl both work.
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Taken here, so Enter does not also press the dialog's default button.
            emit activated();
            return;
        case Qt::Key_X: emit cutRequested(); return;
        case Qt::Key_C: emit copyRequested(); return;
        case Qt::Key_V: emit pasteRequested(); return;
        default: QFrame::keyPressEvent(event);
    }
}

}  // namespace lumibench::dialogs
