#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/files.h"
#include "support/doubles.h"

namespace vexlor {
namespace {

namespace fs = std::filesystem;
using platform::Links;
using platform::Placement;
using Problem = platform::ReadableFile::Problem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Only a regular file within the size is opened and read: a pipe, a folder, a device, a link
// (when refused) and a file over the size are told apart without a byte read or a wait.
TEST(FileRoutines, OnlyARegularFileWithinItsSizeIsRead) {
    testing::TempFolder folder;
    const fs::path dir = folder.path();
    std::ofstream(dir / "small") << "12345";
    std::ofstream(dir / "large") << std::string(11, 'x');
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "small", dir / "link");
    fs::create_symlink(dir / "none", dir / "dangling");
    const struct {
        std::string path;
        Links links;
        Problem problem;
        std::optional<std::string> read;
    } cases[] = {
        {(dir / "small").string(), Links::kRefuse, Problem::kNone, "12345"},
        {(dir / "link").string(), Links::kFollow, Problem::kNone, "12345"},
        {(dir / "link").string(), Links::kRefuse, Problem::kCannotOpen, std::nullopt},
        {(dir / "dangling").string(), Links::kFollow, Problem::kCannotOpen, std::nullopt},
        {(dir / "none").string(), Links::kFollow, Problem::kCannotOpen, std::nullopt},
        {(dir / "large").string(), Links::kFollow, Problem::kTooLarge, std::nullopt},
        {(dir / "folder").string(), Links::kFollow, Problem::kFolder, std::nullopt},
        {(dir / "pipe").string(), Links::kFollow, Problem::kNotRegular, std::nullopt},
        {"/dev/zero", Links::kFollow, Problem::kNotRegular, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const platform::ReadableFile file = platform::openForReading(c.path, 10, c.links);
        EXPECT_EQ(file.problem, c.problem);
        EXPECT_EQ(file.fd() >= 0, c.problem == Problem::kNone);
        if (c.links == Links::kFollow) {
            EXPECT_EQ(platform::readRegularFile(c.path, 10), c.read);
        }
    }
    // A file that grew past the size after it was looked at is not taken either.
    const platform::ReadableFile small = platform::openForReading(dir / "small", 5);
    std::ofstream(dir / "small", std::ios::app) << "6";
    EXPECT_EQ(platform::readAll(small.fd(), 5)->size(), 6u);
}

// A file is written whole under a temporary name and put in place: never over what has the
// name unless replacing was asked for, and no temporary file is left behind either way.
TEST(FileRoutines, AWriteLandsWholeAndReplacesOnlyWhenAsked) {
    testing::TempFolder folder;
    const fs::path dir = folder.path();
    std::ofstream(dir / "kept") << "old";
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "none", dir / "dangling");
    const struct {
        std::string name;
        Placement placement;
        bool written;
        std::string after;  ///< what the name holds then ("" for a folder or a link)
    } cases[] = {
        {"new", Placement::kKeepExisting, true, "new content"},
        {"kept", Placement::kKeepExisting, false, "old"},
        {"folder", Placement::kKeepExisting, false, ""},
        {"dangling", Placement::kKeepExisting, false, ""},
        {"kept", Placement::kReplace, true, "new content"},
        {"missing-folder/x", Placement::kReplace, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::writeFileWhole(dir / c.name, "new content", c.placement), c.written);
        if (fs::is_regular_file(fs::symlink_status(dir / c.name))) {
            EXPECT_EQ(contentOf(dir / c.name), c.after);
        }
        for (const auto& entry : fs::directory_iterator(dir))
            EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "dangling")));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

}  // namespace
}  // namespace vexlor
