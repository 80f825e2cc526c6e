// Save As into another folder takes the media with the module, or refuses and writes nothing.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "authoring/document_fixture.h"
#include "authoring/module_media.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> filesUnder(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(fs::relative(entry.path(), folder).generic_string());
    return names;
}

// A module in `home` whose questions name the media given, in order.
Document moduleWithMedia(const TempFolder& home, const std::vector<std::string>& media) {
    Document document = openDocument(sampleModule(home, static_cast<int>(media.size())));
    EditHistory history(document);
    for (std::size_t row = 0; row < media.size(); ++row)
        push(history, document.setQuestionField(row, QuestionField::kMedia, media[row]));
    return document;
}

TEST(SaveAsMediaTest, EveryMediaFileGoesWithTheModule) {
    // Copied under its own name, the same file already there reused, a different file of that
    // name kept while the copy gets a number the question follows; a file named twice is copied
    // once, and a name giving no file the game would use (missing, a link out, a folder, a
    // pipe) is told, not copied.
    TempFolder home, stick, outside;
    fs::create_directory(home.path() / "pics");
    writeBytes(home.file("pics/dog.gif"), "GIF89a dog");
    writeBytes(home.file("cat.wav"), "RIFF cat");
    writeBytes(home.file("same.bmp"), "BM same");
    writeBytes(outside.file("far.gif"), "GIF89a far");
    fs::create_symlink(outside.file("far.gif"), home.file("far.gif"));
    writeBytes(stick.file("cat.wav"), "RIFF another cat");
    writeBytes(stick.file("same.bmp"), "BM same");
    fs::create_directory(home.path() / "folder.gif");
    ASSERT_EQ(::mkfifo(home.file("pipe.wav").c_str(), 0644), 0);
    Document document =
        moduleWithMedia(home, {"pics\\dog.gif", "cat.wav", "same.bmp", "gone.gif", "pics/dog.gif",
                               "far.gif", "folder.gif", "pipe.wav"});

    auto saved = document.saveAs(stick.file("quiz.vxm"), false);
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_EQ(filesUnder(stick.path()),
              (std::set<std::string>{"cat-2.wav", "cat.wav", "pics", "pics/dog.gif", "quiz.vxm",
                                     "same.bmp"}));
    EXPECT_EQ(vexlor::testing::readBytes(stick.file("cat.wav")), "RIFF another cat");
    EXPECT_EQ(vexlor::testing::readBytes(stick.file("cat-2.wav")), "RIFF cat");
    EXPECT_EQ(saved->mediaCopied, 2u);
    EXPECT_EQ(saved->mediaReused, 1u);
    EXPECT_EQ(saved->mediaRenamed, (std::map<std::string, std::string>{{"cat.wav", "cat-2.wav"}}));
    EXPECT_EQ(saved->mediaLeft,
              (std::vector<std::string>{
                  "question 4: \"gone.gif\" is not in the module's folder",
                  "question 6: \"far.gif\" is a link leading outside the module's folder",
                  "question 7: \"folder.gif\" is not a plain file (a folder, a pipe or a device)",
                  "question 8: \"pipe.wav\" is not a plain file (a folder, a pipe or a device)"}));
    EXPECT_EQ(column(stick.file("quiz.vxm"), "SELECT Audio FROM MainData"),
              (std::vector<std::string>{"pics\\dog.gif", "cat-2.wav", "same.bmp", "gone.gif",
                                        "pics/dog.gif", "far.gif", "folder.gif", "pipe.wav"}));
    EXPECT_EQ(document.question(1).media, "cat-2.wav");
    // What is left is an error of the new module, found in its own folder.
    std::vector<std::size_t> broken;
    for (const Problem& problem : document.problems())
        if (problem.breaksGame) broken.push_back(problem.row);
    EXPECT_EQ(broken, (std::vector<std::size_t>{3, 5, 6, 7}));
}

TEST(SaveAsMediaTest, AMediaFileThatCannotGoRefusesTheWholeSave) {
    // A file past the limit, a file where a media file's folder should be, or a module that cannot
    // be written after the media were copied: Save As says why, and the target folder is as it was,
    // no copy and no temporary left.
    struct Case {
        const char* what;
        std::function<void(const TempFolder& home, const TempFolder& stick)> make;
        std::string expected;  // in the error
    };
    const Case cases[] = {
        {"too large",
         [](auto& home, auto&) {
             writeBytes(home.file("b.gif"), "GIF");
             fs::resize_file(home.file("b.gif"), kMaxMediaBytes + 1);
         },
         "is larger than the 64 MiB"},
        {"a file for a folder",
         [](auto& home, auto& stick) {
             writeBytes(home.file("b.gif"), "GIF");
             fs::create_directory(home.path() / "sub");
             writeBytes(home.file("sub/c.gif"), "GIF");
             writeBytes(stick.file("sub"), "a file");
         },
         "is a link or a file, where a folder is needed"},
        {"the module exists",
         [](auto& home, auto& stick) {
             writeBytes(home.file("b.gif"), "GIF");
             writeBytes(stick.file("quiz.vxm"), "someone's file");
         },
         "exists"},
    };
    for (const Case& refused : cases) {
        SCOPED_TRACE(refused.what);
        TempFolder home, stick;
        writeBytes(home.file("a.wav"), "RIFF a");
        refused.make(home, stick);
        const std::set<std::string> before = filesUnder(stick.path());
        Document document = moduleWithMedia(home, {"a.wav", "b.gif", "sub/c.gif"});
        auto saved = document.saveAs(stick.file("quiz.vxm"), false);
        ASSERT_FALSE(saved.ok());
        EXPECT_NE(saved.error().what().find(refused.expected), std::string::npos) << saved.error();
        EXPECT_EQ(filesUnder(stick.path()), before);
        EXPECT_EQ(document.path(), home.file("quiz.vxm"));
    }
}

}  // namespace
}  // namespace vexlor::authoring::testing
