// Picture files of every accepted format, read, fitted and printed.

#include <QBuffer>
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

TEST_F(PictureTest, MetafileIsDrawnAtThePrintedWidth) {
    // 2 x 0.5 inches at 72 units per inch would be 144 pixels wide at the
    // renderer's own density; printed 6.5 inches wide it needs far more.
    const QImage image = dialogs::LoadImageFile(test::WriteMetafile(scratch, "small.wmf", 144, 36));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), dialogs::kBannerPixelWidth - 2);
    EXPECT_NEAR(double(image.width()) / image.height(), 4.0, 0.1);
}

TEST_F(PictureTest, DamagedAndHugePicturesAreRefused) {
    // A JPEG cut short still decodes to a picture, with a warning only.
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(QColor(30, 90, 160));
        ASSERT_TRUE(picture.save(&buffer, "JPG"));
    }
    const std::string truncated = test::WriteGarbage(scratch, "cut.jpg", jpeg.left(jpeg.size() / 2).toStdString());
    const std::string whole = test::WriteGarbage(scratch, "whole.jpg", jpeg.toStdString());
    // A BMP header that claims 9000 x 9000 pixels: refused before decoding.
    std::string bmp(54, '\0');
    const auto put32 = [&bmp](int at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + 9000u * 9000u * 3u);
    put32(10, 54);
    put32(14, 40);
    put32(18, 9000);
    put32(22, 9000);
    bmp[26] = 1;
    bmp[28] = 24;
    const std::string huge = test::WriteGarbage(scratch, "huge.bmp", bmp);

    using Failure = dialogs::ImageRead::Failure;
    const std::vector<std::pair<std::string, Failure>> rows = {
        {whole, Failure::None}, {truncated, Failure::Unreadable}, {huge, Failure::TooLarge}};
    for (const auto& [path, failure] : rows) {
        EXPECT_EQ(dialogs::ReadImageFile(path).failure, failure) << path;
    }
    dialogs::ImageBox box("LEAD1", {300, 150});
    EXPECT_FALSE(box.showFile(huge, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "The selected image is too large (9000 x 9000 pixels). Please select an image of at most 50 "
              "megapixels.");
}

TEST_F(PictureTest, TransparencyIsFlattenedOntoWhite) {
    QImage logo(40, 20, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y) logo.setPixelColor(x, y, QColor(0, 0, 255));
    const std::string path = scratch.filePath("flat.bmp").toStdString();
    ASSERT_TRUE(dialogs::SaveBitmap24(logo, path));
    const QImage saved = dialogs::LoadImageFile(path);
    EXPECT_EQ(saved.pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(saved.pixelColor(30, 5), QColor(Qt::white));
    EXPECT_EQ(dialogs::BannerForKeeping(QImage(4000, 400, QImage::Format_RGB32)).size(),
              QSize(dialogs::kBannerPixelWidth, 195));
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
