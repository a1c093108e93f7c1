#include "shell/list_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include <cmath>

#include "shell/layout_settings.h"
#include "shell/loaded_files_list_widget.h"

namespace lumibench {

ListPane::ListPane(QWidget* parent) : QWidget(parent), widthTwips_(kDesignedPaneWidthTwips) {
    setObjectName("picDisplay");
    setMouseTracking(true);
    list_ = new LoadedFilesListWidget(this);
    summary_ = new QPlainTextEdit(this);
    summary_->setObjectName("txtLumData");
    summary_->setReadOnly(true);
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    summary_->viewport()->setMouseTracking(true);
    setWidthTwips(widthTwips_);
}

double ListPane::twipsPerPixel() const { return TwipsPerPixel(logicalDpiX()); }

int ListPane::toPixels(int twips) const {
    return static_cast<int>(std::lround(twips / twipsPerPixel()));
}

void ListPane::setWidthTwips(int twips) {
    widthTwips_ = twips;
    setFixedWidth(toPixels(twips));
    layoutChildren();
}

void ListPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void ListPane::layoutChildren() {
    const int innerWidth = toPixels(widthTwips_ - kGripWidthTwips);
    const auto geometry =
        PaneGeometryFor(static_cast<int>(std::lround(height() * twipsPerPixel())));
    if (!geometry) {
        list_->resize(innerWidth, list_->height());
        summary_->resize(innerWidth, summary_->height());
        return;
    }
    list_->setGeometry(0, 0, innerWidth, toPixels(geometry->listHeight));
    const int summaryHeight =
        geometry->summaryHeight ? toPixels(*geometry->summaryHeight) : summary_->height();
    summary_->setGeometry(0, toPixels(geometry->summaryTop), innerWidth, summaryHeight);
}

void ListPane::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The grip: a raised strip with a column of dots, so the splitter can be found.
    const int gripLeft = toPixels(widthTwips_ - kGripWidthTwips);
    const QRect grip(gripLeft, 0, width() - gripLeft, height());
    if (grip.width() <= 0) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(grip, palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(grip.topRight(), grip.bottomRight());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Dark));
    const QPointF centre = QRectF(grip).center();
    const double dot = std::max(1.5, grip.width() / 5.0);
    for (int i = -2; i <= 2; ++i) {
        painter.drawEllipse(QPointF(centre.x(), centre.y() + i * dot * 3), dot / 2, dot / 2);
    }
}

void ListPane::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(std::lround(event->position().x() * twipsPerPixel()));
    const bool toolOpen = anyToolWindowOpen && anyToolWindowOpen();
    const PaneMouseResult result =
        PaneMouseMove(x, widthTwips_, toolOpen, (event->buttons() & Qt::LeftButton) != 0);
    switch (result.pointer) {
    case PanePointer::Arrow: setCursor(Qt::ArrowCursor); break;
    case PanePointer::SizeWE: setCursor(Qt::SizeHorCursor); break;
    case PanePointer::Unchanged: break;
    }
    if (result.newPaneWidth) {
        dragging_ = true;
        setWidthTwips(*result.newPaneWidth);
    }
}

void ListPane::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (dragging_) {
        dragging_ = false;
        emit dragFinished();
    }
}

}  // namespace lumibench
