// The editor opens what the game opens and refuses what it refuses: crafted and damaged module
// files, other files, and things that are not files at all, each left byte for byte.

#include <sys/stat.h>

#include <filesystem>

#include "authoring/document_fixture.h"
#include "support/hostile_modules.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;

TEST(HostileOpenTest, CraftedModulesAreRefusedOrEditedSafely) {
    // Views, virtual tables, triggers and tables without row ids are refused before anything
    // runs; a crafted module a sound program may accept is edited and saved like any other.
    for (const auto& module : vexlor::testing::hostileModules()) {
        SCOPED_TRACE(module.name);
        TempFolder folder;
        const std::string path = folder.file(module.name + ".vxm");
        ASSERT_TRUE(vexlor::testing::writeHostileModule(path, module));
        const std::string before = vexlor::testing::readBytes(path);
        auto document = Document::open(path);
        if (!document) {
            EXPECT_EQ(vexlor::testing::readBytes(path), before);
            continue;
        }
        EXPECT_TRUE(module.mayBeAccepted) << "opened";
        EditHistory history(*document);
        push(history, document->deleteQuestions({0}));
        auto saved = document->save();
        ASSERT_TRUE(saved.ok()) << saved.error();
        EXPECT_EQ(column(path, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        EXPECT_EQ(column(path, "SELECT Question FROM MainData"),
                  std::vector<std::string>{"Question 2"});
    }
}

TEST(HostileOpenTest, OtherFilesAreRefusedWithTheirKind) {
    // A plain database, one with another key, a text, an empty file, a folder, a pipe and
    // nothing at all: each refused with the kind the window tells the author, nothing written.
    TempFolder folder;
    const std::string plain = folder.file("plain.vxm"), otherKey = folder.file("other.vxm"),
                      text = folder.file("text.vxm"), empty = folder.file("empty.vxm"),
                      pipe = folder.file("pipe.vxm");
    ASSERT_TRUE(vexlor::testing::writeModule(plain, {}, ""));
    ASSERT_TRUE(vexlor::testing::writeModule(otherKey, {}, "another"));
    writeBytes(text, "Question,Reponce\n");
    writeBytes(empty, "");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::pair<std::string, ErrorKind> cases[] = {
        {plain, ErrorKind::kNotAModule},
        {otherKey, ErrorKind::kNotAModule},
        {text, ErrorKind::kNotAModule},
        {pipe, ErrorKind::kNotAFile},
        {folder.path().string(), ErrorKind::kNotAFile},
        {folder.file("none.vxm"), ErrorKind::kNoFile},
    };
    for (const auto& [path, kind] : cases) {
        const std::string before =
            fs::is_regular_file(path) ? vexlor::testing::readBytes(path) : "";
        auto document = Document::open(path);
        ASSERT_FALSE(document.ok()) << path;
        EXPECT_EQ(document.error().kind(), kind) << document.error();
        EXPECT_EQ(fs::is_regular_file(path) ? vexlor::testing::readBytes(path) : "", before);
    }
    // An empty file is no module either, and stays empty.
    EXPECT_FALSE(Document::open(empty).ok());
    EXPECT_EQ(fs::file_size(empty), 0u);
}

}  // namespace
}  // namespace vexlor::authoring::testing
