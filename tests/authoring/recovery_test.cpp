// Recovery copies of unsaved edits: the document they rebuild, hostile copies, and the slots
// that keep two editors from taking each other's copy.

#include <sys/stat.h>

#include "authoring/document_fixture.h"
#include "authoring/recovery.h"

namespace vexlor::authoring::testing {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryTest, ACopyRebuildsTheEditedDocumentAndItsAskedList) {
    TempFolder folder;
    const std::string path = sampleModule(folder, 6, {"2", "5", "1"});
    Document edited = openDocument(path);
    EditHistory history(edited);
    push(history, edited.deleteQuestions({0}));
    push(history, edited.setQuestionField(0, QuestionField::kText, "Edited 2 \"é\"\n"));
    push(history, edited.moveQuestions({3}, /*down=*/false));
    push(history, edited.addQuestion(edited.size()));
    push(history, edited.setQuestionField(edited.size() - 1, QuestionField::kText, "New"));
    push(history, edited.setProperty(PropertyField::kAuthor, "Ms Field"));

    auto copy = parseRecovery(recoveryText({path, edited.edited()}));
    ASSERT_TRUE(copy.ok()) << copy.error();
    EXPECT_EQ(copy->module, fs::path(path));

    Document recovered = openDocument(path);
    EditHistory recoveredHistory(recovered);
    auto same = recovered.restore(recovered.edited());
    ASSERT_TRUE(same.ok());
    EXPECT_FALSE(*same) << "a copy of the file as it is changes nothing";
    push(recoveredHistory, recovered.restore(copy->edited));
    EXPECT_TRUE(recovered.modified());
    EXPECT_EQ(recovered.questions(), edited.questions());
    EXPECT_EQ(recovered.properties(), edited.properties());

    // Saved, the asked list follows the questions kept; the deleted one leaves it.
    ASSERT_TRUE(recovered.save().ok());
    EXPECT_EQ(askedTexts(path), (std::multiset<std::string>{"Edited 2 \"é\"\n", "Question 5"}));
}

TEST(RecoveryTest, AnythingButAWholeCopyIsReportedAsDamaged) {
    const std::string good = recoveryText(
        {"/home/a/Quiz.vxm",
         {{"T", "A", "C", "2026"}, {{7, Question::fromFields({"Q", "R", "1", "2", "3", "9"})}}}});
    ASSERT_TRUE(parseRecovery(good).ok());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::vector<std::pair<const char*, std::string>> hostile = {
        {"empty", ""},
        {"not JSON", "Quiz.vxm"},
        {"cut short", good.substr(0, good.size() / 2)},
        {"a list", "[1, 2]"},
        {"nested deep", std::string(200000, '[') + std::string(200000, ']')},
        {"another format", replaced("vexlor-recovery", "vexlor-other")},
        {"another version", replaced("\"version\": 1", "\"version\": 2")},
        {"a relative module", replaced("/home/a/Quiz.vxm", "Quiz.vxm")},
        {"a property missing", replaced("\"year\"", "\"years\"")},
        {"a field missing", replaced("\"9\",", "")},
        {"a field not text", replaced("\"Q\"", "5")},
        {"a stored row as text", replaced("7", "\"7\"")},
        {"questions not a list", replaced("\"questions\": [", "\"questions\": {\"a\": [") + "}"},
    };
    for (const auto& [name, text] : hostile) {
        const auto read = parseRecovery(text);
        ASSERT_FALSE(read.ok()) << name;
        EXPECT_EQ(read.error().kind(), ErrorKind::kDamaged) << name;
    }
}

TEST(RecoveryTest, EachEditorTakesASlotOfItsOwn) {
    TempFolder folder;
    const fs::path copies = fs::path(folder.path()) / "state" / "recovery";
    const RecoveryCopy copy{"/m/Quiz.vxm", {}};
    auto first = RecoverySlot::claim(copies, copy.module);
    ASSERT_TRUE(first.ok()) << first.error();
    struct stat status {};
    ASSERT_EQ(::stat(copies.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    auto second = RecoverySlot::claim(copies, copy.module);
    ASSERT_TRUE(second.ok());
    EXPECT_NE(first->copy(), second->copy());
    ASSERT_TRUE(first->write(copy).ok());
    EXPECT_EQ(recoveryCopies(copies), std::vector<fs::path>{first->copy()});

    // Held by its editor, a copy is nobody else's; once that editor is gone it is offered, and
    // a new editor of the module does not write over it.
    EXPECT_FALSE(RecoverySlot::claimCopy(first->copy()));
    const fs::path left = first->copy();
    first = Error("gone");
    ASSERT_TRUE(RecoverySlot::claimCopy(left));  // offered, and kept for later
    auto third = RecoverySlot::claim(copies, copy.module);
    ASSERT_TRUE(third.ok());
    EXPECT_NE(third->copy(), left);
    EXPECT_TRUE(readRecovery(left).ok());

    const fs::path aside = RecoverySlot::claimCopy(left)->setAside();
    EXPECT_TRUE(fs::exists(aside));
    EXPECT_TRUE(recoveryCopies(copies).empty());
    ASSERT_TRUE(third->write(copy).ok());
    third->remove();
    EXPECT_FALSE(fs::exists(third->copy()));
}

}  // namespace
}  // namespace vexlor::authoring::testing
