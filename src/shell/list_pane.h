#pragma once
// picDisplay: the left pane holding the loaded files list above the summary
// box, with the splitter grip along its right edge. Lengths follow the twips
// rules of layout_settings.h; this widget only converts to pixels.

#include <QWidget>

#include <functional>

class QPlainTextEdit;

namespace lumibench {

class LoadedFilesListWidget;

class ListPane : public QWidget {
    Q_OBJECT

public:
    explicit ListPane(QWidget* parent = nullptr);

    LoadedFilesListWidget* list() const { return list_; }
    QPlainTextEdit* summary() const { return summary_; }

    int widthTwips() const { return widthTwips_; }
    void setWidthTwips(int twips);
    double twipsPerPixel() const;
    bool dragging() const { return dragging_; }

    // True while a tool window is open: the grip then neither shows its pointer nor drags.
    std::function<bool()> anyToolWindowOpen;

signals:
    // A drag of the grip ended; the layout is to be saved.
    void dragFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void layoutChildren();
    int toPixels(int twips) const;

    LoadedFilesListWidget* list_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    int widthTwips_;
    bool dragging_ = false;
};

}  // namespace lumibench
