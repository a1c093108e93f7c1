#include "dialogs/banner_dialog.h"

#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>
#include <system_error>

#include "dialogs/dialog_services.h"
#include "dialogs/image_box.h"
#include "dialogs/image_file.h"
#include "core/message_sink.h"

namespace lumibench {
namespace {

constexpr int kHelpTopic = 13;
const QSize kBoxSize(480, 160);

QPushButton* AddButton(QVBoxLayout* column, const char* caption, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(name);
    column->addWidget(button);
    return button;
}

}  // namespace

namespace dialogs {

bool ClipboardHasImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage() && !QGuiApplication::clipboard()->image().isNull();
}

constexpr const char* kPastedPrefix = "Banner-";
constexpr const char* kPastedSuffix = ".bmp";

std::string PastedBannerPath(const std::string& folder) {
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss");
    for (int n = 1;; ++n) {
        std::string path = folder + "/" + kPastedPrefix + stamp.toStdString() +
                           (n > 1 ? "-" + std::to_string(n) : "") + kPastedSuffix;
        std::error_code error;
        if (!std::filesystem::exists(path, error)) return path;
    }
}

int RemoveUnusedPastedBanners(const std::string& folder, const std::string& inUse) {
    namespace fs = std::filesystem;
    if (folder.empty()) return 0;
    std::error_code error;
    const fs::path kept = inUse.empty() ? fs::path() : fs::weakly_canonical(inUse, error);
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPastedPrefix) || !name.ends_with(kPastedSuffix) ||
            !entry.is_regular_file(error)) {
            continue;
        }
        std::error_code same;
        if (!kept.empty() && fs::weakly_canonical(entry.path(), same) == kept) continue;
        if (fs::remove(entry.path(), same)) ++removed;
    }
    return removed;
}

}  // namespace dialogs

frmBanner::frmBanner(DialogServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName("frmBanner");
    setWindowTitle(tr("Banner Image"));

    auto* frame = new QGroupBox(tr("Banner Image"));
    auto* frameLayout = new QVBoxLayout(frame);
    box_ = new dialogs::ImageBox("LEAD1", kBoxSize);
    frameLayout->addWidget(box_, 0, Qt::AlignCenter);
    frame->setMinimumSize(kBoxSize + QSize(24, 40));

    auto* buttons = new QVBoxLayout;
    connect(AddButton(buttons, "&Import...", "cmdImport"), &QPushButton::clicked, this, &frmBanner::importImage);
    connect(AddButton(buttons, "&Print", "cmdPrint"), &QPushButton::clicked, this, &frmBanner::printImage);
    connect(AddButton(buttons, "C&lear", "cmdClear"), &QPushButton::clicked, this, &frmBanner::clearImage);
    buttons->addStretch();
    connect(AddButton(buttons, "&Help", "cmdHelp"), &QPushButton::clicked, this,
            [this] { services_.HelpTopic(kHelpTopic); });
    connect(AddButton(buttons, "Cancel", "cmdCancel"), &QPushButton::clicked, this, &frmBanner::reject);
    auto* ok = AddButton(buttons, "OK", "cmdOk");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmBanner::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    editMenu_ = new QMenu("&Edit", this);
    editMenu_->setObjectName("mnuEdit");
    const char* captions[] = {"Cu&t", "&Copy", "&Paste"};
    for (int i = 0; i < 3; ++i) {
        QAction* item = editMenu_->addAction(captions[i]);
        item->setObjectName(QString("mnuEditItem%1").arg(i));
    }
    const auto items = editMenu_->actions();
    connect(items[0], &QAction::triggered, this, &frmBanner::cutImage);
    connect(items[1], &QAction::triggered, this, &frmBanner::copyImage);
    connect(items[2], &QAction::triggered, this, &frmBanner::pasteImage);

    connect(box_, &dialogs::ImageBox::cutRequested, this, &frmBanner::cutImage);
    connect(box_, &dialogs::ImageBox::activated, this, &frmBanner::importImage);
    connect(box_, &dialogs::ImageBox::copyRequested, this, &frmBanner::copyImage);
    connect(box_, &dialogs::ImageBox::pasteRequested, this, &frmBanner::pasteImage);
    connect(box_, &dialogs::ImageBox::contextMenuAt, this, [this](QPoint at) { editMenu()->popup(at); });

    currentFile_ = services_.bannerPath;
    showCurrentFile();
}

void frmBanner::showCurrentFile() { box_->showFile(currentFile_, services_.messages); }

void frmBanner::importImage() {
    std::string chosen;
    if (services_.hooks.chooseImageFile) {
        chosen = services_.hooks.chooseImageFile(this);
    } else {
        chosen = QFileDialog::getOpenFileName(
                     this, "Select Image File", QString(),
                     "Image Files (*.bmp *.wmf *.jpg *.jpeg *.png *.BMP *.WMF *.JPG *.JPEG *.PNG)")
                     .toStdString();
    }
    if (chosen.empty()) return;
    currentFile_ = chosen;
    showCurrentFile();
}

void frmBanner::clearImage() { box_->clear(); }

void frmBanner::cutImage() {
    copyImage();
    clearImage();
}

void frmBanner::copyImage() {
    if (box_->hasImage()) QGuiApplication::clipboard()->setImage(box_->image());
}

void frmBanner::pasteImage() {
    if (!dialogs::ClipboardHasImage()) return;
    // The pasted picture is kept as a file of its own so that OK can store
    // its path; a fixed name would overwrite the banner a report still uses.
    std::error_code ignored;
    std::filesystem::create_directories(services_.userDataFolder, ignored);
    const std::string path = dialogs::PastedBannerPath(services_.userDataFolder);
    if (!dialogs::SaveBitmap24(dialogs::BannerForKeeping(QGuiApplication::clipboard()->image()), path)) {
        box_->showImage(QImage());
        services_.messages.show({dialogs::kImageLoadTitle, dialogs::kImageLoadText, MessageIcon::Exclamation,
                                 MessageButtons::Ok, true});
        return;
    }
    currentFile_ = path;
    showCurrentFile();
}

void frmBanner::printImage() {
    if (!box_->hasImage()) return;
    QPrinter printer(QPrinter::HighResolution);
    bool chosen = false;
    if (services_.hooks.choosePrinter) {
        chosen = services_.hooks.choosePrinter(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (!chosen) return;
    const double widthInches = kBannerPrintInches * box_->shownSize().width() / box_->innerSize().width();
    dialogs::PrintImage(printer, box_->image(), widthInches);
}

QMenu* frmBanner::editMenu() {
    editMenu_->actions()[2]->setEnabled(dialogs::ClipboardHasImage());
    return editMenu_;
}

void frmBanner::accept() {
    services_.bannerPath = box_->hasImage() ? currentFile_ : std::string();
    services_.bannerCancelled = false;
    QDialog::accept();
}

void frmBanner::reject() {
    services_.bannerCancelled = true;
    QDialog::reject();
}

}  // namespace lumibench
