// The editor's packages (a module and its media in one zip) and what Save As says of the media
// it copied.

#include <QFileInfo>
#include <QStatusBar>
#include <filesystem>

#include "authoring/package.h"
#include "editor/editor_window.h"
#include "editor/prompts.h"
#include "text/i18n.h"

namespace vexlor::editor {

namespace fs = std::filesystem;

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QString EditorWindow::mediaCopiedNote(const authoring::SaveReport& saved) {
    const std::size_t media = saved.mediaCopied + saved.mediaReused;
    if (media == 0 && saved.mediaLeft.empty()) return QStringLiteral(".");
    QString note =
        QString::fromUtf8(i18n::txn(", with %1 media file", ", with %1 media files", media))
            .arg(QString::number(media));
    for (const auto& [was, now] : saved.mediaRenamed)
        note += tr("; %1 is there as %2, as another file had its name").arg(qt(was), qt(now));
    if (!saved.mediaLeft.empty())
        note += QString::fromUtf8(i18n::txn("; %1 media file not found, see the problems",
                                            "; %1 media files not found, see the problems",
                                            saved.mediaLeft.size()))
                    .arg(QString::number(saved.mediaLeft.size()));
    return note + QLatin1Char('.');
}

bool EditorWindow::exportPackage(const QString& path) {
    if (!document_) return false;
    const QString title = tr("Export as a Package");
    // A package is made of the module's file: unsaved edits and a module still in the earlier
    // format are saved first.
    if (unsaved() || !earlier_.empty()) {
        if (!prompts_.confirm(this, title,
                              tr("The package holds the module as saved. Save the changes "
                                 "first?")) ||
            !save())
            return false;
    }
    auto packed = authoring::packModule(document_->path(), path.toStdString(), /*replace=*/true);
    if (!packed) {
        prompts_.warn(this, title, qt(packed.error().what()));
        return false;
    }
    statusBar()->showMessage(
        QString::fromUtf8(i18n::txn("Exported %1 with %2 media file to %3",
                                    "Exported %1 with %2 media files to %3", packed->media))
            .arg(qt(document_->path().filename().string()), QString::number(packed->media),
                 QFileInfo(path).fileName()),
        5000);
    if (!packed->left.empty()) {
        QStringList left;
        for (const std::string& name : packed->left) left << qt(name);
        prompts_.warn(this, title,
                      tr("The package was written without these media files, which are not "
                         "beside the module:\n\n%1")
                          .arg(left.join(QLatin1Char('\n'))));
    }
    return true;
}

bool EditorWindow::openPackage(const QString& path, const QString& into) {
    if (!mayDiscardChanges()) return false;
    const QString title = tr("Open Package");
    // A folder of its own, named after the package, so nothing of the author's is mixed in.
    const fs::path package = path.toStdString();
    fs::path folder;
    std::error_code error;
    for (int number = 1; number <= 100 && folder.empty(); ++number) {
        const fs::path candidate =
            fs::path(into.toStdString()) /
            (package.stem().string() + (number == 1 ? "" : " " + std::to_string(number)));
        if (!fs::exists(fs::symlink_status(candidate, error))) folder = candidate;
    }
    if (folder.empty()) {
        prompts_.warn(this, title,
                      tr("%1 holds too many folders named like the package.").arg(into));
        return false;
    }
    auto unpacked = authoring::unpackPackage(package, folder);
    if (!unpacked) {
        prompts_.warn(this, title,
                      tr("%1 could not be opened:\n\n%2")
                          .arg(QFileInfo(path).fileName(), qt(unpacked.error().what())));
        return false;
    }
    if (!openModule(qt(unpacked->module.string()))) return false;
    QString note = tr("Unpacked %1 into %2").arg(QFileInfo(path).fileName(), qt(folder.string()));
    if (!unpacked->skipped.empty())
        note += QString::fromUtf8(i18n::txn(" (%1 file skipped)", " (%1 files skipped)",
                                            unpacked->skipped.size()))
                    .arg(QString::number(unpacked->skipped.size()));
    statusBar()->showMessage(note);
    return true;
}

void EditorWindow::exportPackageTriggered() {
    if (!document_) return;
    QString path = prompts_.saveFile(this, tr("Export as a Package"), tr("Vexlor Package (*.zip)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) path += QStringLiteral(".zip");
    exportPackage(path);
}

}  // namespace vexlor::editor
