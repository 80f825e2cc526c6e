// The authoring tool's measure of a text in a panel agrees with the game's own labels.

#include <gtest/gtest.h>

#include <QLabel>
#include <string>

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

}  // namespace
}  // namespace vexlor::ui
