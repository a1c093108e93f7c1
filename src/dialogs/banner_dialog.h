#pragma once
// The Banner Image dialog: chooses the picture that report tools print at the
// head of their pages. OK makes the shown picture the program-wide banner
// path; Cancel leaves it and sets the banner-cancelled flag.

#include <QDialog>

#include <string>

class QMenu;

namespace lumibench {

struct DialogServices;
namespace dialogs {
class ImageBox;
}

// The printed width of a banner that fills the box, in inches.
inline constexpr double kBannerPrintInches = 6.5;

class frmBanner : public QDialog {
    Q_OBJECT
public:
    frmBanner(DialogServices& services, QWidget* parent = nullptr);

    const std::string& currentFile() const { return currentFile_; }
    dialogs::ImageBox* imageBox() const { return box_; }

    void importImage();
    void clearImage();
    // Copies, then clears: a cut that only cleared would lose the picture.
    void cutImage();
    void copyImage();
    void pasteImage();
    void printImage();
    // The Edit menu as the right mouse button shows it, Paste enabled only
    // when the clipboard holds a picture.
    QMenu* editMenu();

    void accept() override;
    void reject() override;

private:
    void showCurrentFile();

    DialogServices& services_;
    dialogs::ImageBox* box_ = nullptr;
    QMenu* editMenu_ = nullptr;
    std::string currentFile_;
};

namespace dialogs {
// True when the clipboard holds a picture that can be pasted.
bool ClipboardHasImage();
// A fresh file name for a pasted banner in `folder`, never one in use.
std::string PastedBannerPath(const std::string& folder);
// Deletes the pasted banners in `folder` that `inUse` does not name; they
// would otherwise pile up with every paste. Returns how many went.
int RemoveUnusedPastedBanners(const std::string& folder, const std::string& inUse);
}  // namespace dialogs

}  // namespace lumibench
