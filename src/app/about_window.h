#pragma once

#include "app/elements.h"

namespace vexlor::app {

class MasterForm;

/// The About window: which module is open, its copyright and its publisher, read from the
/// main window's property elements each time the window is painted.
struct AboutWindow {
    static constexpr int kWidth = 4500;  ///< client area, twips
    static constexpr int kHeight = 5910;

    AboutWindow();
    /// Rebuilds the three lines from the main window.
    void Form_Paint(const MasterForm& main);

    Image Image1;
    Label Label2, Label1, Label6;
    PictureButton cmdOk;
};

}  // namespace vexlor::app
