#include "app/master_form.h"

#include "app/text_values.h"

#include <iterator>

namespace vexlor::app {

namespace {

void place(Element& element, const char* name, int left, int top, int width, int height,
           bool visible) {
    element.name = name;
    element.Left = left;
    element.Top = top;
    element.Width = width;
    element.Height = height;
    element.Visible = visible;
}

struct LabelLook {
    const char* caption;
    Rgb back;
    Rgb fore;
    Font font;
};

void label(Label& element, const char* name, int left, int top, int width, int height, bool visible,
           const LabelLook& look) {
    place(element, name, left, top, width, height, visible);
    element.Caption = look.caption;
    element.BackColor = look.back;
    element.ForeColor = look.fore;
    element.font = look.font;
    element.alignment = Alignment::Centre;
}

void hidden(Element& element, const char* name) {
    place(element, name, 0, 0, 0, 0, false);
}

}  // namespace

MasterForm::MasterForm(Services services)
    : SimpleMusic(services.soundPlayer), services_(services), pans_{&Pan1, &Pan2, &Pan3, &Pan4,
                                                                    &Pan5, &Pan6, &Pan7, &Pan8,
                                                                    &Pan9, &Pan10} {
    using namespace colours;
    const Font big{24, true, false};

    place(Modu, "Modu", 6480, 3060, 1575, 555, true);
    place(Start, "Start", 6480, 2400, 1575, 555, false);
    place(NextQ, "NextQ", 6480, 2400, 1575, 555, false);
    place(Replay, "Replay", 6480, 2400, 1575, 555, false);
    place(Fifty, "Fifty", 6480, 1080, 1095, 555, false);
    place(Pause, "Pause", 6480, 1740, 1095, 555, false);
    place(About, "About", 6480, 3720, 1575, 555, true);
    place(Sortie, "Sortie", 6480, 4380, 1575, 555, true);

    label(Panel, "Panel", 60, 4560, 6255, 435, true,
          {i18n::tx(kOpenPrompt), kBlack, kClicked, {18, false, false}});
    using rules::panels::kAnswer, rules::panels::kQuestion;
    label(PanelQuestion, "PanelQuestion", kQuestion.left, kQuestion.top, kQuestion.width,
          kQuestion.height, false, {"", kBlack, kClicked, kQuestion.font});
    Label* answers[] = {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD};
    const char* answerNames[] = {"PanelRepA", "PanelRepB", "PanelRepC", "PanelRepD"};
    // TRANSLATORS: in each of the four answer panels before a module is open; one line of about
    // 350 pixels at 13.5 points.
    const char* const answersIdle = i18n::tx("Press Open to begin");
    for (int i = 0; i < 4; ++i) {
        label(*answers[i], answerNames[i], kAnswer.left,
              kAnswer.top + rules::panels::kAnswerSpacing * i, kAnswer.width, kAnswer.height, false,
              {answersIdle, kNeutral, kWhite, kAnswer.font});
    }
    label(Score, "Score", 6480, 420, 1575, 555, true, {"00000", kBlack, kRight, big});
    label(Horloge, "Horloge", 6480, 420, 1575, 555, false, {"0.00", kBlack, kClicked, big});
    label(PausePanel, "PausePanel", 7620, 1740, 435, 555, true, {"3", kBlack, kRight, big});
    label(FiftyPanel, "FiftyPanel", 7620, 1080, 435, 555, true, {"3", kBlack, kRight, big});
    label(Label8, "Label8", 6480, 1200, 1095, 435, true,
          {"50/50", kLightGrey, kGrey, {8.25, false, false}});
    // TRANSLATORS: the caption over the pauses left (a pause stops the clock); about 70
    // pixels wide, small bold letters.
    label(Label7, "Label7", 6480, 1920, 1095, 315, true,
          {i18n::tx("TimeOut"), kLightGrey, kGrey, {8.25, true, false}});
    static constexpr const char* kPanNames[] = {"Pan1", "Pan2", "Pan3", "Pan4", "Pan5",
                                                "Pan6", "Pan7", "Pan8", "Pan9", "Pan10"};
    for (int k = 1; k <= 10; ++k) {
        // Places inside the TopTen frame.
        label(Pan(k), kPanNames[k - 1], 120, 420 + 360 * (k - 1), 5055, 255, true,
              {"", kNeutral, kLightOrange, {9.75, false, true}});
        Pan(k).alignment = Alignment::Left;
    }
    hidden(Points, "Points");
    hidden(Audio, "Audio");
    hidden(Label1, "Label1");
    hidden(Label2, "Label2");
    hidden(Label3, "Label3");
    hidden(Label4, "Label4");

    place(TopTen, "TopTen", 540, 180, 5295, 4095, false);
    // TRANSLATORS: the title of the top ten's frame, in capitals.
    TopTen.Caption = i18n::tx("HIGH SCORE");
    TopTen.BackColor = kBlack;
    TopTen.ForeColor = kClicked;
    TopTen.font = {13.5, true, false};
    place(Picture1, "Picture1", 4680, 120, kPictureSide, kPictureSide, false);
    place(ImaScore, "ImaScore", 6780, 60, 960, 270, true);
    place(ImaHorloge, "ImaHorloge", 6840, 60, 840, 270, false);
    place(Shape1, "Shape1", 6360, 0, 1815, 5055, true);
    Shape1.FillColor = kLightGrey;
    hidden(Jour, "Jour");
    hidden(Use, "Use");
    hidden(NomT, "NomT");
    hidden(DateT, "DateT");
    hidden(ScoreT, "ScoreT");
    hidden(File1, "File1");
    File1.Pattern = "*.mdb";

    // The question's fields are read into the game at each draw; the elements draw the game.
    PanelQuestion.DataField = "Question";
    Points.DataField = "Points";
    Audio.DataField = "Audio";
    Use.DataField = "Use";
    Label1.DataField = "Year";
    Label2.DataField = "Title";
    Label3.DataField = "Author";
    Label4.DataField = "Company";
    NomT.DataField = "Nom";
    DateT.DataField = "Date";
    ScoreT.DataField = "Score";

    TimerStart.setHandler([this] { TimerStart_Timer(); });
    TimerReponce.setHandler([this] { TimerReponce_Timer(); });
    TimerGOver.setHandler([this] { TimerGOver_Timer(); });
    TimerTrente.setHandler([this] { TimerTrente_Timer(); });
    TempBar.setHandler([this] { TempBar_Timer(); });
    TimerFifty.setHandler([this] { TimerFifty_Timer(); });
}

void MasterForm::Form_Load() {
    File1.Path = services_.fileSystem.currentFolder();
    StartFolder = File1.Path;
    New1.InitDir = StartFolder;
    // The type is registered once; a later start, even from another folder, leaves it.
    if (!services_.fileTypes.defaultValue(".vxm")) registerFileType();
}

void MasterForm::registerFileType() {
    // Each value stands alone: one that cannot be written does not hold up the others.
    services_.fileTypes.setDefaultValue(".vxm", "vxmfile");
    services_.fileTypes.setDefaultValue("vxmfile", "Vexlor Module");
    services_.fileTypes.setDefaultValue("vxmfile\\DefaultIcon", StartFolder + "/VXM.ico,0");
}

void MasterForm::draw() {
    static constexpr const char* kAnswerFields[] = {"Reponce", "False1", "False2", "False3"};
    Score.Caption = formatScore(static_cast<double>(quiz.score));
    Horloge.Caption = game::clockText(quiz.secondsLeft);
    FiftyPanel.Caption = std::to_string(quiz.fiftiesLeft);
    PausePanel.Caption = std::to_string(quiz.pausesLeft);
    Fifty.Visible = quiz.fiftyOffered;
    Pause.Visible = quiz.pauseOffered;
    PanelQuestion.Caption = quiz.question.text;
    PanelQuestion.Visible = quiz.shown;
    Points.Caption = quiz.question.points;
    Audio.Caption = quiz.question.media;
    const int right = quiz.rightSlot();
    for (int slot = 1; slot <= game::kAnswers; ++slot) {
        Label& panel = *answerPanels()[static_cast<std::size_t>(slot - 1)];
        // Before the first deal a panel keeps the text it was made with.
        if (const int dealt = quiz.deal[static_cast<std::size_t>(slot - 1)];
            dealt >= 1 && dealt <= game::kAnswers) {
            panel.Caption = quiz.question.answers[static_cast<std::size_t>(dealt - 1)];
            panel.DataField = kAnswerFields[dealt - 1];
        }
        panel.Visible = quiz.onBoard(slot);
        if (!quiz.judged)
            panel.BackColor = slot == quiz.chosen ? colours::kClicked : colours::kNeutral;
        else if (slot == right)
            panel.BackColor = colours::kRight;
        else
            panel.BackColor = slot == quiz.chosen ? colours::kWrong : colours::kNeutral;
    }
}

std::optional<game::Question> MasterForm::moduleQuestion(std::int64_t number) {
    if (!Data1.store) return std::nullopt;
    auto read = Data1.store->question(number);
    if (!read) return std::nullopt;
    return game::Question{std::move(read->text), std::move(read->answers), std::move(read->points),
                          std::move(read->media)};
}

void MasterForm::Form_Paint() {
    Jour.Text = formatDate(services_.clock.today());
}

void MasterForm::Sortie_Click() {
    services_.windows.endProgram();
}

void MasterForm::About_Click() {
    services_.windows.showAbout();
}

}  // namespace vexlor::app
