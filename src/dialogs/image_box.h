#pragma once
// The picture box of the banner, settings and About dialogs: shows one
// picture fitted into its initial size and shrinks to the picture's shown size.

#include <QFrame>
#include <QImage>

#include <string>

namespace lumibench {
class MessageSink;
}

namespace lumibench::dialogs {

inline constexpr const char* kImageLoadTitle = "Create Imageport";
inline constexpr const char* kImageLoadText = "Unable to load selected image, please select another image.";

class ImageBox : public QFrame {
    Q_OBJECT
public:
    ImageBox(const QString& objectName, QSize initialSize, QWidget* parent = nullptr);

    QSize initialSize() const { return initialSize_; }
    // The inner size of the box at its initial size, which pictures fit into.
    QSize innerSize() const;

    // Shows `path` fitted into the box; an empty or missing path clears the
    // box quietly. A file that cannot be read clears it and shows the
    // load-failure message. Returns true when a picture is shown.
    bool showFile(const std::string& path, MessageSink& messages);
    // Shows an image already in memory; a null image clears the box.
    void showImage(const QImage& image);
    void clear();

    bool hasImage() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }
    QSize shownSize() const { return shownSize_; }

signals:
    void clicked();
    // Space or Enter with the focus on the box: what a click does for the mouse.
    void activated();
    void contextMenuAt(QPoint globalPosition);
    void cutRequested();
    void copyRequested();
    void pasteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void resetSize();

    QSize initialSize_;
    QImage image_;
    QSize shownSize_;
};

}  // namespace lumibench::dialogs
