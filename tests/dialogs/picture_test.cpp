// Picture files of every accepted format, read, fitted and printed.

#include <QFile>
#include <QPrinter>

#include "dialogs/image_box.h"
#include "dialogs/image_file.h"
#include "dialogs_fixture.h"

namespace lumibench {
namespace {

using test::DialogsTest;
using PictureTest = DialogsTest;

TEST_F(PictureTest, FormatsLoadAndFitTheBox) {
    const struct {
        std::string path;
        QSize expected;  // the picture's own size in pixels
    } rows[] = {
        {test::WritePicture(scratch, "wide.bmp", {400, 100}, "BMP"), {400, 100}},
        {test::WritePicture(scratch, "tall.jpg", {90, 360}, "JPG"), {90, 360}},
        {test::WritePicture(scratch, "square.png", {64, 64}, "PNG"), {64, 64}},
        {test::WritePicture(scratch, "upper.JPG", {120, 40}, "JPG"), {120, 40}},
        // 288 x 72 units at 72 units per inch: 4 x 1 inches.
        {test::WriteMetafile(scratch, "logo.wmf", 288, 72), {}},
        // Brackets and percent signs are ordinary characters of a file name.
        {test::WriteMetafile(scratch, "logo [1] 100%d.WMF", 72, 144), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const QImage image = dialogs::LoadImageFile(row.path);
        ASSERT_FALSE(image.isNull());
        if (row.expected.isValid()) {
            EXPECT_EQ(image.size(), row.expected);
        }

        dialogs::ImageBox box("LEAD1", {300, 150});
        ASSERT_TRUE(box.showFile(row.path, messages));
        const QSize shown = dialogs::FitImageSize(image.size(), box.innerSize());
        EXPECT_EQ(box.shownSize(), shown);
        EXPECT_TRUE(shown.width() == box.innerSize().width() || shown.height() == box.innerSize().height());
        const int border = 2 * box.frameWidth();
        EXPECT_EQ(box.size(), shown + QSize(border, border)) << "the box shrinks to the picture";
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PictureTest, MetafileIsDrawnWithItsFill) {
    const QImage image = dialogs::LoadImageFile(test::WriteMetafile(scratch, "logo.wmf", 288, 72));
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(double(image.width()) / image.height(), 4.0, 0.1);
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    EXPECT_EQ(centre.red(), 0xC8);
    EXPECT_EQ(centre.green(), 0x40);
    EXPECT_EQ(centre.blue(), 0x28);
}

TEST_F(PictureTest, UnreadableFilesClearTheBoxWithTheMessage) {
    const std::string rows[] = {
        test::WriteGarbage(scratch, "text.jpg", "this is no picture"),
        test::WriteGarbage(scratch, "cut.bmp", "BM\x10\x00\x00\x00"),
        test::WriteGarbage(scratch, "fake.wmf", std::string("\xD7\xCD\xC6\x9A", 4) + std::string(40, '\x7F')),
        test::WriteGarbage(scratch, "empty.png", ""),
        scratch.path().toStdString(),  // a folder exists but is no picture
    };
    for (const std::string& path : rows) {
        SCOPED_TRACE(path);
        messages.shown.clear();
        dialogs::ImageBox box("LEAD1", {300, 150});
        box.showImage(QImage(10, 10, QImage::Format_RGB32));
        EXPECT_FALSE(box.showFile(path, messages));
        EXPECT_FALSE(box.hasImage());
        EXPECT_EQ(box.size(), QSize(300, 150));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Create Imageport");
        EXPECT_EQ(messages.shown[0].text, "Unable to load selected image, please select another image.");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
        EXPECT_TRUE(messages.shown[0].systemModal);
    }
}

TEST_F(PictureTest, SavedBitmapHas24BitsPerPixel) {
    QImage image(30, 20, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30, 255));
    const std::string path = scratch.filePath("saved.bmp").toStdString();
    ASSERT_TRUE(dialogs::SaveBitmap24(image, path));
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(30);
    EXPECT_EQ(header.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 24);
    EXPECT_EQ(dialogs::LoadImageFile(path).pixelColor(5, 5), QColor(10, 20, 30));
}

}  // namespace
}  // namespace lumibench
