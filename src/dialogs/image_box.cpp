#include "dialogs/image_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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
    QImage image = LoadImageFile(path);
    if (image.isNull()) {
        clear();
        messages.show({kImageLoadTitle, kImageLoadText, MessageIcon::Exclamation, MessageButtons::Ok, true});
        return false;
    }
    showImage(image);
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
    if (image_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(contentsRect().topLeft(), shownSize_), image_);
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) emit clicked();
    if (event->button() == Qt::RightButton) emit contextMenuAt(event->globalPosition().toPoint());
    QFrame::mousePressEvent(event);
}

void ImageBox::keyPressEvent(QKeyEvent* event) {
    // The letters alone or with Ctrl both work.
    switch (event->key()) {
        case Qt::Key_X: emit cutRequested(); return;
        case Qt::Key_C: emit copyRequested(); return;
        case Qt::Key_V: emit pasteRequested(); return;
        default: QFrame::keyPressEvent(event);
    }
}

}  // namespace lumibench::dialogs
