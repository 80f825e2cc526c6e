// Modules in the earlier Jet format: converted with every cell, NULL and row kept, refused
// clearly and without a trace, and read as they stand by info, check and export.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "modules/earlier_format.h"
#include "support/earlier_modules.h"
#include "tool/tool_support.h"

namespace vexlor::authoring {
namespace {

namespace fs = std::filesystem;
namespace jet = vexlor::testing::jet;
using testing::runCommand;
using testing::runInProcess;
using vexlor::testing::readBytes;
using vexlor::testing::TempFolder;

using vexlor::testing::entries;

struct Kind {
    const char* name;
    jet::Options options;
};

std::vector<Kind> kinds() {
    jet::Options jet3;
    jet3.version = jet::Version::kJet3;
    jet::Options plain;
    plain.compressText = false;
    jet::Options keyed;
    keyed.databaseKey = 0x5a17c3e1;
    jet::Options keyed3 = jet3;
    keyed3.databaseKey = 0x0badcafe;
    return {{"Jet 3", jet3},
            {"Jet 4, texts compressed", {}},
            {"Jet 4, texts as UCS-2", plain},
            {"Jet 4, pages encoded with a database key", keyed},
            {"Jet 3, pages encoded with a database key", keyed3}};
}

// Every row of the four tables comes over in its order with its NULLs and empty texts, the
// memo whole, the deleted rows left out, the new module has create's indexes, and the original
// is untouched.
TEST(EarlierFormat, ConversionKeepsEveryCellAndRow) {
    for (const Kind& kind : kinds()) {
        SCOPED_TRACE(kind.name);
        TempFolder folder;
        const bool unicode = kind.options.version == jet::Version::kJet4;
        const auto tables = vexlor::testing::richModuleTables(600, unicode);
        const std::string old = folder.file("old.vxm"), converted = folder.file("new.vxm");
        jet::writeJetFile(old, tables, kind.options);
        const std::string original = readBytes(old);

        const auto run = runCommand({"convert", old, "-o", converted}, folder);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(unicode ? "Jet 4" : "Jet 3"), std::string::npos) << run.out;
        for (const jet::Table& table : tables)
            EXPECT_EQ(
                vexlor::testing::firstDifference(vexlor::testing::storedRows(converted, table.name),
                                                 vexlor::testing::liveRows(table)),
                "")
                << table.name;
        const auto indexes = vexlor::testing::readColumn(
            converted, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name");
        EXPECT_EQ(indexes, (std::vector<std::string>{"HScoreRank", "UseIndex"}));
        EXPECT_EQ(readBytes(old), original);
    }
}

// Converted in place, the module keeps its name and the original is kept beside it byte for
// byte, under a name no Open offers and never over another file; a module already converted is
// left alone.
TEST(EarlierFormat, InPlaceKeepsTheOriginalBeside) {
    TempFolder folder;
    const std::string module = folder.file("Quiz.vxm");
    jet::writeJetFile(module, jet::sampleModuleTables());
    const std::string original = readBytes(module);
    testing::writeBytes(folder.file("Quiz.vxm.jet"), "a file of the user's");

    auto run = runCommand({"convert", module}, folder);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("kept as Quiz.vxm.2.jet"), std::string::npos) << run.out;
    EXPECT_EQ(readBytes(folder.file("Quiz.vxm.2.jet")), original);
    EXPECT_EQ(readBytes(folder.file("Quiz.vxm.jet")), "a file of the user's");
    EXPECT_EQ(entries(folder.path()),
              (std::vector<std::string>{"Quiz.vxm", "Quiz.vxm.2.jet", "Quiz.vxm.jet"}));
    auto opened = ModuleStore::open(module);
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_EQ(vexlor::testing::must(opened->properties()).front().title, "Jet Sample");

    const std::string converted = readBytes(module);
    run = runCommand({"convert", module}, folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("already a module in the current format"), std::string::npos);
    EXPECT_EQ(readBytes(module), converted);
    EXPECT_EQ(entries(folder.path()).size(), 3u);
}

std::string withPropertiesTitle(const std::string& title) {
    auto tables = jet::sampleModuleTables();
    for (jet::Table& table : tables)
        if (table.name == "Propriete") table.rows.front().cells[0] = title;
    return jet::writeJet(tables);
}

std::string withoutTable(const std::string& name) {
    auto tables = jet::sampleModuleTables();
    std::erase_if(tables, [&](const jet::Table& table) { return table.name == name; });
    return jet::writeJet(tables);
}

// A file that is no module, or that cannot be read whole, is refused with a sentence that says
// why; the original stays byte for byte and nothing is left beside it.
TEST(EarlierFormat, RefusalsLeaveNoTrace) {
    jet::Options otherPassword;
    otherPassword.password = "secret";
    jet::Options noPassword;
    noPassword.password = "";
    const std::string good = jet::writeJet(jet::sampleModuleTables());
    std::string randomAfterHeader = good.substr(0, 4096);
    std::mt19937 bytes(7);
    while (randomAfterHeader.size() < 64 * 1024) randomAfterHeader += static_cast<char>(bytes());
    std::string later = good;
    later.replace(4, 15, "Standard ACE DB");
    auto tooMany = jet::sampleModuleTables();
    tooMany[0].rows.resize(32768, tooMany[0].rows.front());
    // 8,000,000 euro signs: 16,000,000 bytes as Jet 4 keeps them, 24,000,000 in UTF-8.
    jet::Options wide;
    wide.compressText = false;
    auto tooLong = jet::sampleModuleTables();
    std::string euros;
    for (int i = 0; i < 8'000'000; ++i) euros += "€";
    tooLong[0].rows[1].cells[0] = euros;
    struct Case {
        const char* name;
        std::string bytes;
        int status;  // -1: any failure (the library may stop on a damaged file)
        const char* says;
    };
    const Case cases[] = {
        {"another database password", jet::writeJet(jet::sampleModuleTables(), otherPassword), 3,
         "without the module password"},
        {"no database password", jet::writeJet(jet::sampleModuleTables(), noPassword), 3,
         "without the module password"},
        {"an empty title", withPropertiesTitle(""), 3, "no title"},
        {"no properties table", withoutTable("Propriete"), 3, "has no table Propriete"},
        {"no questions table", withoutTable("MainData"), 1, "has no table MainData"},
        {"a later format", later, 3, "later database format"},
        {"more questions than the game counts", jet::writeJet(tooMany), 1, "32767"},
        {"a text longer than a module holds", jet::writeJet(tooLong, wide), 1, "16 MiB"},
        {"a truncated file", good.substr(0, good.size() / 2), -1, ""},
        {"random bytes after a valid header", randomAfterHeader, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string module = folder.file("quiz.vxm");
        testing::writeBytes(module, c.bytes);
        for (bool inPlace : {true, false}) {
            const auto run =
                inPlace ? runCommand({"convert", module}, folder)
                        : runCommand({"convert", module, "-o", folder.file("new.vxm")}, folder);
            if (c.status >= 0) {
                EXPECT_EQ(run.status, c.status) << run.err;
            }
            EXPECT_NE(run.status, 0);
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            EXPECT_EQ(readBytes(module), c.bytes);
            EXPECT_EQ(entries(folder.path()), std::vector<std::string>{"quiz.vxm"});
        }
    }
}

// Files on which libmdb once stopped the fuzzer are refused before it reads them, in this
// process: a regression stops the test program.
TEST(EarlierFormat, DamagedFilesTheFuzzerFoundAreRefused) {
    for (const auto& entry : fs::directory_iterator(VEXLOR_SOURCE_DIR "/tests/tool/damaged-jet")) {
        SCOPED_TRACE(entry.path().filename().string());
        TempFolder folder;
        const std::string module = folder.file("quiz.vxm");
        fs::copy_file(entry.path(), module);
        const auto run = runInProcess({"convert", module});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("page map"), std::string::npos) << run.err;
        EXPECT_EQ(readBytes(module), readBytes(entry.path()));
    }
}

// info, check and export read a module of the earlier format as it stands, say so with its Jet
// version, and change nothing; export gives what it gives for the converted module.
TEST(EarlierFormat, ReadAsItStands) {
    TempFolder folder;
    jet::Options jet3;
    jet3.version = jet::Version::kJet3;
    const auto tables = vexlor::testing::richModuleTables(40, false);
    const std::string module = folder.file("old.vxm");
    jet::writeJetFile(module, tables, jet3);
    const std::string original = readBytes(module);

    auto info = runInProcess({"info", module});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("earlier module format (Jet 3)"), std::string::npos) << info.out;
    const std::size_t questions = vexlor::testing::liveRows(tables[0]).size();
    EXPECT_NE(info.out.find("Questions: " + std::to_string(questions) +
                            "\nAsked: 2\nHigh "
                            "scores: 11\n"),
              std::string::npos)
        << info.out;

    auto check = runInProcess({"check", module});
    EXPECT_EQ(check.status, 1);  // the empty answer
    EXPECT_NE(check.out.find("(Jet 3), checked as it stands"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("question 5 (False2): Wrong answer 2 is empty"), std::string::npos)
        << check.out;

    const auto exported = runInProcess({"export", module});
    EXPECT_EQ(exported.status, 0) << exported.err;
    ASSERT_EQ(runInProcess({"convert", module, "-o", folder.file("new.vxm")}).status, 0);
    EXPECT_EQ(runInProcess({"export", folder.file("new.vxm")}).out, exported.out);
    EXPECT_EQ(readBytes(module), original);
}

// Only a regular file is read as an earlier module: a pipe (or a link to one) that feeds a
// valid header is refused, under an alarm so that a reader that blocks fails instead of hanging.
TEST(EarlierFormat, OnlyARegularFileIsReadAsAnEarlierModule) {
    TempFolder folder;
    const std::string module = folder.file("old.vxm"), pipe = folder.file("pipe"),
                      link = folder.file("link"), sub = folder.file("folder");
    jet::writeJetFile(module, vexlor::testing::richModuleTables(3, true), {});
    ASSERT_TRUE(modules::isEarlierModule(module));
    const std::string header = readBytes(module).substr(0, modules::kJetHeaderBytes);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, link);
    fs::create_directory(sub);
    // Read-write, so that opening does not wait for a reader and the reader sees a writer.
    const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    // The pipe holds one header, and only that, before each read.
    auto feed = [&] {
        char drained[modules::kJetHeaderBytes];
        while (::read(writer, drained, sizeof drained) > 0) {
        }
        return ::write(writer, header.data(), header.size()) == static_cast<ssize_t>(header.size());
    };
    for (const std::string& path : {pipe, link, sub}) {
        SCOPED_TRACE(path);
        ::alarm(10);
        EXPECT_TRUE(feed());
        EXPECT_FALSE(modules::readJetHeader(path));
        EXPECT_TRUE(feed());
        EXPECT_FALSE(modules::isEarlierModule(path));
        ::alarm(0);
    }
    ::close(writer);
}

// A folder the user may not write into is told, and nothing else is tried or left.
TEST(EarlierFormat, ReadOnlyFolderIsTold) {
    TempFolder folder;
    const fs::path inner = folder.path() / "shared";
    fs::create_directory(inner);
    const std::string module = (inner / "quiz.vxm").string();
    jet::writeJetFile(module, jet::sampleModuleTables());
    const std::string original = readBytes(module);
    fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::others_exec);
    fs::permissions(inner, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                               fs::perms::others_exec);
    fs::permissions(module, fs::perms::owner_read | fs::perms::others_read);
    const int status = vexlor::testing::runWithoutPrivileges([&] {
        const auto run = runInProcess({"convert", module});
        return run.status == 1 && run.err.find("cannot be written") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readBytes(module), original);
    EXPECT_EQ(entries(inner), std::vector<std::string>{"quiz.vxm"});
}

// Killed at any moment, the conversion in place leaves the user's file the original, byte for
// byte, or the complete new module with the original kept beside it.
TEST(EarlierFormat, KilledConversionLeavesOriginalOrWhole) {
    const auto tables = vexlor::testing::richModuleTables(3000, true);
    const std::string bytes = jet::writeJet(tables);
    std::mt19937 pick(11);
    int originals = 0, converted = 0;
    for (int run = 0; run < 12; ++run) {
        TempFolder folder;
        const std::string module = folder.file("quiz.vxm");
        testing::writeBytes(module, bytes);
        const pid_t child = ::fork();
        if (child == 0) {
            ::freopen("/dev/null", "w", stdout);
            ::execl(VEXLOR_MODULE_TOOL, VEXLOR_MODULE_TOOL, "convert", module.c_str(), nullptr);
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pick() % 1200));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        SCOPED_TRACE("run " + std::to_string(run));
        if (readBytes(module) == bytes) {
            ++originals;
        } else {
            ++converted;
            EXPECT_EQ(readBytes(folder.file("quiz.vxm.jet")), bytes);
            EXPECT_EQ(
                vexlor::testing::firstDifference(vexlor::testing::storedRows(module, "MainData"),
                                                 vexlor::testing::liveRows(tables[0])),
                "");
        }
        // Nothing under the user's name but the two; a hidden leftover is the sweep's.
        for (const std::string& name : entries(folder.path()))
            EXPECT_TRUE(name == "quiz.vxm" || name == "quiz.vxm.jet" || name.front() == '.')
                << name;
    }
    std::cout << "killed conversions: " << originals << " left the original, " << converted
              << " the converted module\n";
}

}  // namespace
}  // namespace vexlor::authoring
