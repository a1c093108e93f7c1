#pragma once
// lstLoadedFilesList: the loaded files list with check boxes. It only reports
// what the user did; frmLumibench decides what follows.

#include <QListWidget>

#include <string>
#include <vector>

namespace lumibench {

class LoadedFilesListWidget : public QListWidget {
    Q_OBJECT

public:
    explicit LoadedFilesListWidget(QWidget* parent = nullptr);

signals:
    // Local files of a drop, in the order the drop lists them.
    void filesDropped(const std::vector<std::string>& paths);
    // The left button went up over the list, after the control's own handling.
    void leftButtonReleased();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace lumibench
