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

    // Shown while the list is empty, so a new user sees where files go.
    void setPlaceholderText(const QString& text);
    QString placeholderText() const { return placeholder_; }

signals:
    // Local files of a drop, in the order the drop lists them.
    void filesDropped(const std::vector<std::string>& paths);
    // A mouse button went down over line `row` (-1: over no line).
    void linePressed(int row, bool leftButton);
    // The left button went up over line `row` (-1: over no line), after the
    // control's own handling.
    void leftButtonReleased(int row);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString placeholder_;
};

}  // namespace lumibench
