// Rows pasted from a spreadsheet and the table's rows copied for one: what is read from hostile
// clipboards, and copy then paste giving back the very questions copied.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/document.h"

namespace vexlor::authoring::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows fieldsOf(const std::vector<Question>& questions) {
    Rows rows;
    for (const Question& question : questions) rows.push_back(question.fields());
    return rows;
}

TEST(PasteTest, CellsAreReadAsSpreadsheetsCopyThem) {
    // Quotes around a whole cell are the spreadsheet's, anywhere else they are text; a header
    // and empty rows are skipped; points left out or blank are the default.
    struct Case {
        const char* name;
        std::string clipboard;
        Rows questions;
        std::vector<int> problemLines;
    };
    const std::vector<Case> cases = {
        {"points and media left out, or blank",
         "A\tr\tw\tx\ty\nB\tr\tw\tx\ty\t\tm.wav\nC\tr\tw\tx\ty\t \t\n",
         {{"A", "r", "w", "x", "y", "100", ""},
          {"B", "r", "w", "x", "y", "100", "m.wav"},
          {"C", "r", "w", "x", "y", "100", ""}},
         {}},
        {"quotes",
         "\"Hamlet\"\t\"a\"b\t\"open\tx\t\"\"\"y\"\"\"\t\"\"\n",
         {{"Hamlet", "\"a\"b", "\"open", "x", "\"y\"", "100", ""}},
         {}},
        {"header after empty rows, and line ends of every kind",
         "\r\n\t\t\t\t\t\t\t\t\nquestion\tREPONCE\tFalse1\nA\tr\tw\tx\ty\rB\tr\tw\tx\ty\r\n",
         {{"A", "r", "w", "x", "y", "100", ""}, {"B", "r", "w", "x", "y", "100", ""}},
         {}},
        {"a header of the spreadsheet's own names, in its own order, and blank rows",
         "Points\tQuestion\tNotes\tBonne r\xC3\xA9ponse\tMauvaise r\xC3\xA9ponse\tMAUVAISE "
         "R\xC3\xA9PONSE\tMauvaise r\xC3\xA9ponse \n \t \n5\tA\tnote\tr\tw\tx\ty\n",
         {{"A", "r", "w", "x", "y", "5", ""}},
         {}},
        {"a quoted header is a question",
         "\"Question\"\tReponce\tFalse1\tFalse2\tFalse3\tPoints\tAudio\n",
         {{"Question", "Reponce", "False1", "False2", "False3", "Points", "Audio"}},
         {}},
        {"a second header is a row like any other, and lines are counted across cells",
         "A\t\"r\n\r\rr\"\tw\tx\ty\nQuestion\tReponce\nB\tr\tw\tx\ty\t5\tm\t\t\t\nC\tr\tw\tx\ty\t5"
         "\tm\t8",
         {{"A", "r\n\r\rr", "w", "x", "y", "100", ""}, {"B", "r", "w", "x", "y", "5", "m"}},
         {5, 7}},
        {"a row of a million tabs",
         "A" + std::string(1'000'000, '\t') + "z\nB\tr\tw\tx\ty",
         {{"B", "r", "w", "x", "y", "100", ""}},
         {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportResult pasted = readPastedRows(c.clipboard);
        EXPECT_FALSE(pasted.fatal);
        EXPECT_EQ(fieldsOf(pasted.questions), c.questions);
        std::vector<int> lines;
        for (const Problem& problem : pasted.problems) lines.push_back(problem.line);
        EXPECT_EQ(lines, c.problemLines);
    }
    EXPECT_EQ(readPastedRows("A" + std::string(1'000'000, '\t') + "z").problems.at(0).message,
              "has 1000001 cells where 5 to 7 are read: question, right answer, three wrong "
              "answers, points, media");
}

TEST(PasteTest, CopyThenPasteGivesBackTheSameQuestions) {
    // Any text in any field, alone or among others: nothing lost, nothing merged, no row taken
    // for a header.
    const std::vector<std::string> hostile = {"\"Hamlet\"",
                                              "\"",
                                              "\"\"",
                                              "\"\"\"",
                                              "\"a\"b",
                                              "a\"",
                                              "\"\t",
                                              "\t\"",
                                              " \"\t\" ",
                                              "\"\n\"",
                                              "\"\"\t\"\"",
                                              "tab\tinside",
                                              "\tleading",
                                              "trailing\t",
                                              "two\nlines",
                                              "crlf\r\nend",
                                              "cr\rend",
                                              "\n",
                                              "\r",
                                              "  blanks  ",
                                              " ",
                                              "",
                                              "Question",
                                              " question ",
                                              "Reponce",
                                              "\xEF\xBB\xBFmarked",
                                              "\xC3\xBCn\xC3\xAF \xE2\x9C\x93"};
    std::vector<Question> questions = {
        {"Question", {"Reponce", "False1", "False2", "False3"}, "Points", "Audio"}};
    for (std::size_t field = 0; field < kQuestionFieldCount; ++field) {
        for (const std::string& text : hostile) {
            const std::string n = std::to_string(questions.size());
            Question question{"Q" + n, {"R" + n, "W1 " + n, "W2 " + n, "W3 " + n}, n, "m" + n};
            fieldOf(question, static_cast<QuestionField>(field)) = text;
            // Unplayable questions are not read, and blank points are the default's.
            if (field < 6 && importing::unplayable(question)) continue;
            if (field == 5 && importing::trim(text).empty()) continue;
            questions.push_back(question);
        }
    }
    for (const Question& question : questions) {
        const ImportResult alone = readPastedRows(pastedRows({question}));
        EXPECT_EQ(fieldsOf(alone.questions), fieldsOf({question})) << pastedRows({question});
    }
    const ImportResult all = readPastedRows(pastedRows(questions));
    EXPECT_TRUE(all.problems.empty());
    EXPECT_EQ(fieldsOf(all.questions), fieldsOf(questions));
}

}  // namespace
}  // namespace vexlor::authoring::testing
