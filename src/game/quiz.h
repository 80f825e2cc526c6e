#pragma once

#include <array>
#include <functional>
#include <string>

namespace vexlor::game {

// The game's numbers, each written once: the window's timers and texts are made from them.
inline constexpr int kQuestionSeconds = 30;    ///< on the clock when a question shows
inline constexpr int kLifelines = 3;           ///< fifty-fifties, and pauses, for a game
inline constexpr int kPauseSeconds = 120;      ///< a pause puts the clock at 2.00
inline constexpr int kFiftyLeastSeconds = 15;  ///< a fifty-fifty raises a lower clock to this
inline constexpr int kAnswers = 4;
inline constexpr int kTickMs = 1000;      ///< the clock counts seconds
inline constexpr int kWaitMs = 3000;      ///< from Start or Next to the question
inline constexpr int kWaitBarMs = 250;    ///< one more mark of the wait bar
inline constexpr int kWaitBarMarks = 11;  ///< marks on each side when the bar stops
inline constexpr int kJudgingMs = 2000;   ///< from the click to the verdict
inline constexpr int kFiftyMs = 2000;     ///< from the fifty-fifty to the answers leaving
inline constexpr int kGameOverMs = 2000;  ///< from the end of a game to the idle board

/// Where a game stands.
enum class Phase {
    kIdle,         ///< no game runs
    kWait,         ///< the wait before a question shows
    kQuestion,     ///< a question is up and its clock runs (or stands for a fifty-fifty)
    kJudging,      ///< an answer was chosen and is judged
    kNextOffered,  ///< a right answer: the next question is offered
    kGameOver,     ///< the delay after a wrong answer or a time-out
};

/// A question as the module stores it: the right answer first.
struct Question {
    std::string text;
    std::array<std::string, kAnswers> answers;  ///< the right one, then three wrong ones
    std::string points;                         ///< its value, as a text ("10")
    std::string media;                          ///< a picture or sound file, or ""
};

/// Draws a whole number from 1 to n (the caller's randomness, at the caller's time).
using Draw = std::function<int(int n)>;

/// What a tick of the clock did.
enum class Tick {
    kCounted,   ///< one second less
    kFirst,     ///< the question's first second, counted: its value is told
    kTimedOut,  ///< the time was up: the game is over
};

/// One game as plain values, and the game's verbs. Slots are the answer places 1 to 4 (A..D).
/// The verbs a player calls refuse (return false, change nothing) outside their phase; those a
/// timer calls trust that their timer runs only in theirs.
struct Quiz {
    Phase phase = Phase::kIdle;
    long long score = 0;
    int fiftiesLeft = kLifelines;
    int pausesLeft = kLifelines;
    int secondsLeft = 0;
    Question question;
    /// The answer dealt to each slot: 1 the right one, 2 to 4 the wrong ones in module order;
    /// 0 before the first deal.
    std::array<int, kAnswers> deal{};
    /// The slots the fifty-fifty took off the board.
    std::array<bool, kAnswers> removed{};
    int chosen = 0;             ///< the slot answered, 0 before an answer
    bool shown = false;         ///< the question and its answers are on the board
    bool fiftyOffered = false;  ///< for this question
    bool pauseOffered = false;  ///< for this question
    bool fiftyRunning = false;  ///< the fifty-fifty's delay before answers leave
    bool judged = false;        ///< the answer was judged
    bool right = false;         ///< and found right
    int waitMarks = 0;          ///< of the wait bar, on each side

    /// The slot holding the right answer.
    int rightSlot() const;
    /// Whether a slot's answer is on the board to be clicked.
    bool onBoard(int slot) const;

    /// A new game: score 0, every lifeline back, the board cleared; the wait begins.
    void start();
    /// The next question after a right answer: the board cleared; the wait begins.
    bool next();
    /// Deals the four answers to the slots, drawing as the game always has.
    void dealAnswers(const Draw& draw);
    /// One more mark of the wait bar; the marks on each side now.
    int waitBarTick();
    /// The wait's end: the question shows, its clock starts, the lifelines left are offered.
    void endWait();
    /// The clock's second.
    Tick tick();
    /// An answer clicked while the question is up; the clock stops for the judgement.
    bool answer(int slot);
    /// The judgement's end: a right answer scores the question's points and offers the next
    /// question; a wrong one ends the game.
    void endJudging();
    /// The fifty-fifty: one less, the clock stands and a low clock is raised.
    bool fifty();
    /// The fifty-fifty's delay ends: two wrong answers leave (the draw keeps one of the three).
    /// Whether the clock goes on, the question still being up.
    bool endFifty(const Draw& draw);
    /// A pause: one less, the clock put at 2.00.
    bool pause();
    /// The game ends (a wrong answer or a time-out): the clock shows 0.00.
    void gameOver();
    /// The game-over delay ends: the board is cleared and the game idle.
    void endGameOver();

  private:
    void clearBoard();
};

/// The clock's text, minutes and seconds: "0.30", "2.00", "0.05".
std::string clockText(int seconds);
/// The value of a question's points text ("10", "1.5", "abc" 0).
double pointsValue(const std::string& points);

}  // namespace vexlor::game
