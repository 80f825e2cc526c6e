// A chosen picture or sound is copied into the module's media folder under a name of its own;
// anything but a plain file of bounded size is refused without being read.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "authoring/document_fixture.h"
#include "authoring/media_copy.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;

TEST(MediaCopyTest, CopiesGetNamesThatDoNotCollide) {
    // The first copy keeps its name (its ending in lower case), a different file of the same
    // name gets a number, the same bytes again reuse the copy, and the game finds each. A name
    // as long as a folder takes is copied as it is; numbered, it gives up the end of its stem,
    // whole characters only, to stay as long.
    TempFolder folder;
    const fs::path module = folder.path() / "module";
    fs::create_directory(module);
    writeBytes(folder.file("Bell.WAV"), "RIFF one");
    writeBytes(folder.file("other.wav"), "RIFF two");
    std::string longest, cut;  // 255 bytes (the usual longest name); its stem cut to fit "-2.wav"
    for (int i = 0; i < 125; ++i) longest += "\u00e9";
    cut = longest.substr(0, 248);
    longest += "x.wav";
    struct Case {
        std::string source, name, expected, bytes;
    };
    const Case cases[] = {
        {"Bell.WAV", "", "media/Bell.wav", "RIFF one"},
        {"other.wav", "Bell.wav", "media/Bell-2.wav", "RIFF two"},
        {"Bell.WAV", "", "media/Bell.wav", "RIFF one"},
        {"other.wav", "Bell.wav", "media/Bell-2.wav", "RIFF two"},
        {"other.wav", "back\\slash.wav", "media/back_slash.wav", "RIFF two"},
        {"other.wav", longest, "media/" + longest, "RIFF two"},
        {"Bell.WAV", longest, "media/" + cut + "-2.wav", "RIFF one"},
        {"other.wav", longest, "media/" + longest, "RIFF two"},
    };
    for (const Case& copy : cases) {
        auto copied = copyMedia(folder.file(copy.source), module, copy.name);
        ASSERT_TRUE(copied.ok()) << copied.error();
        EXPECT_EQ(*copied, copy.expected);
        EXPECT_EQ(vexlor::testing::readBytes((module / *copied).string()), copy.bytes);
        Question question{"Q", {"a", "b", "c", "d"}, "1", *copied};
        EXPECT_TRUE(checkQuestion(question, module).empty()) << *copied;
    }
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(module / "media"))
        files += !entry.is_directory();
    EXPECT_EQ(files, 5u) << "no temporary file stays";
}

TEST(MediaCopyTest, AnythingButAPlainFileOfBoundedSizeIsRefused) {
    // A folder, a pipe with no writer (which would block a plain open), a device, a file past
    // the size limit and an ending the game does not use are refused; nothing is left behind.
    TempFolder folder;
    const fs::path module = folder.path() / "module";
    fs::create_directory(module);
    ASSERT_EQ(::mkfifo(folder.file("pipe.wav").c_str(), 0600), 0);
    fs::create_directory(folder.file("folder.gif"));
    {
        const int big = ::open(folder.file("big.bmp").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_EQ(::ftruncate(big, static_cast<off_t>(kMaxMediaBytes) + 1), 0);
        ::close(big);
    }
    writeBytes(folder.file("song.ogg"), "OggS");
    struct Case {
        std::string source, name, says;
    };
    const Case cases[] = {
        {folder.file("pipe.wav"), "", "pipe"},
        {folder.file("folder.gif"), "", "folder"},
        {"/dev/zero", "zero.wav", "device"},
        {folder.file("big.bmp"), "", "larger than"},
        {folder.file("song.ogg"), "", "mp3, mid and wav"},
        {folder.file("missing.wav"), "", "cannot be read"},
    };
    for (const Case& refused : cases) {
        auto copied = copyMedia(refused.source, module, refused.name);
        ASSERT_FALSE(copied.ok()) << refused.source;
        EXPECT_NE(copied.error().what().find(refused.says), std::string::npos) << copied.error();
    }
    EXPECT_TRUE(!fs::exists(module / "media") || fs::is_empty(module / "media"));

    // A media "folder" that is a link to elsewhere is not written through.
    fs::create_directory(folder.file("elsewhere"));
    fs::create_directory(folder.file("linked-module"));
    fs::create_directory_symlink(folder.file("elsewhere"), folder.path() / "linked-module/media");
    writeBytes(folder.file("ok.gif"), "GIF89a");
    EXPECT_FALSE(copyMedia(folder.file("ok.gif"), folder.path() / "linked-module").ok());
    EXPECT_TRUE(fs::is_empty(folder.file("elsewhere")));
}

}  // namespace
}  // namespace vexlor::authoring::testing
