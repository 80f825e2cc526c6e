// Saving the editor's document: the asked list renumbered by the questions' identities, the
// refusals that keep every edit, the write lock of another program, Save As, Revert, and the
// game's records written at once.

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "authoring/document_fixture.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct RenumberCase {
    const char* name;
    std::function<void(Document&, EditHistory&)> edit;
    std::multiset<std::string> asked;  ///< the texts of the questions asked after the save
    std::size_t written = SIZE_MAX;    ///< question rows the save writes, when it matters
};

TEST(SaveTest, TheAskedListKeepsEveryAskedQuestionThatStillExists) {
    // Whatever is deleted, inserted or moved, the asked list names the same questions after the
    // save, less the deleted ones, with entries before and after the edited rows; entries the
    // game writes while the editor has the module open are renumbered too, and entries naming
    // no question go.
    const std::multiset<std::string> all = {"Question 1", "Question 2", "Question 5",
                                            "Question 8", "Question 8", "Question 9"};
    auto without = [&](std::initializer_list<const char*> gone) {
        auto kept = all;
        for (const char* text : gone) kept.erase(text);
        return kept;
    };
    const std::vector<RenumberCase> cases = {
        {"delete the first and one asked in the middle",
         [](Document& d, EditHistory& h) {
             push(h, d.deleteQuestions({0, 4}));
         },
         without({"Question 1", "Question 5"}), 0},
        {"insert at the start", [](Document& d, EditHistory& h) { push(h, d.addQuestion(0)); }, all,
         1},
        {"delete the last and add one in its place",
         [](Document& d, EditHistory& h) {
             push(h, d.deleteQuestions({8}));
             push(h, d.addQuestion(8));
         },
         without({"Question 9"})},
        {"delete the last two",
         [](Document& d, EditHistory& h) {
             push(h, d.deleteQuestions({7, 8}));
         },
         without({"Question 8", "Question 8", "Question 9"})},
        {"move the last to the top",
         [](Document& d, EditHistory& h) {
             for (int i = 0; i < 8; ++i)
                 push(h, d.moveQuestions({8 - static_cast<std::size_t>(i)}, false));
         },
         all, 1},
        {"move a block down, delete, paste in between",
         [](Document& d, EditHistory& h) {
             push(h, d.moveQuestions({1, 2}, true));
             push(h, d.deleteQuestions({7}));
             push(h, d.pasteQuestions(3, readPastedRows("a\tb\tc\td\te\n")));
         },
         without({"Question 8", "Question 8"})},
        {"edit only",
         [](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(4, QuestionField::kText, "Five"));
         },
         [&] {
             auto kept = without({"Question 5"});
             kept.insert("Five");
             return kept;
         }()},
    };
    for (const RenumberCase& change : cases) {
        SCOPED_TRACE(change.name);
        TempFolder folder;
        const std::string path = sampleModule(folder, 9, {"1", "2", "08", "x", "", "12", "8"}, {});
        Document document = openDocument(path);
        EditHistory history(document);
        change.edit(document, history);
        // The game asks two more questions meanwhile.
        ASSERT_TRUE(vexlor::testing::alterModule(
            path, {"INSERT INTO Use VALUES ('5')", "INSERT INTO Use VALUES ('9')",
                   "INSERT INTO Use VALUES ('8')"}));
        auto saved = document.save();
        ASSERT_TRUE(saved.ok()) << saved.error();
        EXPECT_FALSE(document.modified());
        EXPECT_EQ(askedTexts(path), change.asked);
        EXPECT_EQ(column(path, "SELECT Question FROM MainData ORDER BY rowid"), texts(document));
        EXPECT_EQ(column(path, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        if (change.written != SIZE_MAX) {
            EXPECT_EQ(saved->questionsWritten, change.written);
        }
        // The document's rows are the file's now: a second save finds the first and the last
        // question by them, and renumbers nothing.
        push(history, document.setQuestionField(0, QuestionField::kWrong3, "First"));
        push(history,
             document.setQuestionField(document.size() - 1, QuestionField::kWrong3, "Last"));
        auto again = document.save();
        ASSERT_TRUE(again.ok());
        EXPECT_FALSE(again->askedRenumbered);
        EXPECT_EQ(again->questionsWritten, 2u);
        EXPECT_EQ(column(path, "SELECT False3 FROM MainData ORDER BY rowid"), [&] {
            std::vector<std::string> wrong;
            for (std::size_t row = 0; row < document.size(); ++row)
                wrong.push_back(document.question(row).answers[3]);
            return wrong;
        }());
        EXPECT_EQ(askedTexts(path), change.asked);
    }
}

TEST(SaveTest, ASaveOfEditedTextsRewritesOnlyTheirRows) {
    // The other rows keep their row ids and the asked list stays untouched, entries the game
    // could not read included.
    TempFolder folder;
    const std::string path = sampleModule(folder, 50, {"3", "03"});
    const auto rowIds = column(path, "SELECT rowid FROM MainData");
    Document document = openDocument(path);
    EditHistory history(document);
    push(history, document.setQuestionField(20, QuestionField::kRight, "New right"));
    push(history, document.setProperty(PropertyField::kYear, "2031"));
    push(history, document.addQuestion(50));
    auto saved = document.save();
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_EQ(saved->questionsWritten, 2u);
    EXPECT_FALSE(saved->askedRenumbered);
    auto after = column(path, "SELECT rowid FROM MainData");
    after.pop_back();
    EXPECT_EQ(after, rowIds);
    EXPECT_EQ(column(path, "SELECT Use FROM Use"), (std::vector<std::string>{"3", "03"}));
    EXPECT_EQ(column(path, "SELECT Reponce FROM MainData WHERE rowid = 21"),
              std::vector<std::string>{"New right"});
    EXPECT_EQ(column(path, "SELECT Year FROM Propriete"), std::vector<std::string>{"2031"});
    EXPECT_EQ(column(path, "SELECT Points FROM MainData ORDER BY rowid DESC LIMIT 1"),
              std::vector<std::string>{"100"});
}

TEST(SaveTest, ARefusedSaveWritesNothingAndKeepsEveryEdit) {
    // No title, questions another program changed since the module was opened, and a file
    // another program replaced: each save is refused with its reason, the file as it was, and
    // the edits stay for a Save As.
    struct Case {
        const char* name;
        std::function<void(const std::string& path, Document&, EditHistory&)> prepare;
        const char* says;
        ErrorKind kind;
        std::optional<std::vector<std::string>> askedInCopy;
    };
    const Case cases[] = {
        {"no title",
         [](const std::string&, Document& d, EditHistory& h) {
             push(h, d.setProperty(PropertyField::kTitle, ""));
         },
         "has no title", ErrorKind::kFailed, std::nullopt},
        {"questions added by the tool",
         [](const std::string& path, Document&, EditHistory&) {
             ASSERT_TRUE(vexlor::testing::alterModule(
                 path, {"INSERT INTO MainData VALUES ('Q', 'a', 'b', 'c', 'd', '1', '')"}));
         },
         "another program changed its questions", ErrorKind::kChanged, std::vector<std::string>{}},
        {"file replaced",
         [](const std::string& path, Document&, EditHistory&) {
             // As a program that does not look for the mark moves a file into its place.
             const std::string other = path + ".other";
             ASSERT_TRUE(writeModule(other, {"Other", "", "", ""}, {}, true).ok());
             fs::rename(other, path);
         },
         "was replaced by another program", ErrorKind::kFailed, std::vector<std::string>{"1"}},
    };
    for (const Case& refusal : cases) {
        SCOPED_TRACE(refusal.name);
        TempFolder folder;
        const std::string path = sampleModule(folder, 3, {"2"});
        Document document = openDocument(path);
        EditHistory history(document);
        push(history, document.deleteQuestions({0}));
        refusal.prepare(path, document, history);
        const std::string before = vexlor::testing::readBytes(path);
        auto saved = document.save();
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.error().kind(), refusal.kind);
        EXPECT_NE(saved.error().message().find(refusal.says), std::string::npos) << saved.error();
        EXPECT_EQ(vexlor::testing::readBytes(path), before);
        EXPECT_TRUE(document.modified());
        EXPECT_EQ(document.size(), 2u);
        // Save As keeps the edits in a new file (not without a title), with the asked
        // questions only while their numbers name the questions the author edited.
        auto copied = document.saveAs(folder.file("kept.vxm"), false);
        ASSERT_EQ(copied.ok(), refusal.askedInCopy.has_value());
        if (!copied.ok()) continue;
        EXPECT_EQ(column(folder.file("kept.vxm"), "SELECT Question FROM MainData"),
                  (std::vector<std::string>{"Question 2", "Question 3"}));
        EXPECT_EQ(column(folder.file("kept.vxm"), "SELECT Use FROM Use"), *refusal.askedInCopy);
    }
}

TEST(SaveTest, ASaveNeverPutsBackWhatAnotherProgramChangedAndAReloadKeepsBoth) {
    // Whatever another editor here or another program wrote into the questions or properties
    // since the document read them (texts, a row id reused, one question deleted and one added,
    // the title) makes Save refuse with the file as it was and the edits kept; a reload then
    // applies the edits made here to the module as the other left it, and the next save keeps
    // both. Where both changed the same field, this document's value wins and is counted.
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> other;
        std::function<void(Document&, EditHistory&)> mine;
        std::vector<std::string> texts, rights;
        Properties properties;
        std::size_t conflicts = 0;
    };
    auto editor = [](std::function<void(Document&, EditHistory&)> edits) {
        return [edits](const std::string& path) {
            Document other = openDocument(path);
            EditHistory history(other);
            edits(other, history);
            ASSERT_TRUE(other.save().ok());
        };
    };
    const Properties unchanged = {"Test Module", "Ann Author", "Quiz Co", "2024"};
    const std::vector<std::string> rights = {"Right 1", "Right 2", "Right 3", "Right 4", "Right 5"};
    const Case cases[] = {
        {"the same question, other fields",
         editor([](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(0, QuestionField::kText, "Theirs"));
         }),
         [](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(0, QuestionField::kRight, "Mine"));
             push(h, d.setProperty(PropertyField::kAuthor, "Me"));
         },
         {"Theirs", "Question 2", "Question 3", "Question 4", "Question 5"},
         {"Mine", "Right 2", "Right 3", "Right 4", "Right 5"},
         {"Test Module", "Me", "Quiz Co", "2024"}},
        {"the same field",
         editor([](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(0, QuestionField::kText, "Theirs"));
         }),
         [](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(0, QuestionField::kText, "Mine"));
         },
         {"Mine", "Question 2", "Question 3", "Question 4", "Question 5"},
         rights,
         unchanged,
         1},
        {"the last question deleted and its row id given to a new one",
         editor([](Document& d, EditHistory& h) {
             push(h, d.deleteQuestions({4}));
             push(h, d.insertQuestions(4, {Question{"Theirs", {"a", "b", "c", "d"}, "5", ""}}));
         }),
         [](Document& d, EditHistory& h) { push(h, d.deleteQuestions({4})); },
         {"Question 1", "Question 2", "Question 3", "Question 4", "Theirs"},
         {"Right 1", "Right 2", "Right 3", "Right 4", "a"},
         unchanged,
         1},
        {"the title saved, then only the author here",
         editor([](Document& d, EditHistory& h) {
             push(h, d.setProperty(PropertyField::kTitle, "Their title"));
         }),
         [](Document& d, EditHistory& h) { push(h, d.setProperty(PropertyField::kAuthor, "Me")); },
         {"Question 1", "Question 2", "Question 3", "Question 4", "Question 5"},
         rights,
         {"Their title", "Me", "Quiz Co", "2024"}},
        {"another program deletes one and adds one, the count unchanged",
         [](const std::string& path) {
             ASSERT_TRUE(vexlor::testing::alterModule(
                 path, {"DELETE FROM MainData WHERE rowid = 2",
                        "INSERT INTO MainData VALUES ('Added', 'x', 'b', 'c', 'd', '1', '')"}));
         },
         [](Document& d, EditHistory& h) {
             push(h, d.setQuestionField(2, QuestionField::kText, "Mine"));
             push(h, d.moveQuestions({4}, false));
         },
         {"Question 1", "Mine", "Question 5", "Question 4", "Added"},
         {"Right 1", "Right 3", "Right 5", "Right 4", "x"},
         unchanged},
        {"another program changes a text in place",
         [](const std::string& path) {
             ASSERT_TRUE(vexlor::testing::alterModule(
                 path, {"UPDATE MainData SET Question = 'Theirs' WHERE rowid = 2"}));
         },
         [](Document& d, EditHistory& h) { push(h, d.addQuestion(1)); },
         {"Question 1", "", "Theirs", "Question 3", "Question 4", "Question 5"},
         {"Right 1", "", "Right 2", "Right 3", "Right 4", "Right 5"},
         unchanged},
    };
    for (const Case& change : cases) {
        SCOPED_TRACE(change.name);
        TempFolder folder;
        const std::string path = sampleModule(folder, 5, {"1", "5"});
        Document document = openDocument(path);
        EditHistory history(document);
        change.mine(document, history);
        change.other(path);
        const std::string before = vexlor::testing::readBytes(path);
        auto refused = document.save();
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().kind(), ErrorKind::kChanged) << refused.error();
        EXPECT_EQ(vexlor::testing::readBytes(path), before);
        EXPECT_TRUE(document.modified());

        auto reloaded = document.reload();
        ASSERT_TRUE(reloaded.ok()) << reloaded.error();
        EXPECT_EQ(reloaded->conflicts, change.conflicts);
        history.clear();
        // Undone, the document is the file as the other left it (as it is at once when the
        // other's changes win everywhere).
        if (reloaded->reapply) {
            history.push(std::move(reloaded->reapply));
            history.undo();
            EXPECT_FALSE(document.modified());
            history.redo();
        }
        auto saved = document.save();
        ASSERT_TRUE(saved.ok()) << saved.error();
        EXPECT_EQ(column(path, "SELECT Question FROM MainData ORDER BY rowid"), change.texts);
        EXPECT_EQ(column(path, "SELECT Reponce FROM MainData ORDER BY rowid"), change.rights);
        const auto properties = column(path,
                                       "SELECT Title || '|' || Author || '|' || Company || "
                                       "'|' || Year FROM Propriete");
        const Properties& p = change.properties;
        EXPECT_EQ(properties, std::vector<std::string>{p.title + "|" + p.author + "|" + p.company +
                                                       "|" + p.year});
    }
}

TEST(SaveTest, AModuleThatCannotBeWrittenOpensReadOnlyAndAFolderThatCannotSaysSo) {
    // A read-only module: its Save is refused, its Save As works. A writable module in a folder
    // that is not: its Save says the folder is why (a save writes its journal there). The
    // child's exit code tells the step that failed.
    TempFolder folder;
    const std::string path = sampleModule(folder, 2);
    const std::string shut = folder.file("shut");
    fs::create_directory(shut);
    const std::string inShut = sampleModule(folder, 2, {}, {}, "shut/quiz.vxm");
    ::chmod(folder.path().c_str(), 0777);
    ::chmod(path.c_str(), 0444);
    ::chmod(inShut.c_str(), 0666);
    ::chmod(shut.c_str(), 0555);
    EXPECT_EQ(
        vexlor::testing::runWithoutPrivileges([&] {
            auto opened = Document::open(path);
            if (!opened || !opened->readOnly()) return 1;
            auto added = opened->addQuestion(0);
            if (!added || !*added) return 2;
            EditHistory(*opened).push(std::move(*added));
            auto saved = opened->save();
            if (saved || saved.error().kind() != ErrorKind::kNoAccess) return 3;
            if (!opened->saveAs(folder.file("copy.vxm"), false).ok()) return 4;

            auto unsaved = Document::open(inShut);
            if (!unsaved || unsaved->readOnly()) return 5;
            auto edit = unsaved->setQuestionField(0, QuestionField::kText, "x");
            if (!edit || !*edit) return 6;
            EditHistory(*unsaved).push(std::move(*edit));
            auto refused = unsaved->save();
            if (refused) return 7;
            const std::string says = refused.error().message();
            return says.find("folder " + shut + " cannot be written") != std::string::npos ? 0 : 8;
        }),
        0);
}

TEST(SaveTest, ASaveWaitsForAnotherProgramsWriteLockThenSaysTheModuleIsInUse) {
    // While the game holds the write lock, Save waits a bounded time, then fails as "in use"
    // with nothing written and the edits kept; the game's own write is kept, and once the lock
    // is free the same save goes through. A lock released during the wait is simply waited for.
    TempFolder folder;
    const std::string path = sampleModule(folder, 4, {"4"});
    Document document = openDocument(path);
    EditHistory history(document);
    push(history, document.deleteQuestions({0}));

    sqlite3* game = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &game), SQLITE_OK);
    sqlite3_key(game, "tov3ralu", 8);
    ASSERT_EQ(sqlite3_exec(game, "BEGIN IMMEDIATE; INSERT INTO HScore VALUES ('Ann', 'x', '7');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const auto started = std::chrono::steady_clock::now();
    auto refused = document.save();
    const auto waited = std::chrono::steady_clock::now() - started;
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind(), ErrorKind::kInUse) << refused.error();
    EXPECT_NE(refused.error().what().find("in use"), std::string::npos) << refused.error();
    EXPECT_GE(waited, 1500ms);
    EXPECT_LE(waited, 6s);
    EXPECT_TRUE(document.modified());

    std::thread release([&] {
        std::this_thread::sleep_for(300ms);
        sqlite3_exec(game, "COMMIT;", nullptr, nullptr, nullptr);
    });
    auto saved = document.save();
    release.join();
    sqlite3_close(game);
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_EQ(column(path, "SELECT Use FROM Use"), std::vector<std::string>{"3"});
    EXPECT_EQ(column(path, "SELECT Nom FROM HScore"), std::vector<std::string>{"Ann"});
}

TEST(SaveTest, SaveAsMakesACopyWithTheAskedListAndTheTopTen) {
    // The copy holds the questions as edited, the asked list renumbered and every score in its
    // order; the original stays as it was, and the document goes on with the copy.
    TempFolder folder;
    const std::vector<std::vector<std::string>> scores = {{"Ann", "Jan/01/2024", "00500"},
                                                          {"Bob", "Jan/02/2024", "00900"},
                                                          {"Cy", "Jan/03/2024", "00500"}};
    const std::string path = sampleModule(folder, 5, {"2", "5"}, scores);
    const std::string before = vexlor::testing::readBytes(path);
    Document document = openDocument(path);
    EditHistory history(document);
    push(history, document.deleteQuestions({0}));
    const std::string copy = folder.file("copy.vxm");
    ASSERT_TRUE(vexlor::testing::writeModule(copy, {}));
    EXPECT_FALSE(document.saveAs(copy, false).ok()) << "an existing file is not replaced";
    EXPECT_FALSE(document.saveAs(path, true).ok()) << "the module itself is saved with Save";
    // A module another program has open (the game playing it) is not replaced: that program
    // would go on writing into the file replaced.
    {
        auto played = ModuleStore::open(copy, ModuleStore::Access::kReadWrite);
        ASSERT_TRUE(played.ok());
        const std::string copyBefore = vexlor::testing::readBytes(copy);
        auto refused = document.saveAs(copy, true);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().kind(), ErrorKind::kInUse) << refused.error();
        EXPECT_EQ(vexlor::testing::readBytes(copy), copyBefore);
    }
    auto saved = document.saveAs(copy, true);
    ASSERT_TRUE(saved.ok()) << saved.error();
    EXPECT_EQ(vexlor::testing::readBytes(path), before);
    EXPECT_EQ(document.path(), copy);
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(askedTexts(copy), (std::multiset<std::string>{"Question 2", "Question 5"}));
    EXPECT_EQ(column(copy, "SELECT Nom FROM HScore ORDER BY rowid"),
              (std::vector<std::string>{"Ann", "Bob", "Cy"}));
    EXPECT_EQ(column(copy, "SELECT Title FROM Propriete"), std::vector<std::string>{"Test Module"});
    EXPECT_EQ(column(copy, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"),
              (std::vector<std::string>{"HScoreRank", "UseIndex"}));
    // Saving again writes the copy.
    push(history, document.setQuestionField(0, QuestionField::kText, "Two"));
    ASSERT_TRUE(document.save().ok());
    EXPECT_EQ(column(copy, "SELECT Question FROM MainData LIMIT 1"),
              std::vector<std::string>{"Two"});
}

TEST(SaveTest, NewRevertAndDamagedFiles) {
    // New makes a module as create does, indexes included; Revert drops the edits; a damaged
    // module is refused and never written.
    TempFolder folder;
    auto made = Document::create(folder.file("new.vxm"), {"Fresh", "", "", ""}, false);
    ASSERT_TRUE(made.ok()) << made.error();
    EXPECT_EQ(made->size(), 0u);
    EXPECT_EQ(column(folder.file("new.vxm"),
                     "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"),
              (std::vector<std::string>{"HScoreRank", "UseIndex"}));
    EXPECT_FALSE(Document::create(folder.file("new.vxm"), {"Fresh", "", "", ""}, false).ok());
    EXPECT_FALSE(Document::create(folder.file("untitled.vxm"), {}, false).ok());

    EditHistory history(*made);
    push(history, made->addQuestion(0));
    ASSERT_TRUE(made->revert().ok());
    EXPECT_EQ(made->size(), 0u);
    EXPECT_FALSE(made->modified());

    const std::string path = sampleModule(folder, 400);
    std::string bytes = vexlor::testing::readBytes(path);
    for (std::size_t at = bytes.size() / 2; at < bytes.size() / 2 + 64; ++at) bytes[at] ^= 0x5A;
    writeBytes(path, bytes);
    auto damaged = Document::open(path);
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().kind(), ErrorKind::kDamaged) << damaged.error();
    EXPECT_EQ(vexlor::testing::readBytes(path), bytes);
}

TEST(SaveTest, TheGamesRecordsAreReadFreshAndWrittenAtOnce) {
    // The asked count and the top ten are read as they are now; forgetting, deleting one score
    // and clearing all are written at once; a score changed since it was read is not deleted.
    TempFolder folder;
    std::vector<std::vector<std::string>> scores;
    for (int i = 1; i <= 12; ++i)
        scores.push_back({"P" + std::to_string(i), "Jan/01/2024", std::to_string(i * 10)});
    scores.push_back({"Tie", "Jan/02/2024", "120"});
    const std::string path = sampleModule(folder, 3, {"1"}, scores);
    Document document = openDocument(path);
    ASSERT_TRUE(vexlor::testing::alterModule(path, {"INSERT INTO Use VALUES ('2')"}));
    EXPECT_EQ(*document.askedCount(), 2);
    EXPECT_EQ(*document.forgetAsked(), 2);
    EXPECT_TRUE(column(path, "SELECT Use FROM Use").empty());

    auto top = document.topTen();
    ASSERT_TRUE(top.ok()) << top.error();
    ASSERT_EQ(top->size(), 10u);
    EXPECT_EQ((*top)[0].entry.name, "P12");
    EXPECT_EQ((*top)[1].entry.name, "Tie");
    EXPECT_EQ((*top)[9].entry.name, "P4");
    ASSERT_TRUE(document.deleteScore((*top)[1]).ok());
    EXPECT_EQ((*document.topTen())[1].entry.name, "P11");
    ASSERT_TRUE(
        vexlor::testing::alterModule(path, {"UPDATE HScore SET Score = '1' WHERE Nom = 'P11'"}));
    EXPECT_FALSE(document.deleteScore((*top)[2]).ok());
    EXPECT_EQ(column(path, "SELECT count(*) FROM HScore"), std::vector<std::string>{"12"});
    EXPECT_EQ(*document.clearScores(), 12);
    EXPECT_TRUE(document.topTen()->empty());
}

}  // namespace
}  // namespace vexlor::authoring::testing
