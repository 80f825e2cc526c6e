#include "game/quiz.h"

#include <algorithm>
#include <cmath>

#include "rules/numbers.h"

namespace vexlor::game {

int Quiz::rightSlot() const {
    for (int slot = 1; slot <= kAnswers; ++slot)
        if (deal[static_cast<std::size_t>(slot - 1)] == 1) return slot;
    return 0;
}

bool Quiz::onBoard(int slot) const {
    return shown && slot >= 1 && slot <= kAnswers && !removed[static_cast<std::size_t>(slot - 1)];
}

void Quiz::clearBoard() {
    shown = false;
    removed = {};
    chosen = 0;
    right = false;
    judged = false;
    waitMarks = 0;
    phase = Phase::kWait;
}

void Quiz::start() {
    score = 0;
    fiftiesLeft = pausesLeft = kLifelines;
    clearBoard();
}

bool Quiz::next() {
    if (phase != Phase::kNextOffered) return false;
    clearBoard();
    return true;
}

void Quiz::dealAnswers(const Draw& draw) {
    // Each slot draws until it gets an answer no earlier slot holds.
    for (std::size_t slot = 0; slot < deal.size(); ++slot) {
        int answer = 0;
        do answer = std::clamp(draw(kAnswers), 1, kAnswers);
        while (std::find(deal.begin(), deal.begin() + static_cast<long>(slot), answer) !=
               deal.begin() + static_cast<long>(slot));
        deal[slot] = answer;
    }
}

int Quiz::waitBarTick() {
    return ++waitMarks;
}

void Quiz::endWait() {
    shown = true;
    removed = {};
    fiftyOffered = fiftiesLeft > 0;
    pauseOffered = pausesLeft > 0;
    secondsLeft = kQuestionSeconds;
    phase = Phase::kQuestion;
}

Tick Quiz::tick() {
    const Tick counted = secondsLeft == kQuestionSeconds ? Tick::kFirst : Tick::kCounted;
    if (secondsLeft <= 0) {
        shown = false;
        gameOver();
        return Tick::kTimedOut;
    }
    --secondsLeft;
    return counted;
}

bool Quiz::answer(int slot) {
    if (phase != Phase::kQuestion || !onBoard(slot)) return false;
    chosen = slot;
    fiftyOffered = pauseOffered = false;
    phase = Phase::kJudging;
    return true;
}

void Quiz::endJudging() {
    judged = true;
    right = chosen != 0 && chosen == rightSlot();
    if (!right) {
        gameOver();
        return;
    }
    score = std::llround(pointsValue(question.points) + static_cast<double>(score));
    secondsLeft = 0;
    phase = Phase::kNextOffered;
}

bool Quiz::fifty() {
    if (!fiftyOffered || phase != Phase::kQuestion) return false;
    --fiftiesLeft;
    fiftyOffered = false;
    secondsLeft = std::max(secondsLeft, kFiftyLeastSeconds);
    fiftyRunning = true;
    return true;
}

bool Quiz::endFifty(const Draw& draw) {
    fiftyRunning = false;
    // The wrong slots in order A to D: draw 1 keeps the third, 2 the second, 3 the first.
    const int kept = 3 - std::clamp(draw(3), 1, 3);
    int wrong = 0;
    for (int slot = 1; slot <= kAnswers; ++slot) {
        if (slot == rightSlot()) continue;
        if (wrong++ != kept) removed[static_cast<std::size_t>(slot - 1)] = true;
    }
    // An answer taken during the delay keeps the clock off: that question is being judged.
    return phase == Phase::kQuestion;
}

bool Quiz::pause() {
    if (!pauseOffered || phase != Phase::kQuestion) return false;
    --pausesLeft;
    pauseOffered = false;
    secondsLeft = kPauseSeconds;
    return true;
}

void Quiz::gameOver() {
    secondsLeft = 0;
    fiftyOffered = pauseOffered = false;
    phase = Phase::kGameOver;
}

void Quiz::endGameOver() {
    shown = false;
    phase = Phase::kIdle;
}

std::string clockText(int seconds) {
    seconds = std::max(seconds, 0);
    const int within = seconds % 60;
    return std::to_string(seconds / 60) + (within < 10 ? ".0" : ".") + std::to_string(within);
}

double pointsValue(const std::string& points) {
    return rules::numericValue(points);
}

}  // namespace vexlor::game
