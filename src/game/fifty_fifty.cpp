// The fifty-fifty lifeline: two of the three wrong answers leave the board.

#include <array>

#include "app/master_form.h"
#include "app/text_values.h"

namespace vexlor::app {

void MasterForm::Fifty_Click() {
    if (!Fifty.Visible) return;
    FiftiesLeft = static_cast<std::int16_t>(numericValue(FiftyPanel.Caption) - 1);
    FiftyPanel.Caption = std::to_string(FiftiesLeft);
    TimerTrente.setEnabled(false);
    if (TimeLeft < 15) {
        TimeLeft = 15;
        Horloge.Caption = "0.15";
    }
    TimerFifty.setEnabled(true);
    Fifty.Visible = false;
}

void MasterForm::TimerFifty_Timer() {
    FiftyPick = 0;
    const std::array<Label*, 4> answers = {&PanelRepA, &PanelRepB, &PanelRepC, &PanelRepD};
    for (Label* right : answers) {
        if (right->DataField != "Reponce") continue;
        FiftyPick =
            static_cast<std::int16_t>(randomWholeNumber(services_.random, services_.clock, 3));
        // The wrong panels in order A to D: draw 1 keeps the third, 2 the second, 3 the first.
        std::array<Label*, 3> wrong{};
        std::size_t count = 0;
        for (Label* answer : answers)
            if (answer != right && count < wrong.size()) wrong[count++] = answer;
        const std::size_t kept = static_cast<std::size_t>(3 - FiftyPick);
        for (std::size_t i = 0; i < wrong.size(); ++i)
            if (i != kept) wrong[i]->Visible = false;
    }
    // An answer accepted during the delay keeps the clock off: that question is being judged.
    if (phase() == Phase::kQuestion) TimerTrente.setEnabled(true);
    TimerFifty.setEnabled(false);
}

}  // namespace vexlor::app
