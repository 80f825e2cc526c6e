#include <filesystem>
#include <memory>
#include <string>

#include "app/master_form.h"
#include "modules/module_database.h"
#include "modules/module_store.h"
#include "rules/refusals.h"

namespace vexlor::app {

namespace {

// The dialog shows the part before "|"; the pattern after it is the dialog's, never translated.
constexpr const char* kFilterPattern = "|*.vxm";
constexpr int kDialogFlags =
    platform::open_flags::kFileMustExist | platform::open_flags::kExtensionDifferent |
    platform::open_flags::kNoChangeDir | platform::open_flags::kHideReadOnly;

void bindTo(DataView& view, const std::string& path, const char* table,
            std::shared_ptr<modules::ModuleStore> store) {
    view.Connect = std::string(";pwd=") + modules::kModuleKey;
    view.RecordsetType = 1;
    view.DatabaseName = path;
    view.RecordSource = table;
    view.store = std::move(store);
}

}  // namespace

void MasterForm::Modu_Click() {
    New1.DialogTitle = i18n::tx(kOpenTitle);
    New1.CancelError = true;
    New1.Flags = kDialogFlags;
    // TRANSLATORS: the kind of file the Open dialog lists; keep "(*.vxm)".
    New1.Filter = std::string(i18n::tx("Vexlor Module (*.vxm)")) + kFilterPattern;
    const auto chosen =
        services_.fileDialog.showOpen({New1.DialogTitle, New1.Filter, New1.Flags, New1.InitDir});
    if (!chosen) return;  // cancelled: nothing changes
    openModule(*chosen);
}

void MasterForm::openModule(const std::string& path) {
    New1.FileName = path;
    if (New1.FileName.empty()) return;

    std::string shortName = services_.fileSystem.fileName(New1.FileName);
    if (shortName == rules::refusals::kReservedName) {
        services_.messageBox.show(
            shortName + "\r" + rules::refusals::inLanguage(rules::refusals::kReservedNameRefused),
            platform::message_style::kExclamation, i18n::tx(kOpenTitle));
        return;
    }

    // A folder, a pipe or a dangling link has no file name in the file system's sense; the
    // messages still name what was chosen.
    if (shortName.empty()) shortName = std::filesystem::path(New1.FileName).filename().string();

    // A package is told by what it holds, as a module is, not by its name: given on the command
    // line, from the file manager, or typed in the dialog.
    if (services_.moduleConverter.isPackage(New1.FileName)) {
        if (!openPackage(shortName)) return;
        shortName = std::filesystem::path(New1.FileName).filename().string();
    }

    if (services_.moduleConverter.isEarlierModule(New1.FileName) &&
        !convertEarlierModule(shortName))
        return;

    Label2.Caption.clear();
    Caption = kTitle;
    // The opening judges a module by the title it shows; the failure only tells why. Without a
    // properties row the captions stay as they were, the title empty.
    Status opened = Status::success();
    std::shared_ptr<modules::ModuleStore> store;
    if (auto open = modules::ModuleStore::open(New1.FileName, modules::Access::kReadWrite,
                                               modules::ModuleStore::Layout::kAsFound)) {
        store = std::make_shared<modules::ModuleStore>(std::move(*open));
        if (auto properties = store->firstProperties(); !properties)
            opened = properties.error();
        else if (*properties) {
            Label1.Caption = (*properties)->year;
            Label2.Caption = (*properties)->title;
            Label3.Caption = (*properties)->author;
            Label4.Caption = (*properties)->company;
        }
    } else {
        opened = open.error();
    }
    if (Label2.Caption.empty()) {
        bindTo(Data3, New1.FileName, "Propriete", nullptr);
        store.reset();
        services_.messageBox.show(openRefusal(shortName, opened),
                                  platform::message_style::kExclamation, i18n::tx(kOpenTitle));
        return;
    }
    bindTo(Data1, New1.FileName, "MainData", store);
    bindTo(Data2, New1.FileName, "Use", store);
    bindTo(Data3, New1.FileName, "Propriete", store);
    bindTo(Data4, New1.FileName, "HScore", store);
    Caption = kTitle + Label2.Caption;
    moduleOpen_ = true;
    // The module's first question is current until a game draws one.
    quiz.question = moduleQuestion(1).value_or(game::Question{});
    draw();

    Panel.Caption = i18n::tx(kStartPrompt);
    Start.Visible = true;
    TopTen.Visible = true;
    HighScore();
}

bool MasterForm::convertEarlierModule(const std::string& shortName) {
    platform::ModuleConverter& converter = services_.moduleConverter;
    const auto prepared = converter.prepare(New1.FileName);
    // One the game would not take as a module (no title, no properties) goes on to be refused
    // as any other file is.
    if (!prepared && prepared.error().kind() == ErrorKind::kNotAModule) return true;
    auto cannot = [&](const Error& why) {
        // TRANSLATORS: shown below the module's file name; %1 says why.
        services_.messageBox.show(
            shortName + "\r" +
                i18n::fill(i18n::tx("This module could not be converted: %1"), {why.message()}),
            platform::message_style::kExclamation, i18n::tx(kOpenTitle));
        return false;
    };
    if (!prepared) return cannot(prepared.error());
    const std::string keptAs = std::filesystem::path(prepared->backup).filename().string();
    // TRANSLATORS: three lines asked below the module's file name, answered Yes or No; %1 is
    // the name the original file keeps.
    if (!services_.messageBox.ask(
            shortName + "\r" +
                i18n::tx("This module is in the earlier module format. It will be converted so "
                         "it can be played.") +
                "\r" + i18n::fill(i18n::tx("The original file is kept as %1."), {keptAs}) + "\r" +
                i18n::tx("Convert it now?"),
            i18n::tx(kOpenTitle))) {
        converter.discard(*prepared);
        return false;
    }
    const auto placed = converter.place(New1.FileName, *prepared);
    if (!placed) return cannot(placed.error());
    return true;
}

bool MasterForm::openPackage(const std::string& shortName) {
    namespace fs = std::filesystem;
    const auto chosen = services_.fileDialog.showOpen(
        // TRANSLATORS: the title of the folder dialog a package is unpacked into; %1 is the
        // package's file name.
        {i18n::fill(i18n::tx("Unpack %1 Into"), {shortName}), "",
         platform::open_flags::kChooseFolder, New1.InitDir});
    if (!chosen || chosen->empty()) return false;
    // A new folder named after the package, so that nothing of the player's is mixed in.
    const std::string stem = fs::path(New1.FileName).stem().string();
    fs::path folder;
    std::error_code error;
    for (int number = 1; number <= 100 && folder.empty(); ++number) {
        const fs::path candidate =
            fs::path(*chosen) / (stem + (number == 1 ? "" : " " + std::to_string(number)));
        if (!fs::exists(fs::symlink_status(candidate, error))) folder = candidate;
    }
    const auto module =
        folder.empty() ? Result<std::string>(Error(
                             i18n::tx("the chosen folder holds 100 folders named like it already")))
                       : services_.moduleConverter.unpackPackage(New1.FileName, folder.string());
    if (!module) {
        // TRANSLATORS: shown below the package's file name; %1 says why.
        services_.messageBox.show(shortName + "\r" +
                                      i18n::fill(i18n::tx("This package could not be opened: %1"),
                                                 {module.error().message()}),
                                  platform::message_style::kExclamation, i18n::tx(kOpenTitle));
        return false;
    }
    New1.FileName = *module;
    return true;
}

std::string MasterForm::openRefusal(const std::string& shortName, const Status& opened) {
    return rules::refusals::gameRefusal(shortName, opened);
}

std::optional<std::string> MasterForm::unreachableMessage(const std::string& path) {
    const Status reachable = modules::checkReachable(path);
    if (reachable) return std::nullopt;
    return rules::refusals::gameUnreachable(std::filesystem::path(path).filename().string(),
                                            reachable.error().message());
}

void MasterForm::openNamedModule(const std::string& path) {
    const auto unreachable = unreachableMessage(path);
    if (!unreachable) {
        openModule(path);
        return;
    }
    services_.messageBox.show(*unreachable, platform::message_style::kExclamation,
                              i18n::tx(kOpenTitle));
}

}  // namespace vexlor::app
