// Registration of the module file type in the desktop's shared MIME database.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "platform/file_types.h"
#include "support/fakes.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// Starts the program from `folder` (holding the shipped icon when `icon`) with `types`.
void start(FileTypes& types, const fs::path& folder, bool icon = true) {
    if (icon) fs::copy_file(VEXLOR_ICON, folder / "VXM.ico", fs::copy_options::skip_existing);
    testing::FormFixture f;
    f.fileSystem.current = folder.string();
    app::MasterForm form({f.clock, f.random, f.fileDialog, f.messageBox, f.windows, types,
                          f.fileSystem, f.soundPlayer, f.pictureLoader, f.moduleConverter});
    form.Form_Load();
}

// The first start writes the three values, the package and the icon (the PNG stored first in
// the shipped icon) into the data folder; a second start from another folder leaves them. The
// package stays XML the desktop's own tool accepts, whatever bytes the start folder's name
// holds (markup, "--", control characters, text that is not UTF-8) and whatever the description
// holds (an unescaped "&" breaks it), and the values read back as written.
TEST(FileTypeRegistration, TheThreeValuesLandInTheDataFolderOnce) {
    TempFolder data, parent, second;
    const fs::path first = parent.path() / "a&b--c<d>\"e'\xff\x01name-";
    fs::create_directory(first);
    FreedesktopFileTypes types(data.path());
    start(types, first);
    EXPECT_EQ(types.defaultValue(".vxm"), "vxmfile");
    EXPECT_EQ(types.defaultValue("vxmfile"), "Vexlor Module");
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), (first / "VXM.ico").string() + ",0");
    // update-mime-database lists the type only when it could parse the package.
    EXPECT_NE(testing::readBytes(data.path() / "mime/globs2").find("application/x-vxmfile:*.vxm"),
              std::string::npos);
    const std::string ico = testing::readBytes(VEXLOR_ICON);
    auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(ico[at + i]);
        return value;
    };
    EXPECT_EQ(testing::readBytes(types.iconPath("vxmfile", 48)), ico.substr(word(18), word(14)));

    const std::string package = testing::readBytes(types.packagePath("vxmfile"));
    start(types, second.path());
    EXPECT_EQ(testing::readBytes(types.packagePath("vxmfile")), package);
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), (first / "VXM.ico").string() + ",0");
    ASSERT_TRUE(types.setDefaultValue("vxmfile", "Questions & <Answers>"));
    EXPECT_EQ(types.defaultValue("vxmfile"), "Questions & <Answers>");
    EXPECT_NE(testing::readBytes(data.path() / "mime/globs2").find("application/x-vxmfile:*.vxm"),
              std::string::npos);
}

// A missing icon leaves only the icon value out; a data folder that cannot be made is ignored;
// keys, types and icons that cannot be represented are refused without writing anything.
TEST(FileTypeRegistration, WhatCannotBeWrittenIsIgnoredOrRefused) {
    TempFolder data, start1, other;
    FreedesktopFileTypes types(data.path());
    start(types, start1.path(), false);
    EXPECT_EQ(types.defaultValue("vxmfile"), "Vexlor Module");
    EXPECT_EQ(types.defaultValue("vxmfile\\DefaultIcon"), std::nullopt);

    std::ofstream(other.file("plain-file")) << "x";
    FreedesktopFileTypes unwritable(other.path() / "plain-file" / "share");
    start(unwritable, other.path());
    EXPECT_EQ(unwritable.defaultValue(".vxm"), std::nullopt);

    FreedesktopFileTypes fresh(other.path() / "fresh");
    std::ofstream(other.file("bad.ico")) << "not an icon";
    // Never read: a pipe would block the start, a huge file fill the memory.
    ASSERT_EQ(::mkfifo(other.file("pipe.ico").c_str(), 0600), 0);
    fs::copy_file(VEXLOR_ICON, other.file("huge.ico"));
    fs::resize_file(other.file("huge.ico"), 64u << 20);
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {".v m", "vxmfile"},
             {".vxm", "../escape"},
             {"a/b", "text"},
             {"vxmfile\\DefaultIcon", other.file("missing.ico") + ",0"},
             {"vxmfile\\DefaultIcon", other.file("bad.ico") + ",0"},
             {"vxmfile\\DefaultIcon", other.file("VXM.ico") + ",99"},
             {"vxmfile\\DefaultIcon", other.file("pipe.ico") + ",0"},
             {"vxmfile\\DefaultIcon", other.file("huge.ico") + ",0"}})
        EXPECT_FALSE(fresh.setDefaultValue(key, value)) << key << " = " << value;
    EXPECT_FALSE(fs::exists(other.path() / "fresh" / "mime"));
}

}  // namespace
}  // namespace vexlor::platform
