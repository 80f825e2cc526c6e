// Question files as teachers' spreadsheets save them, imported by the editor and by the tool
// alike; the editor's review read again at once for another encoding or column.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLocale>
#include <QStatusBar>
#include <QTableWidget>
#include <sstream>

#include "authoring/module_file.h"
#include "editor/answering_prompts.h"
#include "editor/editor_window.h"
#include "editor/import_review.h"
#include "support/fakes.h"
#include "support/language.h"
#include "support/module_files.h"
#include "ui/ui_application.h"
#include "vexlor-module/commands.h"

namespace vexlor::editor {
namespace {

using authoring::ColumnField;
using authoring::Question;
using authoring::TextEncoding;

class ImportTest : public ::testing::Test, private ui::WithApplication {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder.file(name), std::ios::binary) << bytes;
        return folder.file(name);
    }
    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    AnsweringPrompts prompts;
    EditorWindow window{prompts, sound};
};

const std::string kHeader = "Question,Reponce,False1,False2,False3,Points,Audio\r\n";
// "Où est l'hôtel ?" as a spreadsheet saves plain "CSV" on Windows, with ';' between fields.
const std::string kWindows =
    "Question;Reponce;False1;False2;False3;Points\r\n"
    "O\xF9 est l'h\xF4tel ?;Ici;L\xE0;Loin;Nulle part;10\r\n";

// The tool is given what it cannot guess by itself: the encoding, and --columns auto.
TEST_F(ImportTest, TheEditorAndTheToolImportTheSameQuestionsFromTheSameFile) {
    const std::string utf8 =
        kHeader + "Caf\xC3\xA9 ?,Oui,Non,Peut-\xC3\xAAtre,Jamais,10,\r\n" + "Q2,A,B,C,D,20,\r\n";
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> toolOptions;
        std::size_t questions, skipped;
    } files[] = {
        {"utf8.csv", utf8, {}, 2, 0},
        {"bom.csv", "\xEF\xBB\xBF" + utf8, {}, 2, 0},
        {"windows.csv", kWindows, {"--encoding=windows-1252"}, 1, 0},
        {"empty-rows.csv",
         kHeader + ",,,,,,\r\nQ1,A,B,C,D,5,\r\n,,,,,,\r\nQ2,A,B,C,D,5,\r\n",
         {},
         2,
         0},
        {"missing-answer.csv",
         kHeader + "Q1,A,B,C,D,5,\r\nQ2,A,,C,D,5,\r\nQ3,A,B,C,D,5,\r\n",
         {},
         2,
         1},
        {"french.csv",
         "Question;Bonne r\xC3\xA9ponse;Mauvaise r\xC3\xA9ponse 1;Mauvaise r\xC3\xA9ponse "
         "2;Mauvaise r\xC3\xA9ponse 3;Points;Image\r\nCapitale ?;Paris;Lyon;Nice;Lille;10;\r\n",
         {"--columns=auto"},
         1,
         0},
    };
    ASSERT_TRUE(window.newModule(QString::fromStdString(folder.file("quiz.vxm")), "Quiz"));
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = write(file.name, file.bytes);
        prompts.skipped = 99;
        ASSERT_TRUE(window.importFile(QString::fromStdString(path)))
            << prompts.warnings.join('\n').toStdString();
        std::vector<Question> edited;
        for (std::size_t row = 0; row < window.document()->size(); ++row)
            edited.push_back(window.document()->question(row));
        // One step to undo.
        window.undoStack().undo();
        EXPECT_EQ(window.document()->size(), 0u);

        std::vector<std::string> arguments = {"create",  folder.file("tool.vxm"), "--title", "T",
                                              "--force", "--questions",           path};
        arguments.insert(arguments.end(), file.toolOptions.begin(), file.toolOptions.end());
        std::ostringstream out, err;
        ASSERT_EQ(authoring::runTool(arguments, out, err), 0) << err.str();
        auto module = authoring::ModuleStore::open(folder.file("tool.vxm"));
        ASSERT_TRUE(module);
        const auto made = module->questions();
        ASSERT_TRUE(made);
        EXPECT_EQ(edited, *made);
        EXPECT_EQ(edited.size(), file.questions);
        EXPECT_EQ(prompts.skipped, file.skipped);
        const std::string skippedNote = "(" + std::to_string(file.skipped) + " skipped)";
        EXPECT_EQ(out.str().find(skippedNote) != std::string::npos, file.skipped > 0) << out.str();
    }

    // CSV for spreadsheets where numbers have a decimal comma, read back the same.
    ASSERT_TRUE(window.importFile(QString::fromStdString(folder.file("utf8.csv"))));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    const QString sheet = QString::fromStdString(folder.file("sheet.csv"));
    ASSERT_TRUE(window.exportFile(sheet, authoring::ImportFormat::kCsv, true));
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(testing::readBytes(sheet.toStdString()).substr(0, 20),
              "\xEF\xBB\xBFQuestion;Reponce;");
    ASSERT_TRUE(window.importFile(sheet));
    ASSERT_EQ(window.document()->size(), 4u);
    EXPECT_EQ(window.document()->question(2), window.document()->question(0));
}

TEST_F(ImportTest, PasteSkipsAHeaderEmptyRowsAndWhatAnImportSkips) {
    ASSERT_TRUE(window.newModule(QString::fromStdString(folder.file("quiz.vxm")), "Quiz"));
    ASSERT_TRUE(window.pasteRows(
        QString::fromUtf8("Question\tBonne r\xC3\xA9ponse\tMauvaise 1\tMauvaise 2\tMauvaise "
                          "3\tPoints\n\t\t\n \t \nQ1\tA\tB\tC\tD\tten\nQ2\tA\tB\tC\tD\t5\n")));
    ASSERT_EQ(window.document()->size(), 1u);
    EXPECT_EQ(window.document()->question(0).text, "Q2");
    EXPECT_EQ(window.statusBar()->currentMessage(),
              "Pasted 1 question; the first row names the columns and was not pasted; 1 question "
              "skipped");
}

TEST_F(ImportTest, TheReviewReadsAgainAtOnceInAnotherEncodingOrWithAnotherColumn) {
    ImportReview review(kWindows, folder.file("windows.csv"), std::nullopt, folder.path());
    const auto firstText = [&] {
        const auto& questions = review.current().result.questions;
        return questions.empty() ? std::string() : questions.front().text;
    };
    ASSERT_TRUE(review.current().notUtf8);
    EXPECT_EQ(review.current().notUtf8->line, 2);
    EXPECT_EQ(firstText(), "O\xC3\xB9 est l'h\xC3\xB4tel ?");
    EXPECT_TRUE(review.importable());

    QComboBox* encoding = review.encodingBox();
    encoding->setCurrentIndex(encoding->findData(static_cast<int>(TextEncoding::kUtf8)));
    EXPECT_FALSE(review.importable());
    EXPECT_TRUE(review.summary().contains(QStringLiteral("0xF9")))
        << review.summary().toStdString();
    // The tool's option is not offered where the encoding is picked above, in any language.
    EXPECT_TRUE(review.summary().endsWith(QStringLiteral(", or pick Windows-1252 above")))
        << review.summary().toStdString();
    {
        const testing::InLanguage french("fr");
        encoding->setCurrentIndex(encoding->findData(static_cast<int>(TextEncoding::kWindows1252)));
        encoding->setCurrentIndex(encoding->findData(static_cast<int>(TextEncoding::kUtf8)));
        EXPECT_TRUE(
            review.summary().endsWith(QStringLiteral(", ou choisissez Windows-1252 ci-dessus")))
            << review.summary().toStdString();
    }
    encoding->setCurrentIndex(encoding->findData(static_cast<int>(TextEncoding::kWindows1252)));
    EXPECT_TRUE(review.importable());

    // The right answer's column said to be the first wrong answer's: then no column holds the
    // right answer, until another is said to.
    const auto box = [&](int column) {
        return qobject_cast<QComboBox*>(review.columnTable()->cellWidget(0, column));
    };
    ASSERT_EQ(review.columnTable()->columnCount(), 6);
    box(1)->setCurrentIndex(static_cast<int>(ColumnField::kWrong1));
    EXPECT_FALSE(review.importable());
    EXPECT_TRUE(review.summary().contains(QStringLiteral("no column holds the right answer")));
    box(2)->setCurrentIndex(static_cast<int>(ColumnField::kRight));
    ASSERT_TRUE(review.importable()) << review.summary().toStdString();
    const Question& read = review.current().result.questions.front();
    EXPECT_EQ(read.answers[0], "L\xC3\xA0");
    EXPECT_EQ(read.answers[1], "Ici");
}

}  // namespace
}  // namespace vexlor::editor
