// Question pictures: gif, bmp and ico decoded within bounds, hostile files giving nothing.

#include <gtest/gtest.h>

#include <QImage>
#include <fstream>

#include "support/fakes.h"
#include "ui/qt_adapters.h"
#include "ui/widgets.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

using testing::TempFolder;

std::string sample(const std::string& name) {
    return std::string(VEXLOR_SOURCE_DIR) + "/examples/general/" + name;
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string littleEndian16(int value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

// A valid gif of one pixel on a `side` x `side` screen: decoders allocate the whole screen.
std::string gifClaiming(int side) {
    std::string gif = "GIF89a" + littleEndian16(side) + littleEndian16(side);
    gif += std::string("\x80\x00\x00", 3);  // a global table of two colours
    gif += std::string("\x00\x00\x00\xFF\xFF\xFF", 6);
    gif += "," + littleEndian16(0) + littleEndian16(0) + littleEndian16(1) + littleEndian16(1);
    gif += std::string("\x00\x02\x02\x44\x01\x00;", 7);  // clear, pixel 0, end
    return gif;
}

// The three formats a question may show are decoded at their own size, whatever the file name;
// hostile and damaged files give nothing.
TEST(QtPictureLoader, DecodesTheSampleGifBmpAndIcoAndNothingElse) {
    application();
    QtPictureLoader loader;
    for (const char* name : {"gk-flag-japan.gif", "gk-shape-hexagon.bmp", "gk-clock-three.ico"}) {
        SCOPED_TRACE(name);
        const auto picture = loader.load(sample(name));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(QSize(picture->width(), picture->height()),
                  QImage(QString::fromStdString(sample(name))).size());
    }
    // A picture is judged by what it holds, not by its name: a bmp named .gif still shows.
    TempFolder folder;
    write(folder.file("really-a-bmp.gif"), testing::readBytes(sample("gk-shape-hexagon.bmp")));
    EXPECT_NE(loader.load(folder.file("really-a-bmp.gif")), nullptr);

    // Oversized, truncated, mislabelled, empty and missing files give no picture and no crash.
    const std::string bmp = testing::readBytes(sample("gk-shape-hexagon.bmp"));
    std::string hugeBmp = bmp;
    hugeBmp.replace(18, 8, std::string("\x30\x75\x00\x00\x30\x75\x00\x00", 8));  // 30000 x 30000
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    small.save(QString::fromStdString(folder.file("png-inside.bmp")), "PNG");
    const std::pair<const char*, std::string> files[] = {
        {"huge.gif", gifClaiming(30000)},
        {"large.gif", gifClaiming(5000)},  // 100 MB, which Qt alone would decode
        {"truncated.bmp", bmp.substr(0, bmp.size() / 2)},
        {"header-only.bmp", bmp.substr(0, 40)},
        {"huge.bmp", hugeBmp},
        {"words.gif", "GIF? no, just some words\n"},
        {"empty.ico", ""},
        {"truncated.ico", testing::readBytes(sample("gk-clock-three.ico")).substr(0, 30)}};
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        write(folder.file(name), bytes);
        EXPECT_EQ(loader.load(folder.file(name)), nullptr);
    }
    for (const std::string& path : {folder.file("png-inside.bmp"), folder.file("missing.gif"),
                                    folder.path().string(), std::string()})
        EXPECT_EQ(loader.load(path), nullptr) << path;
}

// A picture is scaled down to fit the square, proportions kept, and never enlarged.
TEST(PictureView, FitsLargePicturesAndLeavesSmallOnesAtTheirSize) {
    const QSize square(105, 105);
    EXPECT_EQ(PictureView::placeFor({400, 200}, square).size(), QSize(105, 52));
    EXPECT_EQ(PictureView::placeFor({200, 400}, square).size(), QSize(52, 105));
    EXPECT_EQ(PictureView::placeFor({40, 20}, square), QRect(32, 42, 40, 20));
    EXPECT_EQ(PictureView::placeFor({105, 105}, square), QRect(0, 0, 105, 105));
    EXPECT_EQ(PictureView::placeFor({3000, 1}, square).size(), QSize(105, 1));
    EXPECT_TRUE(PictureView::placeFor({0, 0}, square).isEmpty());
}

}  // namespace
}  // namespace vexlor::ui
