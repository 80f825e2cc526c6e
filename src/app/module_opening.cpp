#include <cctype>
#include <filesystem>
#include <string>

#include "app/master_form.h"
#include "modules/module_database.h"

namespace vexlor::app {

namespace {

constexpr const char* kFilter = "Vexlor Module (*.vxm)|*.vxm";
constexpr int kDialogFlags =
    platform::open_flags::kFileMustExist | platform::open_flags::kExtensionDifferent |
    platform::open_flags::kNoChangeDir | platform::open_flags::kHideReadOnly;

void bindTo(modules::DataSource& source, const std::string& path, const char* table) {
    source.Connect = std::string(";pwd=") + modules::kModuleKey;
    source.RecordsetType = 1;
    source.DatabaseName = path;
    source.RecordSource = table;
    // Engine errors are not examined here: the opening judges the result by the title shown.
    source.Refresh();
}

}  // namespace

void MasterForm::Modu_Click() {
    New1.DialogTitle = kOpenTitle;
    New1.CancelError = true;
    New1.Flags = kDialogFlags;
    New1.Filter = kFilter;
    const auto chosen =
        services_.fileDialog.showOpen({New1.DialogTitle, New1.Filter, New1.Flags, New1.InitDir});
    if (!chosen) return;  // cancelled: nothing changes
    New1.FileName = *chosen;
    if (New1.FileName.empty()) return;

    std::string shortName = services_.fileSystem.fileName(New1.FileName);
    if (shortName == "Dummy.mdb") {
        services_.messageBox.show(shortName + "\rYou can't use this file name",
                                  platform::message_style::kExclamation, kOpenTitle);
        return;
    }

    // A folder, a pipe or a dangling link has no file name in the file system's sense; the
    // messages still name what was chosen.
    if (shortName.empty()) shortName = std::filesystem::path(New1.FileName).filename().string();

    Data3.CloseDatabase();
    Label2.Caption.clear();
    Caption = kTitle;
    bindTo(Data3, New1.FileName, "Propriete");
    if (Label2.Caption.empty()) {
        services_.messageBox.show(openRefusal(shortName, Data3.openProblem()),
                                  platform::message_style::kExclamation, kOpenTitle);
        return;
    }
    bindTo(Data1, New1.FileName, "MainData");
    bindTo(Data2, New1.FileName, "Use");
    bindTo(Data4, New1.FileName, "HScore");
    Caption = kTitle + Label2.Caption;

    Panel.Caption = kStartPrompt;
    Start.Visible = true;
    TopTen.Visible = true;
    HighScore();
}

std::string MasterForm::openRefusal(const std::string& shortName, modules::OpenProblem problem) {
    // A module another program holds locked is not called invalid: it is only busy.
    return shortName + (problem == modules::OpenProblem::kInUse
                            ? "\rThe module is in use by another program"
                            : "\rNot a Valid Module");
}

std::optional<std::string> MasterForm::unreachableMessage(const std::string& path) {
    auto why = modules::unreachableFile(path);
    if (!why) return std::nullopt;
    why->front() = static_cast<char>(std::toupper(static_cast<unsigned char>(why->front())));
    return std::filesystem::path(path).filename().string() + "\r" + *why;
}

void MasterForm::openNamedModule(const std::string& path) {
    const auto unreachable = unreachableMessage(path);
    if (!unreachable) {
        Modu_Click();
        return;
    }
    services_.messageBox.show(*unreachable, platform::message_style::kExclamation, kOpenTitle);
}

}  // namespace vexlor::app
