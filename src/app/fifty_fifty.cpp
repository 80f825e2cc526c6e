// The fifty-fifty lifeline: two of the three wrong answers leave the board.

#include "app/master_form.h"

namespace vexlor::app {

void MasterForm::Fifty_Click() {
    if (!quiz.fifty()) return;
    TimerTrente.setEnabled(false);
    TimerFifty.setEnabled(true);
    draw();
}

void MasterForm::TimerFifty_Timer() {
    const bool clockGoesOn = quiz.endFifty([this](int n) { return drawNumber(n); });
    if (clockGoesOn) TimerTrente.setEnabled(true);
    TimerFifty.setEnabled(false);
    draw();
}

}  // namespace vexlor::app
