// Start-up, the date on repaint, exit and the About window.

#include <gtest/gtest.h>

#include "app/about_window.h"
#include "support/fakes.h"

namespace vexlor::app {
namespace {

using testing::FormFixture;
using Values = std::map<std::string, std::string>;

// Start-up takes the start folder for the file list and the Open dialog, and registers the
// module type only when it is not registered yet, even from another folder; a registration
// that fails is ignored: each value is tried and start-up goes on.
TEST(FormLoad, TakesTheStartFolderAndRegistersTheTypeOnTheFirstStartOnly) {
    FormFixture first;
    first.fileSystem.current = "/opt/vexlor";
    first.form.Form_Load();
    EXPECT_EQ(first.form.File1.Path, "/opt/vexlor");
    EXPECT_EQ(first.form.New1.InitDir, "/opt/vexlor");
    EXPECT_EQ(first.fileTypes.values, (Values{{".vxm", "vxmfile"},
                                              {"vxmfile", "Vexlor Module"},
                                              {"vxmfile\\DefaultIcon", "/opt/vexlor/VXM.ico,0"}}));
    FormFixture second;
    second.fileTypes.values = first.fileTypes.values;
    second.fileSystem.current = "/elsewhere";
    second.form.Form_Load();
    EXPECT_EQ(second.fileTypes.writes, 0);
    FormFixture refused;
    refused.fileTypes.refuse = true;
    refused.form.Form_Load();
    EXPECT_EQ(refused.fileTypes.writes, 3);
    EXPECT_EQ(refused.form.New1.InitDir, refused.fileSystem.current);
}

// A repaint writes today's date, so a repaint after midnight shows the new day; About opens
// the About window and Exit ends the program.
TEST(Shell, RepaintWritesTheDateAboutAndExitDoTheirOneThing) {
    FormFixture f;
    f.form.Form_Paint();
    f.clock.date = {2000, 1, 8};  // midnight passes
    EXPECT_EQ(f.form.Jour.Text, "Jan/07/2000");
    f.form.Form_Paint();
    EXPECT_EQ(f.form.Jour.Text, "Jan/08/2000");
    f.form.About_Click();
    EXPECT_EQ(f.windows.aboutShown, 1);
    EXPECT_EQ(f.windows.ended, 0);
    f.form.Sortie_Click();
    EXPECT_EQ(f.windows.ended, 1);
}

// The About window names the module (or says none is open), its copyright and publisher; an
// empty year and author still leave the sign and the three blanks.
TEST(AboutWindow, ShowsTheModuleItsCopyrightAndPublisher) {
    FormFixture f;
    AboutWindow about;
    auto shown = [&](const char* year, const char* title, const char* author, const char* company) {
        f.form.Label1.Caption = year;
        f.form.Label2.Caption = title;
        f.form.Label3.Caption = author;
        f.form.Label4.Caption = company;
        about.Form_Paint(f.form);
        return std::vector{about.Label2.Caption, about.Label1.Caption, about.Label6.Caption};
    };
    EXPECT_EQ(shown("", "", "", ""), (std::vector<std::string>{"Question Module: Module not Open!",
                                                               "Copyright \u00A9    ", ""}));
    EXPECT_EQ(shown("2026", "General Knowledge", "Vexlor Team", "Vexlor Games"),
              (std::vector<std::string>{"Question Module: General Knowledge",
                                        "Copyright \u00A9 2026   Vexlor Team", "Vexlor Games"}));
}

}  // namespace
}  // namespace vexlor::app
