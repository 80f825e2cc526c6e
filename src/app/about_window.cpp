#include "app/about_window.h"

#include "app/master_form.h"

namespace vexlor::app {

namespace {

void line(Label& label, const char* name, int top) {
    label.name = name;
    label.Left = 180;
    label.Top = top;
    label.Width = 4140;
    label.Height = 255;
    label.BackColor = colours::kBlack;
    label.ForeColor = colours::kWhite;
    label.alignment = Alignment::Centre;
}

}  // namespace

AboutWindow::AboutWindow() {
    Image1 = {{"Image1", 180, 180, 4140, 3540, true}};
    line(Label2, "Label2", 3840);
    line(Label1, "Label1", 4140);
    line(Label6, "Label6", 4440);
    cmdOk = {{"cmdOk", 1560, 5280, 1395, 435, true}};
}

void AboutWindow::Form_Paint(const MasterForm& main) {
    const std::string& title = main.Label2.Caption;
    // TRANSLATORS: the About window's line naming the open module; %1 is its title.
    Label2.Caption = i18n::fill(i18n::tx("Question Module: %1"), {title});
    // TRANSLATORS: the About window's copyright line; %1 is the module's year, %2 its author.
    Label1.Caption =
        i18n::fill(i18n::tx("Copyright © %1   %2"), {main.Label1.Caption, main.Label3.Caption});
    Label6.Caption = main.Label4.Caption;
    if (title.empty()) Label2.Caption = i18n::tx("Question Module: Module not Open!");
}

}  // namespace vexlor::app
