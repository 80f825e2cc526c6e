// The printed quiz, read back from the PDF by poppler's tools: every question whole on one page
// with its answers lettered as the answer key says, pictures included, the key on its own page.

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <set>

#include "editor/print.h"
#include "support/fakes.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

// The text of each page, every run of blanks made one space: wrapped lines read as one.
QStringList pagesOf(const std::string& pdf) {
    QStringList pages =
        QString::fromStdString(run("pdftotext -layout '" + pdf + "' -")).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    for (QString& page : pages) page = page.simplified();
    return pages;
}

// Whether `page` holds `text` followed by a blank or the page's end: "Right1" is not "Right10".
bool holds(const QString& page, const QString& text) {
    return page.contains(text + QLatin1Char(' ')) || page.endsWith(text);
}

class PrintTest : public ::testing::Test, private ui::WithApplication {
  protected:
    PrintTest() {
        fs::copy_file(std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-flag-japan.gif",
                      folder.path() / "flag.gif");
        source.properties = {"Capitals and flags", "Ms Martin", "", "2026"};
        source.mediaFolder = folder.path();
        for (int i = 1; i <= 30; ++i) {
            const std::string n = std::to_string(i);
            // Every fourth question long enough to wrap, so blocks differ in height.
            std::string text = "Question " + n + ": which answer is the right one";
            if (i % 4 == 0) text += " among these four, read carefully before choosing one of them";
            source.questions.push_back(
                {text + "?",
                 {"Right" + n, "Wrong" + n + "x", "Wrong" + n + "y", "Wrong" + n + "z"},
                 "100",
                 ""});
        }
        for (int i : {7, 8, 9, 18, 19}) source.questions[i - 1].media = "flag.gif";
        source.questions[11].media = "missing.gif";
    }

    testing::TempFolder folder;
    PrintSource source;
};

// The sheet holds each question and its four lettered answers on one page, in the letters the
// key gives; the key lists each right answer under that letter; the page count is what the
// layout made and what 30 questions with five pictures need.
TEST_F(PrintTest, TheSheetAndTheKeyAgreeAndNoQuestionIsSplit) {
    for (const bool shuffled : {false, true}) {
        SCOPED_TRACE(shuffled ? "shuffled" : "fixed");
        const PrintOptions options{true, true, shuffled, 7};
        const std::string pdf = folder.file(shuffled ? "shuffled.pdf" : "fixed.pdf");
        const auto pages = writeQuizPdf(pdf, source, options);
        ASSERT_TRUE(pages) << pages.error();
        // Six pages of questions (six or seven plain ones, four or five with pictures, to a
        // page) and the key.
        EXPECT_EQ(*pages, 7);
        EXPECT_TRUE(QString::fromStdString(run("pdfinfo '" + pdf + "'"))
                        .contains(QRegularExpression(QStringLiteral("\\bPages: +7\\n"))));

        // The five pictures are drawn, each once.
        EXPECT_EQ(QString::fromStdString(run("pdfimages -list '" + pdf + "'"))
                      .count(QStringLiteral(" image ")),
                  5);
        const QStringList text = pagesOf(pdf);
        ASSERT_EQ(text.size(), 7);
        const QString& key = text[6];
        EXPECT_TRUE(key.startsWith(shuffled
                                       ? QStringLiteral("Answer key Capitals and flags - shuffle 7")
                                       : QStringLiteral("Answer key Capitals and flags 1.")));
        EXPECT_TRUE(text[0].contains(QStringLiteral("Ms Martin, 2026")));
        int lastPage = 0;
        for (std::size_t i = 0; i < source.questions.size(); ++i) {
            const auto& q = source.questions[i];
            const auto order = answerOrder(q, i + 1, options);
            QString block =
                QString::number(i + 1) + QStringLiteral(". ") + QString::fromStdString(q.text);
            // A picture that cannot be printed is said so where it would be.
            if (q.media == "missing.gif")
                block += QStringLiteral(" (picture missing.gif not found)");
            for (int k = 0; k < 4; ++k)
                block +=
                    QStringLiteral(" ") + QChar('A' + k) + QStringLiteral(". ") +
                    QString::fromStdString(
                        q.answers[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])]);
            int found = -1;
            for (int p = 0; p < 6; ++p)
                if (holds(text[p], block)) found = p;
            EXPECT_GE(found, lastPage) << "question " << i + 1 << " not whole on one page";
            lastPage = std::max(lastPage, found);

            const int right =
                static_cast<int>(std::find(order.begin(), order.end(), 0) - order.begin());
            EXPECT_TRUE(
                holds(key, QStringLiteral("%1. %2 Right%1").arg(i + 1).arg(QChar('A' + right))))
                << "key of question " << i + 1;
        }
    }
}

// The answers' order: fixed, it ignores the seed and keeps the wrong answers in the module's
// order, the right one at a letter that is not always the same; shuffled, it is a permutation
// the seed changes and the same seed repeats.
TEST_F(PrintTest, AnswerOrderIsFixedByTheQuestionOrShuffledBySeed) {
    std::set<long> rightLetters;
    int moved = 0;
    for (std::size_t i = 0; i < source.questions.size(); ++i) {
        const auto& q = source.questions[i];
        auto fixed = answerOrder(q, i + 1, {true, true, false, 1});
        EXPECT_EQ(fixed, answerOrder(q, i + 1, {true, true, false, 99}));
        const auto right = std::find(fixed.begin(), fixed.end(), 0);
        rightLetters.insert(right - fixed.begin());
        std::rotate(right, right + 1, fixed.end());  // the right answer last: the rest in order
        EXPECT_EQ(fixed, (std::array<int, 4>{1, 2, 3, 0}));

        const auto one = answerOrder(q, i + 1, {true, true, true, 1});
        EXPECT_EQ(one, answerOrder(q, i + 1, {true, true, true, 1}));
        EXPECT_EQ(std::set<int>(one.begin(), one.end()), (std::set<int>{0, 1, 2, 3}));
        if (one != answerOrder(q, i + 1, {true, true, true, 2})) ++moved;
    }
    EXPECT_GE(rightLetters.size(), 3u);
    EXPECT_GE(moved, 15);
}

// A key alone is one page without the questions; nothing chosen or no question prints nothing.
TEST_F(PrintTest, WhatIsChosenIsWhatIsPrinted) {
    const std::string pdf = folder.file("key.pdf");
    const auto pages = writeQuizPdf(pdf, source, {false, true, false, 1});
    ASSERT_TRUE(pages) << pages.error();
    EXPECT_EQ(*pages, 1);
    EXPECT_FALSE(pagesOf(pdf).join(' ').contains(QStringLiteral("Question 1:")));

    EXPECT_FALSE(writeQuizPdf(folder.file("none.pdf"), source, {false, false, false, 1}));
    EXPECT_FALSE(writeQuizPdf(folder.file("none.pdf"), PrintSource{}, {}));
    EXPECT_FALSE(fs::exists(folder.file("none.pdf")));
}

}  // namespace
}  // namespace vexlor::editor
