#include "shell/loaded_files_list_widget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace lumibench {
namespace {

std::vector<std::string> LocalFiles(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

}  // namespace

LoadedFilesListWidget::LoadedFilesListWidget(QWidget* parent) : QListWidget(parent) {
    setObjectName("lstLoadedFilesList");
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void LoadedFilesListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void LoadedFilesListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void LoadedFilesListWidget::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = LocalFiles(event->mimeData());
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

void LoadedFilesListWidget::setPlaceholderText(const QString& text) {
    placeholder_ = text;
    viewport()->update();
}

void LoadedFilesListWidget::mousePressEvent(QMouseEvent* event) {
    const int row = indexAt(event->position().toPoint()).row();
    QListWidget::mousePressEvent(event);
    emit linePressed(row, event->button() == Qt::LeftButton);
}

void LoadedFilesListWidget::mouseReleaseEvent(QMouseEvent* event) {
    const int row = indexAt(event->position().toPoint()).row();
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit leftButtonReleased(row);
    }
}

void LoadedFilesListWidget::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (count() > 0 || placeholder_.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    QColor colour = palette().color(QPalette::PlaceholderText);
    painter.setPen(colour);
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8),
                     Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, placeholder_);
}

}  // namespace lumibench
