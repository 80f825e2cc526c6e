// Registration of the module file type in the desktop's shared MIME database.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../support/fakes.h"
#include "platform/file_types.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// The PNG image stored first in the shipped icon.
std::string firstIconImage(const std::string& ico) {
    auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(ico[at + 3])) << 24;
    };
    return ico.substr(word(6 + 12), word(6 + 8));
}

struct Start {
    testing::FormFixture fixture;
    explicit Start(FileTypes& types, const std::string& folder) : fixture() {
        fixture.fileSystem.current = folder;
        form = std::make_unique<app::MasterForm>(app::Services{
            fixture.clock, fixture.random, fixture.fileDialog, fixture.messageBox, fixture.windows,
            types, fixture.fileSystem, fixture.soundPlayer, fixture.pictureLoader});
        form->Form_Load();
    }
    std::unique_ptr<app::MasterForm> form;
};

TEST(FileTypeRegistration, TheThreeValuesLandInTheDataFolder) {
    TempFolder data, start;
    fs::copy_file(VEXLOR_ICON, start.path() / "VXM.ico");
    FreedesktopFileTypes types(data.path());
    Start run(types, start.path().string());

    EXPECT_EQ(types.defaultValue(".vxm"), "vxmfile");
    EXPECT_EQ(types.defaultValue("vxmfile"), "Vexlor Module");
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), start.file("VXM.ico") + ",0");

    const std::string package = testing::readBytes(data.path() / "mime/packages/x-vxmfile.xml");
    EXPECT_NE(package.find("<mime-type type=\"application/x-vxmfile\">"), std::string::npos);
    EXPECT_NE(package.find("<glob pattern=\"*.vxm\"/>"), std::string::npos);
    EXPECT_NE(package.find("<comment>Vexlor Module</comment>"), std::string::npos);
    EXPECT_NE(package.find("<icon name=\"application-x-vxmfile\"/>"), std::string::npos);

    const std::string icon = testing::readBytes(types.iconPath("vxmfile", 48));
    ASSERT_FALSE(icon.empty());
    EXPECT_EQ(icon, firstIconImage(testing::readBytes(VEXLOR_ICON)));
}

TEST(FileTypeRegistration, ASecondStartFromAnotherFolderLeavesTheFirstValues) {
    TempFolder data, first, second;
    fs::copy_file(VEXLOR_ICON, first.path() / "VXM.ico");
    fs::copy_file(VEXLOR_ICON, second.path() / "VXM.ico");
    FreedesktopFileTypes types(data.path());
    Start one(types, first.path().string());
    const std::string before = testing::readBytes(types.packagePath("vxmfile"));

    Start two(types, second.path().string());
    EXPECT_EQ(testing::readBytes(types.packagePath("vxmfile")), before);
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), first.file("VXM.ico") + ",0");
}

TEST(FileTypeRegistration, AnUnwritableFolderOrAMissingIconIsIgnored) {
    TempFolder data, start;  // no VXM.ico in the start folder
    FreedesktopFileTypes types(data.path());
    Start noIcon(types, start.path().string());
    EXPECT_EQ(types.defaultValue(".vxm"), "vxmfile");
    EXPECT_EQ(types.defaultValue("vxmfile"), "Vexlor Module");
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), std::nullopt);

    // A data folder that cannot be made: its parent is a file.
    { std::ofstream(start.file("plain-file")) << "x"; }
    FreedesktopFileTypes lockedTypes(start.path() / "plain-file" / "share");
    fs::copy_file(VEXLOR_ICON, start.path() / "VXM.ico");
    Start refused(lockedTypes, start.path().string());
    EXPECT_EQ(lockedTypes.defaultValue(".vxm"), std::nullopt);
    EXPECT_TRUE(refused.form->Modu.Visible);
}

TEST(FileTypeRegistration, RefusesKeysAndIconsItCannotRepresent) {
    TempFolder data, start;
    FreedesktopFileTypes types(data.path());
    EXPECT_FALSE(types.setDefaultValue(".v m", "vxmfile"));
    EXPECT_FALSE(types.setDefaultValue(".vxm", "../escape"));
    EXPECT_FALSE(types.setDefaultValue("a/b", "text"));
    EXPECT_FALSE(types.setDefaultValue("vxmfile\\DefaultIcon", start.file("missing.ico") + ",0"));
    { std::ofstream(start.file("bad.ico")) << "not an icon"; }
    EXPECT_FALSE(types.setDefaultValue("vxmfile\\DefaultIcon", start.file("bad.ico") + ",0"));
    fs::copy_file(VEXLOR_ICON, start.path() / "VXM.ico");
    EXPECT_FALSE(types.setDefaultValue("vxmfile\\DefaultIcon", start.file("VXM.ico") + ",99"));
    EXPECT_FALSE(fs::exists(data.path() / "mime"));

    // Markup in a description is stored as text.
    EXPECT_TRUE(types.setDefaultValue("vxmfile", "Quiz <&> \"Module\""));
    EXPECT_EQ(types.defaultValue("vxmfile"), "Quiz <&> \"Module\"");
}

// The package file stays XML the desktop's own tool accepts, whatever the description holds
// (an unescaped "&" breaks it) and whatever bytes the start folder's name holds (markup, "--",
// control characters, text that is not UTF-8), and the icon value reads back as written.
TEST(FileTypeRegistration, ThePackageIsReadByTheDesktopToolForAnyStartFolder) {
    for (const std::string& name :
         {std::string("a&b--c<d>\"e'"), std::string("bad\xff\x01name-")}) {
        SCOPED_TRACE(name);
        TempFolder data, parent;
        const fs::path start = parent.path() / name;
        fs::create_directory(start);
        fs::copy_file(VEXLOR_ICON, start / "VXM.ico");
        FreedesktopFileTypes types(data.path());
        Start run(types, start.string());
        ASSERT_TRUE(types.setDefaultValue("vxmfile", "Questions & <Answers>"));

        EXPECT_EQ(types.defaultValue("vxmfile"), "Questions & <Answers>");
        EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), (start / "VXM.ico").string() + ",0");
        // update-mime-database lists the type only when it could parse the package.
        const std::string globs = testing::readBytes(data.path() / "mime/globs2");
        EXPECT_NE(globs.find("application/x-vxmfile:*.vxm"), std::string::npos) << globs;
    }
}

}  // namespace
}  // namespace vexlor::platform
