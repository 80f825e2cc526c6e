// The main window's elements at start-up: place, text, colours, font and visibility.

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vexlor::app {
namespace {

using testing::FormFixture;

struct Expected {
    const char* name;
    int left, top, width, height;
    bool visible;
};

void expectPlace(const Element& element, const Expected& e) {
    EXPECT_EQ(element.name, e.name);
    EXPECT_EQ((std::array{element.Left, element.Top, element.Width, element.Height}),
              (std::array{e.left, e.top, e.width, e.height}))
        << e.name;
    EXPECT_EQ(element.Visible, e.visible) << e.name;
}

// Each button has its place; only Open, About and Exit are offered at start-up.
TEST(StartupState, ButtonsHaveTheirPlacesAndOnlyOpenAboutAndExitAreOffered) {
    FormFixture f;
    MasterForm& w = f.form;
    const std::pair<PictureButton*, Expected> buttons[] = {
        {&w.Modu, {"Modu", 6480, 3060, 1575, 555, true}},
        {&w.Start, {"Start", 6480, 2400, 1575, 555, false}},
        {&w.NextQ, {"NextQ", 6480, 2400, 1575, 555, false}},
        {&w.Replay, {"Replay", 6480, 2400, 1575, 555, false}},
        {&w.Fifty, {"Fifty", 6480, 1080, 1095, 555, false}},
        {&w.Pause, {"Pause", 6480, 1740, 1095, 555, false}},
        {&w.About, {"About", 6480, 3720, 1575, 555, true}},
        {&w.Sortie, {"Sortie", 6480, 4380, 1575, 555, true}},
    };
    for (const auto& [button, e] : buttons) expectPlace(*button, e);
}

struct ExpectedLabel {
    Expected place;
    const char* caption;
    std::uint32_t back, fore;
    double points;
    bool bold;
    Alignment alignment;
};

// Each text element has its place, text, colours, font and alignment; Pan1..Pan10 are fixed-pitch.
TEST(StartupState, TextElementsHaveTheirPlacesTextsColoursAndFonts) {
    FormFixture f;
    MasterForm& w = f.form;
    constexpr auto C = Alignment::Centre;
    // clang-format off
    const std::pair<Label*, ExpectedLabel> labels[] = {
        {&w.Panel,         {{"Panel", 60, 4560, 6255, 435, true}, "Press Open to select a Module", 0x000000, 0xFF8000, 18, false, C}},
        {&w.PanelQuestion, {{"PanelQuestion", 60, 300, 6255, 1455, false}, "", 0x000000, 0xFF8000, 13.5, true, C}},
        {&w.PanelRepA,     {{"PanelRepA", 540, 1920, 5295, 375, false}, "Press Open to begin", 0x404040, 0xFFFFFF, 13.5, false, C}},
        {&w.PanelRepB,     {{"PanelRepB", 540, 2520, 5295, 375, false}, "Press Open to begin", 0x404040, 0xFFFFFF, 13.5, false, C}},
        {&w.PanelRepC,     {{"PanelRepC", 540, 3120, 5295, 375, false}, "Press Open to begin", 0x404040, 0xFFFFFF, 13.5, false, C}},
        {&w.PanelRepD,     {{"PanelRepD", 540, 3720, 5295, 375, false}, "Press Open to begin", 0x404040, 0xFFFFFF, 13.5, false, C}},
        {&w.Score,         {{"Score", 6480, 420, 1575, 555, true}, "00000", 0x000000, 0x00C000, 24, true, C}},
        {&w.Horloge,       {{"Horloge", 6480, 420, 1575, 555, false}, "0.00", 0x000000, 0xFF8000, 24, true, C}},
        {&w.PausePanel,    {{"PausePanel", 7620, 1740, 435, 555, true}, "3", 0x000000, 0x00C000, 24, true, C}},
        {&w.FiftyPanel,    {{"FiftyPanel", 7620, 1080, 435, 555, true}, "3", 0x000000, 0x00C000, 24, true, C}},
        {&w.Label8,        {{"Label8", 6480, 1200, 1095, 435, true}, "50/50", 0xC0C0C0, 0x808080, 8.25, false, C}},
        {&w.Label7,        {{"Label7", 6480, 1920, 1095, 315, true}, "TimeOut", 0xC0C0C0, 0x808080, 8.25, true, C}},
    };
    // clang-format on
    for (const auto& [label, e] : labels) {
        SCOPED_TRACE(e.place.name);
        expectPlace(*label, e.place);
        EXPECT_EQ(label->Caption, e.caption);
        EXPECT_EQ(label->BackColor.value(), e.back);
        EXPECT_EQ(label->ForeColor.value(), e.fore);
        EXPECT_DOUBLE_EQ(label->font.points, e.points);
        EXPECT_EQ(label->font.bold, e.bold);
        EXPECT_FALSE(label->font.fixedPitch);
        EXPECT_EQ(label->alignment, e.alignment);
    }
    for (int k = 1; k <= 10; ++k) {
        const Label& pan = w.Pan(k);
        const std::string name = "Pan" + std::to_string(k);
        expectPlace(pan, {name.c_str(), 120, 420 + 360 * (k - 1), 5055, 255, true});
        EXPECT_EQ(pan.Caption, "");
        EXPECT_EQ(pan.BackColor.value(), 0x404040u);
        EXPECT_EQ(pan.ForeColor.value(), 0xFFC080u);
        EXPECT_DOUBLE_EQ(pan.font.points, 9.75);
        EXPECT_TRUE(pan.font.fixedPitch);
    }
    for (const Label* hidden : {&w.Points, &w.Audio, &w.Label1, &w.Label2, &w.Label3, &w.Label4}) {
        EXPECT_FALSE(hidden->Visible) << hidden->name;
        EXPECT_EQ(hidden->Caption, "") << hidden->name;
    }
}

// The window, frame, picture and shape, the hidden boxes, the six timers (all off), the game
// variables (zero) and the four unbound data sources.
TEST(StartupState, OtherElementsTimersAndVariables) {
    FormFixture f;
    MasterForm& w = f.form;
    EXPECT_EQ(w.Caption, "Vexlor Player - ");
    EXPECT_EQ(w.BackColor.value(), 0x000000u);

    const std::pair<Element*, Expected> others[] = {
        {&w.TopTen, {"TopTen", 540, 180, 5295, 4095, false}},
        {&w.Picture1, {"Picture1", 4680, 120, 1575, 1575, false}},
        {&w.ImaScore, {"ImaScore", 6780, 60, 960, 270, true}},
        {&w.ImaHorloge, {"ImaHorloge", 6840, 60, 840, 270, false}},
        {&w.Shape1, {"Shape1", 6360, 0, 1815, 5055, true}},
    };
    for (const auto& [element, e] : others) expectPlace(*element, e);
    EXPECT_EQ(w.TopTen.Caption, "HIGH SCORE");
    EXPECT_EQ(w.TopTen.ForeColor.value(), 0xFF8000u);
    EXPECT_TRUE(w.TopTen.font.bold);
    EXPECT_EQ(w.Shape1.FillColor.value(), 0xC0C0C0u);
    for (const TextBox* box : {&w.Jour, &w.Use, &w.NomT, &w.DateT, &w.ScoreT}) {
        EXPECT_FALSE(box->Visible) << box->name;
        EXPECT_EQ(box->Text, "") << box->name;
    }
    EXPECT_EQ(w.File1.Pattern, "*.mdb");

    const std::pair<const char*, int> timers[] = {{"TimerStart", 3000}, {"TimerReponce", 2000},
                                                  {"TimerGOver", 2000}, {"TimerTrente", 1000},
                                                  {"TempBar", 250},     {"TimerFifty", 2000}};
    ASSERT_EQ(w.timers().size(), std::size(timers));
    for (std::size_t i = 0; i < std::size(timers); ++i) {
        EXPECT_EQ(w.timers()[i]->name(), timers[i].first);
        EXPECT_EQ(w.timers()[i]->Interval, timers[i].second);
        EXPECT_FALSE(w.timers()[i]->Enabled());
    }

    for (auto value :
         {w.QuestionCount, w.QuestionNumber, w.SkipCount, w.FolderLength, w.AnswerIndexA,
          w.AnswerIndexB, w.AnswerIndexC, w.AnswerIndexD, w.Choice, w.TimeLeft, w.PauseSeconds,
          w.PausesLeft, w.WaitTicks, w.FiftiesLeft, w.FiftyPick})
        EXPECT_EQ(value, 0);

    for (const modules::DataSource* source : {&w.Data1, &w.Data2, &w.Data3, &w.Data4}) {
        EXPECT_EQ(source->Connect, "Access") << source->name();
        EXPECT_EQ(source->DatabaseName, "") << source->name();
        EXPECT_FALSE(source->isOpen()) << source->name();
    }
}

}  // namespace
}  // namespace vexlor::app
