// What leaves the editor: the module played in the game, and the question sheet printed.

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

#include "editor/editor_window.h"
#include "editor/print_dialog.h"
#include "text/i18n.h"

namespace vexlor::editor {

namespace {

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

bool EditorWindow::playInGame() {
    if (!document_) return false;
    const QString title = tr("Play in the Game");
    if (document_->size() == 0) {
        prompts_.warn(this, title,
                      tr("The module has no questions yet: the game has nothing to ask."));
        return false;
    }
    if (unsaved()) {
        // The game reads the file: what is only in the editor would not be played.
        const QString name = qt(modulePath().filename().string());
        if (!prompts_.askSave(this, title,
                              tr("Save the changes to %1 first? The game plays the module as "
                                 "it is saved.")
                                  .arg(name)))
            return false;
        if (!save()) return false;
    }
    if (gameProgram_.empty()) {
        prompts_.warn(this, title,
                      tr("The game (vexlor) was not found beside the editor. Install it with "
                         "the editor, or open the module in the game yourself."));
        return false;
    }
    const QString module = QFileInfo(qt(modulePath().string())).absoluteFilePath();
    if (!gameLauncher_(qt(gameProgram_), {module})) {
        prompts_.warn(this, title, tr("The game %1 could not be started.").arg(qt(gameProgram_)));
        return false;
    }
    statusBar()->showMessage(tr("The game was started with %1").arg(QFileInfo(module).fileName()),
                             5000);
    return true;
}

PrintSource EditorWindow::printSource() const {
    return {document_->properties(), document_->questions(), document_->mediaFolder()};
}

bool EditorWindow::exportPdf(const QString& path, const PrintOptions& options) {
    if (!document_) return false;
    const auto pages = writeQuizPdf(path.toStdString(), printSource(), options);
    if (!pages) {
        prompts_.warn(this, tr("Export as PDF"), qt(pages.error().what()));
        return false;
    }
    statusBar()->showMessage(
        // TRANSLATORS: in the status bar after Export as PDF; %1 is the file, %2 the pages.
        QString::fromUtf8(i18n::txn("%1 written: %2 page(s)", "%1 written: %2 page(s)",
                                    static_cast<unsigned long>(*pages)))
            .arg(QFileInfo(path).fileName(), QString::number(*pages)),
        5000);
    return true;
}

void EditorWindow::exportPdfTriggered() {
    if (!document_) return;
    const auto options = askPrintOptions(this, tr("Export as PDF"), printOptions_);
    if (!options) return;
    printOptions_ = *options;
    QString path = prompts_.saveFile(this, tr("Export as PDF"), tr("PDF document (*.pdf)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) path += QStringLiteral(".pdf");
    exportPdf(path, *options);
}

void EditorWindow::printTriggered() {
    if (!document_) return;
    const auto options = askPrintOptions(this, tr("Print"), printOptions_);
    if (!options) return;
    printOptions_ = *options;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(qt(document_->properties().title));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const auto pages = printQuiz(printer, printSource(), *options);
    if (!pages) prompts_.warn(this, tr("Print"), qt(pages.error().what()));
}

void EditorWindow::printPreviewTriggered() {
    if (!document_) return;
    const auto options = askPrintOptions(this, tr("Print Preview"), printOptions_);
    if (!options) return;
    printOptions_ = *options;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(qt(document_->properties().title));
    QPrintPreviewDialog dialog(&printer, this);
    const PrintSource source = printSource();
    QString problem;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* device) {
        const auto pages = printQuiz(*device, source, *options);
        problem = pages ? QString() : qt(pages.error().what());
    });
    dialog.exec();
    if (!problem.isEmpty()) prompts_.warn(this, tr("Print Preview"), problem);
}

}  // namespace vexlor::editor
