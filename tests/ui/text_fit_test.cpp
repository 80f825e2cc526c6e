// The authoring tool's measure of a text in a panel agrees with the game's own labels.

#include <gtest/gtest.h>

#include <QLabel>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/text_fit.h"
#include "rules/text_panels.h"
#include "ui/widgets.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

TEST(TextFit, TheToolTellsTheTextsThatFitTheGamesPanelsAsTheGameDrawsThem) {
    // Texts that clearly fit or clearly overflow the question's panel (at both widths) and an
    // answer's panel: the tool and the label the game draws them in give the same verdict.
    application();
    authoring::TextMeasure* measure = authoring::TextMeasure::shared();
    ASSERT_NE(measure, nullptr);
    using rules::panels::kAnswer, rules::panels::kQuestion;
    const int besidePicture = rules::panels::kQuestionWidthBesidePicture;
    std::string long409;
    while (long409.size() < 409) long409 += "Which ocean lies between Africa and Australia? ";
    const struct {
        const rules::panels::TextPanel& panel;
        int width;
        std::string text;
        bool fits;
    } cases[] = {
        {kQuestion, kQuestion.width, "What is the capital city of Canada?", true},
        {kQuestion, besidePicture, "Which planet is known as the Red Planet?", true},
        {kQuestion, kQuestion.width, long409, false},
        {kQuestion, besidePicture, long409.substr(0, 200), false},
        {kAnswer, kAnswer.width, "Ottawa", true},
        {kAnswer, kAnswer.width, "The Danube, through ten countries of Europe and to the sea",
         false},
    };
    for (const auto& c : cases) {
        app::Label element;
        element.Width = c.width;
        element.Height = c.panel.height;
        element.font = c.panel.font;
        element.Caption = c.text;
        QWidget window;
        QLabel label(&window);
        renderLabel(element, label, 1.0);
        const int width = pixels(c.width), height = pixels(c.panel.height);
        const int drawn = label.heightForWidth(width);
        EXPECT_EQ(drawn <= height, c.fits) << c.text << ": drawn " << drawn << " of " << height;
        const auto measured = measure->layout(c.text, c.panel.font, width, height);
        EXPECT_EQ(measured.fits(), c.fits)
            << c.text << ": " << measured.lines << " lines, " << measured.linesShown << " shown";
    }
}

TEST(TextFit, TextsAtTheEdgeOfEachPanelGetTheLabelsVerdict) {
    // Texts grown word by word to the last that still fits each panel, with the word before and
    // the word after; then blanks added in front or between two words up to the last that fits,
    // and one more. For each, the tool counts the lines the game's label needs and the lines it
    // shows. The words hold kerned pairs (with blanks too), glyphs whose ink passes their
    // advance, and places a line may wrap without a blank.
    application();
    authoring::TextMeasure* measure = authoring::TextMeasure::shared();
    ASSERT_NE(measure, nullptr);
    std::vector<std::string> words;
    std::istringstream vocabulary(
        "What year did the Wolf of Troy AV Yes To Vienna A T. Y, fly if Ty well-known "
        "19th-century (1756) L' why? r Mozart's \"quote\" r\u00e9sum\u00e9 1\u20132 a\u2014b wavy "
        "Australia");
    for (std::string word; vocabulary >> word;) words.push_back(word);
    using rules::panels::kAnswer, rules::panels::kQuestion;
    const struct {
        const char* name;
        const rules::panels::TextPanel& panel;
        int width;
    } panels[] = {
        {"question", kQuestion, kQuestion.width},
        {"question beside a picture", kQuestion, rules::panels::kQuestionWidthBesidePicture},
        {"answer", kAnswer, kAnswer.width}};
    for (const auto& p : panels) {
        SCOPED_TRACE(p.name);
        app::Label element;
        element.Width = p.width;
        element.Height = p.panel.height;
        element.font = p.panel.font;
        QWidget window;
        QLabel label(&window);
        const int width = pixels(p.width), height = pixels(p.panel.height);
        const int lineSpacing = QFontMetrics(fontOf(p.panel.font)).lineSpacing();
        auto drawnHeight = [&](const std::string& text) {
            element.Caption = text;
            renderLabel(element, label, 1.0);
            return label.heightForWidth(width);
        };
        auto agree = [&](const std::string& text) {
            const int drawn = drawnHeight(text);
            const auto measured = measure->layout(text, p.panel.font, width, height);
            EXPECT_EQ(measured.lines, (drawn + lineSpacing - 1) / lineSpacing) << text;
            EXPECT_EQ(measured.linesShown, height / lineSpacing);
            EXPECT_EQ(measured.fits(), drawn <= height) << text << ": drawn " << drawn;
            return drawn <= height;
        };
        int overByABlank = 0;
        for (unsigned seed = 0; seed < 12; ++seed) {
            std::mt19937 random(seed);
            auto word = [&] { return words[random() % words.size()]; };
            auto joined = [](const std::vector<std::string>& parts) {
                std::string text;
                for (const auto& part : parts) text += (text.empty() ? "" : " ") + part;
                return text;
            };
            std::vector<std::string> chosen{word()};
            std::string after = word();
            for (auto longer = chosen;; after = word(), longer = chosen) {
                longer.push_back(after);
                if (drawnHeight(joined(longer)) > height) break;
                chosen = longer;
            }
            EXPECT_TRUE(agree(joined(chosen)));
            EXPECT_FALSE(agree(joined(chosen) + " " + after));
            if (chosen.size() > 1) {
                EXPECT_TRUE(agree(joined({chosen.begin(), chosen.end() - 1})));
            }
            // Blanks added one by one in front of the text, or between two of its words, until
            // one blank more takes it over the edge.
            for (const std::size_t gap : {std::size_t{0}, random() % chosen.size()}) {
                auto spaced = chosen;
                for (int blanks = 0; blanks < 80; ++blanks) {
                    const std::string before = joined(spaced);
                    spaced[gap].insert(0, " ");
                    if (drawnHeight(joined(spaced)) <= height) continue;
                    EXPECT_TRUE(agree(before));
                    EXPECT_FALSE(agree(joined(spaced)));
                    ++overByABlank;
                    break;
                }
            }
        }
        EXPECT_GT(overByABlank, 0) << "no blank took a text over the edge";
    }
}

}  // namespace
}  // namespace vexlor::ui
