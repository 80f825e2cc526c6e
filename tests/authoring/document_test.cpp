// The editor's document without a window: its edits and their undo, the modified flag, the
// search, the problem list, paste and import.

#include <functional>

#include "authoring/document_fixture.h"
#include "authoring/text_fit.h"

namespace vexlor::authoring::testing {
namespace {

using Texts = std::vector<std::string>;

Question question(const std::string& text, const std::string& right = "Right") {
    return Question{text, {right, "Wrong a", "Wrong b", "Wrong c"}, "100", ""};
}

struct EditCase {
    const char* name;
    std::function<Result<EditPtr>(const Document&)> make;
    Texts after;  ///< the question texts once applied, from "Question 1".."Question 5"
    std::size_t focus = 0;
};

TEST(DocumentTest, EveryEditDoesUndoesAndRedoes) {
    // Each edit gives the rows it promises, undo gives back the rows before, with the same
    // identities, and redo the rows after once more.
    TempFolder folder;
    const std::string path = sampleModule(folder, 5);
    const Texts before = {"Question 1", "Question 2", "Question 3", "Question 4", "Question 5"};
    const std::vector<EditCase> cases = {
        {"field",
         [](const Document& d) { return d.setQuestionField(2, QuestionField::kText, "Three"); },
         {"Question 1", "Question 2", "Three", "Question 4", "Question 5"},
         2},
        {"add",
         [](const Document& d) { return d.addQuestion(1); },
         {"Question 1", "", "Question 2", "Question 3", "Question 4", "Question 5"},
         1},
        {"insert at end",
         [](const Document& d) {
             return d.insertQuestions(5, {question("X"), question("Y")});
         },
         {"Question 1", "Question 2", "Question 3", "Question 4", "Question 5", "X", "Y"},
         5},
        {"duplicate",
         [](const Document& d) {
             return d.duplicateQuestions({3, 0});
         },
         {"Question 1", "Question 2", "Question 3", "Question 4", "Question 1", "Question 4",
          "Question 5"},
         4},
        {"delete several",
         [](const Document& d) {
             return d.deleteQuestions({4, 1, 3, 1});
         },
         {"Question 1", "Question 3"},
         1},
        {"move up",
         [](const Document& d) {
             return d.moveQuestions({2, 3}, false);
         },
         {"Question 1", "Question 3", "Question 4", "Question 2", "Question 5"},
         1},
        {"move down",
         [](const Document& d) {
             return d.moveQuestions({0, 2}, true);
         },
         {"Question 2", "Question 1", "Question 4", "Question 3", "Question 5"},
         1},
        {"paste",
         [](const Document& d) {
             return d.pasteQuestions(0, readPastedRows("P\tR\tW1\tW2\tW3\t5\n"));
         },
         {"P", "Question 1", "Question 2", "Question 3", "Question 4", "Question 5"},
         0},
        {"import",
         [](const Document& d) {
             return d.importQuestions(readGift("Q? {=a ~b ~c ~d}\n\nT? {T}\n", {}));
         },
         {"Question 1", "Question 2", "Question 3", "Question 4", "Question 5", "Q?"},
         5},
    };
    for (const EditCase& edit : cases) {
        SCOPED_TRACE(edit.name);
        Document document = openDocument(path);
        std::vector<QuestionId> ids;
        for (std::size_t row = 0; row < document.size(); ++row) ids.push_back(document.id(row));
        auto made = edit.make(document);
        ASSERT_TRUE(made.ok()) << made.error();
        ASSERT_TRUE(*made);
        EXPECT_EQ(texts(document), before) << "an edit changes nothing until applied";
        (*made)->apply(document);
        EXPECT_EQ(texts(document), edit.after);
        EXPECT_EQ((*made)->focusRow(false), edit.focus);
        EXPECT_TRUE(document.modified());
        (*made)->revert(document);
        EXPECT_EQ(texts(document), before);
        for (std::size_t row = 0; row < document.size(); ++row)
            EXPECT_EQ(document.id(row), ids[row]) << row;
        EXPECT_FALSE(document.modified());
        (*made)->apply(document);
        EXPECT_EQ(texts(document), edit.after);
    }
}

TEST(DocumentTest, PropertiesAndIdentitiesFollowTheEdits) {
    // A property edit undoes; a question keeps its identity and its saved number wherever it
    // moves, and a new one has no saved number.
    TempFolder folder;
    Document document = openDocument(sampleModule(folder, 3));
    EditHistory history(document);
    push(history, document.setProperty(PropertyField::kAuthor, "Bea"));
    EXPECT_EQ(document.properties().author, "Bea");
    const QuestionId third = document.id(2);
    push(history, document.moveQuestions({2}, false));
    push(history, document.addQuestion(0));
    EXPECT_EQ(document.rowOf(third), 2u);
    EXPECT_EQ(document.savedNumber(2), 3u);
    EXPECT_EQ(document.savedNumber(0), std::nullopt);
    push(history, document.deleteQuestions({2}));
    EXPECT_EQ(document.rowOf(third), std::nullopt);
    while (history.undo()) {
    }
    EXPECT_EQ(document.properties().author, "Ann Author");
    EXPECT_EQ(document.rowOf(third), 2u);
}

TEST(DocumentTest, EditsThatCannotBeMadeAreRefusedOrEmpty) {
    // Rows past the end are errors; an edit that changes nothing is no edit; the game's count
    // of questions is never passed.
    TempFolder folder;
    const Document document = openDocument(sampleModule(folder, 2));
    EXPECT_FALSE(document.deleteQuestions({2}).ok());
    EXPECT_FALSE(document.setQuestionField(2, QuestionField::kText, "x").ok());
    EXPECT_FALSE(document.insertQuestions(3, {question("x")}).ok());
    EXPECT_FALSE(*document.moveQuestions({0}, false));
    EXPECT_FALSE(*document.moveQuestions({0, 1}, true));
    EXPECT_FALSE(*document.setQuestionField(0, QuestionField::kText, "Question 1"));
    EXPECT_FALSE(*document.deleteQuestions({}));
    const std::vector<Question> many(static_cast<std::size_t>(kMaxQuestions) - 1, question("m"));
    EXPECT_FALSE(document.insertQuestions(0, many).ok());
    EXPECT_TRUE(document.insertQuestions(0, {many.begin(), many.end() - 1}).ok());
}

TEST(DocumentTest, ModifiedIsCleanOnlyAtTheSavedState) {
    // Typing in one field undoes as one step, but never merges across a save; undoing back to
    // the saved state is clean, and a new edit after undo never is.
    TempFolder folder;
    Document document = openDocument(sampleModule(folder, 2));
    EditHistory history(document);
    push(history, document.setQuestionField(0, QuestionField::kRight, "R"));
    push(history, document.setQuestionField(0, QuestionField::kRight, "Ri"));
    push(history, document.setQuestionField(0, QuestionField::kRight, "Rig"));
    EXPECT_EQ(history.size(), 1u);
    ASSERT_TRUE(document.save().ok());
    EXPECT_FALSE(document.modified());
    push(history, document.setQuestionField(0, QuestionField::kRight, "Righ"));
    EXPECT_EQ(history.size(), 2u) << "merged into the saved state";
    EXPECT_TRUE(document.modified());
    history.undo();
    EXPECT_FALSE(document.modified());
    EXPECT_EQ(document.question(0).answers[0], "Rig");
    history.undo();
    EXPECT_TRUE(document.modified());
    EXPECT_EQ(document.question(0).answers[0], "Right 1");
    history.redo();
    EXPECT_FALSE(document.modified());
    history.undo();
    push(history, document.setQuestionField(0, QuestionField::kRight, "Rig"));
    EXPECT_TRUE(document.modified()) << "the same text by another edit is another state";
}

TEST(DocumentTest, TheSearchFindsAnyFieldWithoutRegardToCaseOrAccents) {
    // Every field is searched, letters of any case and accents match, and no match spans two
    // fields.
    TempFolder folder;
    Document document = openDocument(sampleModule(folder, 12));
    EditHistory history(document);
    push(history, document.setQuestionField(3, QuestionField::kWrong2, "ÉCOLE Жук Ωmega"));
    push(history, document.setQuestionField(5, QuestionField::kMedia, "pics/Łódź.gif"));
    push(history, document.setQuestionField(6, QuestionField::kText, "La planète Œuvre"));
    push(history, document.setQuestionField(7, QuestionField::kRight, "Cafe\u0301 Straße"));
    struct Case {
        const char* text;
        std::vector<std::size_t> rows;
    };
    const Case cases[] = {
        {"question 1", {0, 9, 10, 11}},
        {"école", {3}},
        {"жУК", {3}},
        {"ωMEGA", {3}},
        {"łÓDŹ.GIF", {5}},
        {"ECOLE", {3}},
        {"planete", {6}},
        {"PLANÈTE oeuvre", {6}},
        {"café strasse", {7}},
        {"lodz", {5}},
        {"wrong 12c", {11}},
        {"question 1right", {}},
        {"12b", {11}},
        {"nothing at all", {}},
    };
    for (const Case& search : cases)
        EXPECT_EQ(document.filter(search.text), search.rows) << search.text;
    EXPECT_EQ(document.filter("").size(), 12u);
}

const Problem* findProblem(const Document& document, Problem::Kind kind, std::size_t row) {
    for (const Problem& problem : document.problems())
        if (problem.kind == kind && (kind == Problem::Kind::kModule || problem.row == row))
            return &problem;
    return nullptr;
}

TEST(DocumentTest, TheProblemListFollowsEachEdit) {
    // Each kind of problem appears with the row of its question when an edit makes it, moves
    // with the question, and goes when the edit is undone.
    TempFolder folder;
    Document document = openDocument(sampleModule(folder, 4));
    EditHistory history(document);
    EXPECT_TRUE(document.problems().empty());
    struct Case {
        const char* name;
        std::function<Result<EditPtr>(const Document&)> make;
        Problem::Kind kind;
        std::size_t row;
        const char* says;
        std::optional<QuestionField> field;  // where the editor puts the cursor
    };
    std::vector<Case> cases = {
        {"empty answer",
         [](const Document& d) { return d.setQuestionField(1, QuestionField::kWrong1, " "); },
         Problem::Kind::kQuestion, 1, "Wrong answer 1 is empty", QuestionField::kWrong1},
        {"equal answers",
         [](const Document& d) { return d.setQuestionField(2, QuestionField::kWrong3, "Right 3"); },
         Problem::Kind::kQuestion, 2, "are the same answer", QuestionField::kWrong3},
        {"points",
         [](const Document& d) { return d.setQuestionField(0, QuestionField::kPoints, "many"); },
         Problem::Kind::kQuestion, 0, "is not a number", QuestionField::kPoints},
        {"media",
         [](const Document& d) { return d.setQuestionField(3, QuestionField::kMedia, "a.png"); },
         Problem::Kind::kQuestion, 3, "neither shown nor played", QuestionField::kMedia},
        {"repeat",
         [](const Document& d) {
             return d.setQuestionField(3, QuestionField::kText, " question 2");
         },
         Problem::Kind::kRepeated, 3, "repeats question 2", QuestionField::kText},
        {"title", [](const Document& d) { return d.setProperty(PropertyField::kTitle, ""); },
         Problem::Kind::kModule, 0, "the title is empty", std::nullopt},
    };
    if (TextMeasure::shared())
        cases.push_back(
            {"too long",
             [](const Document& d) {
                 return d.setQuestionField(1, QuestionField::kRight, std::string(400, 'w'));
             },
             Problem::Kind::kQuestion, 1, "wider than its panel", QuestionField::kRight});
    for (const Case& change : cases) {
        SCOPED_TRACE(change.name);
        push(history, change.make(document));
        const Problem* found = findProblem(document, change.kind, change.row);
        ASSERT_NE(found, nullptr);
        EXPECT_NE(found->message.find(change.says), std::string::npos) << found->message;
        EXPECT_EQ(found->field, change.field);
        history.undo();
        EXPECT_TRUE(document.problems().empty()) << document.problems().front().describe();
    }
    // The problem names its question's new row once the question moves.
    push(history, document.setQuestionField(3, QuestionField::kWrong1, ""));
    push(history, document.moveQuestions({3}, false));
    ASSERT_EQ(document.problems().size(), 1u);
    EXPECT_EQ(document.problems()[0].row, 2u);
    EXPECT_EQ(document.problems()[0].describe(), "question 3: Wrong answer 1 is empty");
    EXPECT_EQ(document.problems()[0].field, QuestionField::kWrong1);
    EXPECT_EQ(document.problemsOf(2).size(), 1u);
}

TEST(DocumentTest, PastedRowsAreReadAsSpreadsheetsCopyThem) {
    // Quoted cells keep tabs, line breaks and quotes; a header is skipped; points and media may
    // be left out; rows that cannot be played are listed with their line.
    const std::string text =
        "Question\tReponce\tFalse1\tFalse2\tFalse3\tPoints\tAudio\r\n"
        "\"Two\nlines\"\t\"a \"\"quoted\"\" tab\there\"\tb\tc\td\t250\tm.wav\r\n"
        "\"Not closed\tr\tw\tx\ty\n"
        "Short\tonly\tthree\n"
        "\n"
        "Same\tx\tx\ty\tz\t\t\t\t\n"
        "Plain\tr\tw\tx\ty\t\t\t\t\n";
    const ImportResult pasted = readPastedRows(text, {.points = 7});
    ASSERT_EQ(pasted.questions.size(), 3u);
    EXPECT_EQ(pasted.questions[0].text, "Two\nlines");
    EXPECT_EQ(pasted.questions[0].answers[0], "a \"quoted\" tab\there");
    EXPECT_EQ(pasted.questions[0].points, "250");
    EXPECT_EQ(pasted.questions[0].media, "m.wav");
    EXPECT_EQ(pasted.questions[1].text, "\"Not closed");
    EXPECT_EQ(pasted.questions[1].points, "7");
    EXPECT_EQ(pasted.questions[2].text, "Plain");
    ASSERT_EQ(pasted.problems.size(), 2u);
    EXPECT_EQ(pasted.problems[0].line, 5);
    EXPECT_NE(pasted.problems[0].message.find("3 cells"), std::string::npos);
    EXPECT_EQ(pasted.problems[1].line, 7);
    EXPECT_EQ(pasted.places[2].line, 8);

    // What the table copies reads back the same.
    const ImportResult again = readPastedRows(pastedRows(pasted.questions));
    ASSERT_EQ(again.questions.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(again.questions[i].fields(), pasted.questions[i].fields()) << i;
    EXPECT_TRUE(readPastedRows(std::string("a\tb\xff\tc\td\te")).fatal);
}

}  // namespace
}  // namespace vexlor::authoring::testing
