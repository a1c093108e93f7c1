// The Banner Image dialog: import, clear, the Edit menu and its keys, paste
// kept as a file, printing to PDF, and what OK and Cancel leave behind.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "dialogs/banner_dialog.h"
#include "dialogs/image_box.h"
#include "dialogs/image_file.h"
#include "dialogs_fixture.h"

namespace lumibench {
namespace {

using test::DialogsTest;

class BannerDialogTest : public DialogsTest {
protected:
    void Click(QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    QImage Picture(QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
};

TEST_F(BannerDialogTest, MissingBannerOpensEmptyWithoutMessage) {
    services.bannerPath = scratch.filePath("gone.jpg").toStdString();
    frmBanner dialog(services);
    EXPECT_EQ(dialog.windowTitle(), "Banner Image");
    EXPECT_FALSE(dialog.imageBox()->hasImage());
    EXPECT_TRUE(messages.shown.empty());
    Click(dialog, "cmdOk");
    EXPECT_EQ(services.bannerPath, "") << "OK with an empty box empties the banner";
}

TEST_F(BannerDialogTest, ImportOkAndCancel) {
    const std::string wide = test::WritePicture(scratch, "wide.bmp", {800, 100}, "BMP");
    const std::string chosen = test::WriteMetafile(scratch, "logo.wmf", 144, 144);
    for (const bool ok : {false, true}) {
        services.bannerPath = wide;
        services.bannerCancelled = !ok;
        frmBanner dialog(services);
        ASSERT_TRUE(dialog.imageBox()->hasImage());
        EXPECT_EQ(dialog.imageBox()->shownSize().width(), dialog.imageBox()->innerSize().width());

        services.hooks.chooseImageFile = [](QWidget*) { return std::string(); };
        Click(dialog, "cmdImport");  // cancelled: nothing changes
        EXPECT_EQ(dialog.currentFile(), wide);
        services.hooks.chooseImageFile = [&](QWidget*) { return chosen; };
        Click(dialog, "cmdImport");
        EXPECT_EQ(dialog.currentFile(), chosen);
        EXPECT_EQ(dialog.imageBox()->shownSize().height(), dialog.imageBox()->innerSize().height());

        Click(dialog, ok ? "cmdOk" : "cmdCancel");
        EXPECT_EQ(services.bannerPath, ok ? chosen : wide);
        EXPECT_EQ(services.bannerCancelled, !ok);
    }
}

TEST_F(BannerDialogTest, CorruptImportLeavesBoxEmpty) {
    services.bannerPath = test::WritePicture(scratch, "good.png", {200, 50}, "PNG");
    const std::string corrupt = test::WriteGarbage(scratch, "corrupt.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + "junk");
    services.hooks.chooseImageFile = [&](QWidget*) { return corrupt; };
    frmBanner dialog(services);
    Click(dialog, "cmdImport");
    EXPECT_FALSE(dialog.imageBox()->hasImage());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, dialogs::kImageLoadText);
    Click(dialog, "cmdOk");
    EXPECT_EQ(services.bannerPath, "");
}

TEST_F(BannerDialogTest, KeysAndEditMenu) {
    services.bannerPath = test::WritePicture(scratch, "logo.bmp", {300, 60}, "BMP", QColor(0, 128, 0));
    frmBanner dialog(services);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    EXPECT_FALSE(dialog.editMenu()->actions()[2]->isEnabled()) << "nothing to paste";
    QTest::keyClick(dialog.imageBox(), Qt::Key_V);  // pasting nothing changes nothing
    EXPECT_TRUE(dialog.imageBox()->hasImage());

    QTest::keyClick(dialog.imageBox(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->image().pixelColor(1, 1), QColor(0, 128, 0));
    EXPECT_TRUE(dialog.editMenu()->actions()[2]->isEnabled());

    clipboard->clear();
    QTest::keyClick(dialog.imageBox(), Qt::Key_X);
    EXPECT_FALSE(dialog.imageBox()->hasImage());
    EXPECT_EQ(dialog.imageBox()->size(), dialog.imageBox()->initialSize());
    EXPECT_EQ(clipboard->image().pixelColor(1, 1), QColor(0, 128, 0)) << "cut copies before it clears";
    // Pasting back what was cut restores it.
    QTest::keyClick(dialog.imageBox(), Qt::Key_V);
    ASSERT_TRUE(dialog.imageBox()->hasImage());
    EXPECT_EQ(dialog.imageBox()->image().pixelColor(1, 1), QColor(0, 128, 0));

    // The keyboard's way in: Space or Enter imports, and Enter does not close the dialog.
    int imports = 0;
    services.hooks.chooseImageFile = [&imports](QWidget*) { ++imports; return std::string(); };
    dialog.show();
    dialog.imageBox()->setFocus();
    QTest::keyClick(dialog.imageBox(), Qt::Key_Space);
    QTest::keyClick(dialog.imageBox(), Qt::Key_Return);
    EXPECT_EQ(imports, 2);
    EXPECT_TRUE(dialog.isVisible());
    int menus = 0;
    QObject::connect(dialog.imageBox(), &dialogs::ImageBox::contextMenuAt, [&menus](QPoint) { ++menus; });
    QTest::keyClick(dialog.imageBox(), Qt::Key_F10, Qt::ShiftModifier);
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(2, 2), dialog.imageBox()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(dialog.imageBox(), &byKey);
    EXPECT_EQ(menus, 2);
    dialog.editMenu()->hide();
    EXPECT_FALSE(dialog.imageBox()->accessibleName().isEmpty());

    const QStringList captions = {"Cu&t", "&Copy", "&Paste"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.editMenu()->actions()[i]->text(), captions[i]);
        EXPECT_EQ(dialog.editMenu()->actions()[i]->objectName(), QString("mnuEditItem%1").arg(i));
    }
    EXPECT_EQ(dialog.editMenu()->objectName(), "mnuEdit");
    EXPECT_EQ(dialog.editMenu()->title(), "&Edit");
}

// A pasted picture becomes a file of its own in the data folder and the
// current file, so OK stores it and a later paste cannot overwrite it.
TEST_F(BannerDialogTest, PastedPictureIsKeptAndStored) {
    services.bannerPath = test::WritePicture(scratch, "old.jpg", {300, 100}, "JPG");
    std::string firstPaste;
    for (const QColor colour : {QColor(200, 0, 0), QColor(0, 0, 200)}) {
        QGuiApplication::clipboard()->setImage(Picture({500, 100}, colour));
        frmBanner dialog(services);
        dialog.editMenu()->actions()[2]->trigger();
        ASSERT_TRUE(dialog.imageBox()->hasImage());
        const std::string pasted = dialog.currentFile();
        EXPECT_EQ(std::filesystem::path(pasted).parent_path(), services.userDataFolder);
        Click(dialog, "cmdOk");
        EXPECT_EQ(services.bannerPath, pasted);
        ASSERT_TRUE(QFile::exists(QString::fromStdString(pasted)));
        EXPECT_EQ(dialogs::LoadImageFile(pasted).pixelColor(10, 10), colour);
        if (firstPaste.empty()) {
            firstPaste = pasted;
        } else {
            EXPECT_NE(pasted, firstPaste);
            EXPECT_EQ(dialogs::LoadImageFile(firstPaste).pixelColor(10, 10), QColor(200, 0, 0));
        }
    }
}

TEST_F(BannerDialogTest, PastedCopiesNoSettingUsesAreRemoved) {
    std::filesystem::create_directories(services.userDataFolder);
    const auto pasted = [this](const char* name) {
        const std::string path = services.userDataFolder + "/" + name;
        test::WriteGarbage(scratch, "x", "x");
        std::filesystem::copy_file(scratch.filePath("x").toStdString(), path);
        return path;
    };
    const std::string kept = pasted("Banner-20260101-120000.bmp");
    const std::string stale = pasted("Banner-20260101-120001.bmp");
    const std::string other = pasted("report.txt");
    EXPECT_EQ(dialogs::RemoveUnusedPastedBanners(services.userDataFolder, kept), 1);
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_EQ(dialogs::RemoveUnusedPastedBanners(services.userDataFolder, ""), 1);
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(BannerDialogTest, PrintsToPdf) {
    services.bannerPath = test::WritePicture(scratch, "logo.png", {600, 150}, "PNG");
    const QString pdf = scratch.filePath("banner.pdf");
    int asked = 0;
    services.hooks.choosePrinter = [&](QPrinter& printer, QWidget*) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    frmBanner dialog(services);
    Click(dialog, "cmdPrint");
    EXPECT_EQ(asked, 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_GT(file.size(), 1000);

    Click(dialog, "cmdClear");
    Click(dialog, "cmdPrint");
    EXPECT_EQ(asked, 1) << "nothing to print";
}

}  // namespace
}  // namespace lumibench
