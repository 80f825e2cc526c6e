// Start-up, the date on repaint, exit and the About window.

#include <gtest/gtest.h>

#include "../support/fakes.h"
#include "app/about_window.h"

namespace vexlor::app {
namespace {

using testing::FormFixture;

TEST(FormLoad, TakesTheStartFolderAndPointsTheOpenDialogAtIt) {
    FormFixture f;
    f.fileSystem.current = "/home/player/quiz";
    f.form.Form_Load();
    EXPECT_EQ(f.form.StartFolder, "/home/player/quiz");
    EXPECT_EQ(f.form.File1.Path, "/home/player/quiz");
    EXPECT_EQ(f.form.New1.InitDir, "/home/player/quiz");
    EXPECT_EQ(f.form.Panel.Caption, "Press Open to select a Module");
}

TEST(FormLoad, RegistersTheModuleTypeOnTheFirstStartOnly) {
    FormFixture first;
    first.fileSystem.current = "/opt/vexlor";
    first.form.Form_Load();
    EXPECT_EQ(first.fileTypes.values, (std::map<std::string, std::string>{
                                          {".vxm", "vxmfile"},
                                          {"vxmfile", "Vexlor Module"},
                                          {"vxmfile\\DefaultIcon", "/opt/vexlor/VXM.ico,0"}}));

    // A later start from another folder finds the type registered and leaves it.
    FormFixture second;
    second.fileTypes.values = first.fileTypes.values;
    second.fileSystem.current = "/elsewhere";
    second.form.Form_Load();
    EXPECT_EQ(second.fileTypes.writes, 0);
    EXPECT_EQ(second.fileTypes.values, first.fileTypes.values);
}

TEST(FormLoad, AFailingRegistrationIsIgnored) {
    FormFixture f;
    f.fileTypes.refuse = true;
    f.form.Form_Load();
    EXPECT_EQ(f.fileTypes.writes, 3);  // each value is tried, whatever became of the others
    EXPECT_EQ(f.form.New1.InitDir, f.fileSystem.current);
    EXPECT_TRUE(f.form.Modu.Visible);
}

TEST(FormPaint, WritesTodaysDateAndOnlyOnRepaint) {
    FormFixture f;
    f.clock.date = {2000, 1, 7};
    f.form.Form_Paint();
    EXPECT_EQ(f.form.Jour.Text, "Jan/07/2000");

    f.clock.date = {2000, 1, 8};  // midnight passes
    EXPECT_EQ(f.form.Jour.Text, "Jan/07/2000");
    f.form.Form_Paint();
    EXPECT_EQ(f.form.Jour.Text, "Jan/08/2000");
}

TEST(ShellButtons, ExitEndsTheProgramAndAboutOpensTheAboutWindow) {
    FormFixture f;
    f.form.About_Click();
    EXPECT_EQ(f.windows.aboutShown, 1);
    EXPECT_EQ(f.windows.ended, 0);
    f.form.Sortie_Click();
    EXPECT_EQ(f.windows.ended, 1);
}

TEST(AboutWindow, ShowsTheModuleItsCopyrightAndPublisher) {
    FormFixture f;
    AboutWindow about;
    about.Form_Paint(f.form);
    EXPECT_EQ(about.Label2.Caption, "Question Module: Module not Open!");
    EXPECT_EQ(about.Label1.Caption, "Copyright \u00A9    ");
    EXPECT_EQ(about.Label6.Caption, "");

    f.form.Label1.Caption = "2026";
    f.form.Label2.Caption = "General Knowledge";
    f.form.Label3.Caption = "Vexlor Team";
    f.form.Label4.Caption = "Vexlor Games";
    about.Form_Paint(f.form);
    EXPECT_EQ(about.Label2.Caption, "Question Module: General Knowledge");
    EXPECT_EQ(about.Label1.Caption, "Copyright \u00A9 2026   Vexlor Team");
    EXPECT_EQ(about.Label6.Caption, "Vexlor Games");

    // An empty year and author still leave the sign and the three blanks.
    f.form.Label1.Caption.clear();
    f.form.Label3.Caption.clear();
    about.Form_Paint(f.form);
    EXPECT_EQ(about.Label1.Caption, "Copyright \u00A9    ");

    // A module refused after a good one leaves an empty title: no module is reported open.
    f.form.Label2.Caption.clear();
    about.Form_Paint(f.form);
    EXPECT_EQ(about.Label2.Caption, "Question Module: Module not Open!");
}

}  // namespace
}  // namespace vexlor::app
