// Media chosen for a question: what the game shows or plays passes, other pictures are converted
// to one it shows, and everything else is refused with a reason.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <fstream>

#include "editor/media.h"
#include "support/fakes.h"
#include "ui/qt_adapters.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

using testing::TempFolder;

std::string sample(const std::string& name) {
    return std::string(VEXLOR_SOURCE_DIR) + "/examples/general/" + name;
}

std::string copyOf(const TempFolder& folder, const std::string& from, const std::string& as) {
    std::ofstream(folder.file(as), std::ios::binary) << testing::readBytes(from);
    return folder.file(as);
}

std::string picture(const TempFolder& folder, const std::string& name, QSize size,
                    const char* format) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(QRect(QPoint(0, 0), size / 2), Qt::red);
    image.save(QString::fromStdString(folder.file(name)), format);
    return folder.file(name);
}

// Pictures and sounds the game uses pass as they are, their ending put in lower case.
TEST(PrepareMedia, WhatTheGameUsesPassesUnchanged) {
    ui::application();
    TempFolder folder;
    const std::pair<std::string, PreparedMedia::Type> cases[] = {
        {copyOf(folder, sample("gk-flag-japan.gif"), "Flag.GIF"), PreparedMedia::Type::kPicture},
        {sample("gk-shape-hexagon.bmp"), PreparedMedia::Type::kPicture},
        {sample("gk-clock-three.ico"), PreparedMedia::Type::kPicture},
        {sample("gk-morse-sos.wav"), PreparedMedia::Type::kSound},
        {sample("gk-number-sequence.mp3"), PreparedMedia::Type::kSound},
        {sample("gk-ode-to-joy.mid"), PreparedMedia::Type::kSound},
    };
    for (const auto& [path, type] : cases) {
        SCOPED_TRACE(path);
        const auto media = prepareMedia(path, folder.path());
        ASSERT_TRUE(media) << media.error();
        EXPECT_EQ(media->type, type);
        EXPECT_FALSE(media->converted);
        EXPECT_EQ(media->file, path);
    }
    EXPECT_EQ(prepareMedia(folder.file("Flag.GIF"), folder.path())->name, "Flag.gif");
}

// png, jpg and svg are fitted into the 105-pixel box, proportions kept, and written as bmp that
// the game's own loader reads; a small picture keeps its size.
TEST(PrepareMedia, OtherPicturesAreConvertedToBmpFittingThePictureBox) {
    ui::application();
    TempFolder folder;
    EXPECT_EQ(pictureBoxSide(), 105);
    struct Case {
        std::string path;
        QSize expected;
    };
    std::vector<Case> cases = {
        {picture(folder, "wide.png", {400, 200}, "PNG"), {105, 52}},
        {picture(folder, "tall.jpg", {100, 300}, "JPEG"), {35, 105}},
        {picture(folder, "small.png", {40, 30}, "PNG"), {40, 30}},
    };
    if (QImageReader::supportedImageFormats().contains("svg")) {
        std::ofstream(folder.file("disc.svg"))
            << "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
               "<circle cx='5' cy='5' r='5' fill='blue'/></svg>";
        cases.push_back({folder.file("disc.svg"), {105, 52}});
    }
    ui::QtPictureLoader loader;
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        const auto media = prepareMedia(path, folder.path());
        ASSERT_TRUE(media) << media.error();
        EXPECT_TRUE(media->converted);
        EXPECT_EQ(media->type, PreparedMedia::Type::kPicture);
        EXPECT_EQ(std::filesystem::path(media->name).extension(), ".bmp");
        const auto shown = loader.load(media->file.string());
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(QSize(shown->width(), shown->height()), expected);
    }
}

// Damaged, cut short or oversized pictures, sounds the game does not play, and things that are
// not files are refused, each with a reason that says what the game takes.
TEST(PrepareMedia, RefusesWhatTheGameCannotUseWithAReason) {
    ui::application();
    TempFolder folder;
    const std::string bmp = testing::readBytes(sample("gk-shape-hexagon.bmp"));
    std::ofstream(folder.file("cut.bmp"), std::ios::binary) << bmp.substr(0, bmp.size() / 2);
    const std::string png = testing::readBytes(picture(folder, "whole.png", {300, 300}, "PNG"));
    std::ofstream(folder.file("cut.png"), std::ios::binary) << png.substr(0, png.size() / 3);
    // Small on disk, but 25 million pixels once decoded.
    QImage huge(5000, 5000, QImage::Format_Mono);
    huge.fill(0);
    huge.save(QString::fromStdString(folder.file("huge.png")), "PNG");
    std::ofstream(folder.file("song.ogg")) << "OggS";
    std::ofstream(folder.file("notes.txt")) << "hello";
    ::mkfifo(folder.file("pipe.wav").c_str(), 0600);
    const std::pair<std::string, std::string> cases[] = {
        {"cut.bmp", "cannot show"}, {"cut.png", "cannot show"}, {"huge.png", "4096"},
        {"song.ogg", "damaged"},    {"notes.txt", "gif, bmp"},  {"pipe.wav", "not a file"},
        {"missing.gif", "no such"},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        const auto media = prepareMedia(folder.file(name), folder.path());
        ASSERT_FALSE(media);
        EXPECT_NE(media.error().message().find(reason), std::string::npos)
            << media.error().message();
        EXPECT_EQ(media.error().file(), name);
    }
}

}  // namespace
}  // namespace vexlor::editor
