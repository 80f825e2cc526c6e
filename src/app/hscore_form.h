#pragma once

#include <string_view>

#include "app/elements.h"
#include "platform/dialogs.h"
#include "text/i18n.h"

namespace vexlor::app {
class MasterForm;
}

namespace vexlor::scores {

/// The high-score entry window as plain state: the player's name, the day and the score, and
/// OK, which appends the row to the open module's high scores through the main window's `Data4`.
/// Each opening starts from a new object, so nothing of a previous entry survives.
struct HScoreForm {
    static constexpr int kWidth = 5175;  ///< client area, twips
    static constexpr int kHeight = 2790;
    static constexpr const char* kCaption = VX_N("High Score");  ///< English: look it up
    /// The most characters (not bytes) the name box takes.
    static constexpr std::size_t kNameLimit = 20;

    HScoreForm();

    /// Whether the name box takes this text: at most 20 characters.
    static bool NameH_Accepts(std::string_view text);
    /// Fills the day and the score from the main window; runs every time the window is drawn.
    void Form_Paint(const app::MasterForm& main);
    /// Stores the shown name, day and score as a new row of the module's high scores. Says
    /// whether the module took it; when it did not, the table is as before.
    platform::HighScoreEntry cmdOk_Click(app::MasterForm& main);

    app::Label Label2, Label1, Label6, DateH, Label5, ScoreH;
    app::TextBox NameH;
    app::PictureButton cmdOk;
};

}  // namespace vexlor::scores
