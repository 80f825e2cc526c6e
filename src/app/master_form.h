#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/data_view.h"
#include "app/elements.h"
#include "app/services.h"
#include "game/quiz.h"
#include "platform/timer.h"
#include "rules/refusals.h"
#include "rules/text_panels.h"
#include "text/i18n.h"

namespace vexlor::app {

/// The file-open dialog element: its settings and the last file chosen.
struct CommonDialog {
    std::string DialogTitle;
    std::string Filter;
    int Flags = 0;
    std::string InitDir;
    std::string FileName;
    bool CancelError = false;
};

/// The main window as plain state: every element with its text, colours, place and
/// visibility, the timers, the data elements and the game variables. The routines below read
/// and write only this state and the services; the window on screen draws it after every
/// event and keeps nothing of its own.
class MasterForm {
  public:
    /// Client area in twips.
    static constexpr int kWidth = 8115;
    static constexpr int kHeight = 5010;
    static constexpr int kQuestionWidth =
        rules::panels::kQuestion.width;  ///< full width of PanelQuestion
    static constexpr int kQuestionWidthBesidePicture = rules::panels::kQuestionWidthBesidePicture;
    static constexpr int kPictureSide = rules::panels::kPictureSide;
    static constexpr int kDrawAttempts = 1500;  ///< lookups of one question draw at most

    static constexpr const char* kTitle = "Vexlor Player - ";
    // English, as marked for the catalogs: looked up with i18n::tx where they are shown.
    // TRANSLATORS: the status line (one line of about 400 pixels at 18 points) before a module
    // is open, then when one is; "Open" and "Start" are the buttons of those names.
    static constexpr const char* kOpenPrompt = VX_N("Press Open to select a Module");
    static constexpr const char* kStartPrompt = VX_N("Press Start to begin the Game");
    static constexpr const char* kHighScoreTitle = VX_N("High Score");
    /// The title of the Open dialog and of the messages about opening a module.
    static constexpr const char* kOpenTitle = rules::refusals::kOpenTitle;

    explicit MasterForm(Services services);
    MasterForm(const MasterForm&) = delete;
    MasterForm& operator=(const MasterForm&) = delete;

    // Start-up, window and shell.
    void Form_Load();
    void Form_Paint();
    void Sortie_Click();
    void About_Click();
    // Opening a module.
    void Modu_Click();
    /// Opens a module named on the command line as Open opens a chosen one: a name that reaches
    /// no file (missing, a pipe, a folder, a path too long) says what is there, where the
    /// opening would call it no valid module.
    void openNamedModule(const std::string& path);
    /// The message a refused Open shows: the file's name, then why (`opened` tells it). A module
    /// another program holds locked is only busy; anything else that cannot be read is no valid
    /// module.
    static std::string openRefusal(const std::string& shortName, const Status& opened);
    /// The message for a path that reaches no file (missing, a pipe, a folder, a path too long),
    /// or nothing when it reaches one.
    static std::optional<std::string> unreachableMessage(const std::string& path);
    /// A module in the earlier stored format at New1.FileName: converted in its place, the
    /// original kept, when the player agrees. False when the opening stops here (the player
    /// said No, or the conversion failed and said why): nothing has changed.
    bool convertEarlierModule(const std::string& shortName);
    /// A package (a module and its media in one zip) at New1.FileName: unpacked into a new
    /// folder in the one the player chooses, and New1.FileName set to its module. False when
    /// the opening stops here (cancelled, or refused and said why).
    bool openPackage(const std::string& shortName);
    /// Where a game stands.
    using Phase = game::Phase;
    Phase phase() const { return quiz.phase; }

    // Top ten.
    void HighScore();
    /// Whether the game's score beats the tenth row of the top ten (and is above 0).
    bool scoreQualifies() const;
    /// At the end of the game-over delay, before the top ten is redrawn: the name-entry window
    /// when the score qualifies, and a message when the module could not store its row.
    void enterHighScore();

    // The game: question flow, dealing and media, judging, clock and lifelines.
    void Start_Click();
    /// Starts a game on one question given directly rather than drawn from a module (the
    /// editor's preview): the board as Start leaves it, the answers dealt, the wait begun.
    void startWith(const game::Question& question);
    void NextQ_Click();
    void PanelRepA_Click();
    void PanelRepB_Click();
    void PanelRepC_Click();
    void PanelRepD_Click();
    /// The answer in `slot` (1 to 4, A to D) clicked.
    void answerClick(int slot);
    void Fifty_Click();
    void Pause_Click();
    void Replay_Click();
    void TimerStart_Timer();
    void TempBar_Timer();
    void TimerTrente_Timer();
    void TimerReponce_Timer();
    void TimerGOver_Timer();
    void TimerFifty_Timer();

    // Routines of the game.
    void Shuffel();
    void Photo();
    void Musique();
    void AddScore();
    void GameOver();
    void Efface();

    /// Draws the game's state into the elements that show it: the score, the clock, the
    /// lifelines, the question and its four answers.
    void draw();

    /// The element `Pan`k, k from 1 to 10.
    Label& Pan(int k) { return *pans_.at(static_cast<std::size_t>(k - 1)); }
    const Label& Pan(int k) const { return *pans_.at(static_cast<std::size_t>(k - 1)); }
    /// Every timer, in the order the window declares them.
    std::array<platform::Timer*, 6> timers() {
        return {&TimerStart, &TimerReponce, &TimerGOver, &TimerTrente, &TempBar, &TimerFifty};
    }

    std::string Caption = kTitle;  ///< window title
    Rgb BackColor = colours::kBlack;

    // Picture buttons.
    PictureButton Modu, Start, NextQ, Replay, Fifty, Pause, About, Sortie;
    // Text elements.
    Label Panel, PanelQuestion, PanelRepA, PanelRepB, PanelRepC, PanelRepD;
    Label Score, Horloge, PausePanel, FiftyPanel, Label8, Label7;
    Label Pan1, Pan2, Pan3, Pan4, Pan5, Pan6, Pan7, Pan8, Pan9, Pan10;
    Label Points, Audio, Label1, Label2, Label3, Label4;
    // Other elements.
    Frame TopTen;
    PictureBox Picture1;
    Image ImaScore, ImaHorloge;
    Shape Shape1;
    TextBox Jour, Use, NomT, DateT, ScoreT;
    FileListBox File1;
    CommonDialog New1;
    DataView Data1{"Data1"}, Data2{"Data2"}, Data3{"Data3"}, Data4{"Data4"};
    /// The sound player element: the question's sound, played through the platform's player.
    platform::SoundPlayer& SimpleMusic;

    // Timers, all off at start-up.
    platform::Timer TimerStart{"TimerStart", game::kWaitMs};
    platform::Timer TimerReponce{"TimerReponce", game::kJudgingMs};
    platform::Timer TimerGOver{"TimerGOver", game::kGameOverMs};
    platform::Timer TimerTrente{"TimerTrente", game::kTickMs};
    platform::Timer TempBar{"TempBar", game::kWaitBarMs};
    platform::Timer TimerFifty{"TimerFifty", game::kFiftyMs};

    /// The game itself; the elements above draw it.
    game::Quiz quiz;

    // Where the question comes from in the module.
    std::int16_t QuestionCount = 0, QuestionNumber = 0, SkipCount = 0;
    std::int16_t FolderLength = 0;

    /// The folder that was current at start-up.
    std::string StartFolder;

  private:
    void registerFileType();
    /// Opens the module at `path` (chosen in the dialog or named): the checks, the conversions,
    /// the binding and the board.
    void openModule(const std::string& path);

    /// Why the bound questions cannot be played (empty, too many, a field missing), or "".
    std::string moduleProblem();
    /// Picks a question not yet asked, records it as asked and makes it current.
    void drawQuestion();
    /// The board of a new game, before its first question: buttons away, the wait begun.
    void beginGame();
    /// Question `number` of the bound module; nothing when it cannot be read.
    std::optional<game::Question> moduleQuestion(std::int64_t number);
    /// A whole number from 1 to n, drawn at the time of day.
    int drawNumber(int n);
    /// The answer panels, A to D.
    std::array<Label*, 4> answerPanels() {
        return {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD};
    }
    /// Sets FolderLength from the bound module's path and returns the media folder.
    std::string mediaFolder();
    /// The current question's media file, or nothing when there is none to use.
    std::optional<std::string> mediaPath();

    Services services_;
    std::array<Label*, 10> pans_;
    bool enteringHighScore_ = false;  // the entry window is open
    bool moduleOpen_ = false;         // a module was opened: a game can start
    // The score of the tenth row of the top ten, as stored; none when fewer rows.
    std::optional<std::string> tenthScore_;
};

}  // namespace vexlor::app
