// Questions in and out of the module: question files imported and exported, and rows pasted from
// and copied to the clipboard.

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <algorithm>
#include <utility>

#include "authoring/export.h"
#include "authoring/file_write.h"
#include "authoring/question_import.h"
#include "editor/editor_window.h"
#include "editor/import_review.h"
#include "editor/window_helpers.h"

namespace vexlor::editor {

using namespace window;

namespace {

// Marks rows copied from the table, so that pasting them back keeps drafts as they were.
constexpr char kOwnRows[] = "application/x-vexlor-questions";

struct FormatChoice {
    authoring::ImportFormat format;
    const char* filter;
    const char* ending;
    bool spreadsheet = false;
};
// The filters are looked up where they are offered.
constexpr FormatChoice kFormats[] = {
    {authoring::ImportFormat::kCsv, QT_TR_NOOP("CSV (*.csv)"), ".csv"},
    {authoring::ImportFormat::kCsv, QT_TR_NOOP("CSV for spreadsheets (*.csv)"), ".csv", true},
    {authoring::ImportFormat::kAiken, QT_TR_NOOP("Aiken (*.txt)"), ".txt"},
    {authoring::ImportFormat::kGift, QT_TR_NOOP("GIFT (*.gift)"), ".gift"},
    {authoring::ImportFormat::kOpenTdb, QT_TR_NOOP("Open Trivia DB (*.json)"), ".json"},
};

}  // namespace

bool EditorWindow::addReviewed(const authoring::ImportResult& result, const QString& source,
                               bool paste) {
    QStringList skipped;
    for (const authoring::Problem& problem : result.problems)
        skipped << qt(problem.describe(source.toStdString()));
    if (result.problemsNotKept > 0) skipped << tr("... and %1 more").arg(result.problemsNotKept);
    const QString title = paste ? tr("Paste Questions") : tr("Import Questions");
    if (result.usable() == 0) {
        prompts_.warn(this, title,
                      tr("No question in %1 can be used.").arg(source) +
                          (skipped.isEmpty() ? QString()
                                             : QStringLiteral("\n\n") +
                                                   skipped.mid(0, 10).join(QLatin1Char('\n'))));
        return false;
    }
    // Refused whole, as a module cannot take them all: the author splits the rows, not us.
    if (result.questionsNotKept > 0) {
        prompts_.warn(this, title,
                      tr("%1 holds %2 usable questions; the game counts at most %3.")
                          .arg(source)
                          .arg(result.usable())
                          .arg(authoring::kMaxQuestions));
        return false;
    }
    const QString summary =
        (paste ? QString::fromUtf8(
                     i18n::txn("%1 question from %2 will be added after the selected question.",
                               "%1 questions from %2 will be added after the selected question.",
                               result.usable()))
               : addedAfterLast(result.usable()))
            .arg(QString::number(result.usable()), source) +
        (skipped.isEmpty() ? QString() : QLatin1Char(' ') + questionsSkipped(result.skipped()));
    // A clean paste needs no review: what was copied is what is added.
    if ((!paste || !skipped.isEmpty()) && !prompts_.reviewImport(this, summary, skipped))
        return false;
    const auto row = currentRow();
    const std::size_t before = document_->size();
    {
        const Busy busy(statusBar(), tr("Adding %1...").arg(questions(result.usable())));
        push(paste ? document_->pasteQuestions(row ? *row + 1 : document_->size(), result)
                   : document_->importQuestions(result));
    }
    return document_->size() > before;
}

bool EditorWindow::importFile(const QString& path) {
    if (!document_) return false;
    const QString title = tr("Import Questions");
    auto text = authoring::readImportFile(pathOf(path));
    if (!text) {
        prompts_.warn(this, title, qt(text.error().what()));
        return false;
    }
    std::optional<authoring::ImportFormat> format;
    if (!authoring::guessFormat(pathOf(path), *text)) {
        const QStringList names = {QStringLiteral("CSV"), QStringLiteral("Aiken"),
                                   QStringLiteral("GIFT"), QStringLiteral("Open Trivia DB")};
        const auto chosen = prompts_.choose(
            this, title, tr("Which format is %1 in?").arg(QFileInfo(path).fileName()), names);
        if (!chosen) return false;
        format = static_cast<authoring::ImportFormat>(names.indexOf(*chosen));
    }
    ImportReview review(std::move(*text), pathOf(path), format, document_->mediaFolder(), this);
    // A file no encoding or column choice makes readable is told, not reviewed.
    if (review.current().result.fatal) {
        prompts_.warn(this, title, review.summary());
        return false;
    }
    if (!prompts_.reviewQuestions(review)) return false;
    if (!review.importable()) {
        const QStringList notes = review.notes();
        prompts_.warn(
            this, title,
            review.summary() + (notes.isEmpty() ? QString()
                                                : QStringLiteral("\n\n") +
                                                      notes.mid(0, 10).join(QLatin1Char('\n'))));
        return false;
    }
    const authoring::ImportResult& result = review.current().result;
    const std::size_t before = document_->size();
    {
        const Busy busy(statusBar(), tr("Adding %1...").arg(questions(result.usable())));
        push(document_->importQuestions(result));
    }
    statusBar()->showMessage(
        QString::fromUtf8(i18n::txn("Imported %1 question from %2", "Imported %1 questions from %2",
                                    result.usable()))
                .arg(QString::number(result.usable()), QFileInfo(path).fileName()) +
            (result.skipped() > 0
                 ? QString::fromUtf8(i18n::txn("; %1 skipped", "; %1 skipped", result.skipped()))
                       .arg(result.skipped())
                 : QString()),
        5000);
    return document_->size() > before;
}

bool EditorWindow::pasteRows(QString text, bool ownCopy) {
    if (!document_) return false;
    const QString title = tr("Paste Questions");
    const QString source = tr("the clipboard");
    // Counted before it is converted, so a huge clipboard costs no copy.
    std::uintmax_t bytes = 0;
    for (const QChar c : std::as_const(text))
        bytes += c.unicode() < 0x80 ? 1 : (c.unicode() < 0x800 || c.isSurrogate()) ? 2 : 3;
    if (bytes > authoring::kMaxImportBytes) {
        prompts_.warn(this, title,
                      tr("%1: the text is %2 MiB, more than the %3 MiB that can be pasted at once")
                          .arg(source)
                          .arg((bytes + (1u << 20) - 1) >> 20)
                          .arg(authoring::kMaxImportBytes >> 20));
        return false;
    }
    authoring::ImportResult result;
    {
        const Busy busy(statusBar(), tr("Reading %1 MiB from %2...")
                                         .arg(QString::number(bytes / 1048576.0, 'f', 1), source));
        QByteArray utf8 = text.toUtf8();
        text = QString();  // the UTF-16 copy goes before the rows are read
        result = authoring::readPastedRows(std::string_view(utf8.constData(), utf8.size()));
    }
    if (result.fatal) {
        prompts_.warn(this, title, qt(result.fatal->describe(source.toStdString())));
        return false;
    }
    // A clipboard of more than a module holds is refused as it is, without being checked.
    std::optional<authoring::Problem> refused;
    if (!ownCopy && result.questionsNotKept == 0)
        authoring::screenQuestions(result, document_->mediaFolder(), false, refused);
    if (!addReviewed(result, source, true)) return false;
    QStringList said = {
        QString::fromUtf8(i18n::txn("Pasted %1 question", "Pasted %1 questions", result.usable()))
            .arg(result.usable())};
    if (result.headerLine > 0) said << tr("the first row names the columns and was not pasted");
    if (result.skipped() > 0)
        said << QString::fromUtf8(
                    i18n::txn("%1 question skipped", "%1 questions skipped", result.skipped()))
                    .arg(result.skipped());
    statusBar()->showMessage(said.join(QStringLiteral("; ")), 8000);
    return true;
}

bool EditorWindow::exportFile(const QString& path, authoring::ImportFormat format,
                              bool spreadsheet) {
    if (!document_) return false;
    const QString title = tr("Export Questions");
    std::vector<authoring::Question> exported;
    exported.reserve(document_->size());
    for (std::size_t row = 0; row < document_->size(); ++row)
        exported.push_back(document_->question(row));
    const authoring::ExportResult result =
        spreadsheet
            ? authoring::exportSpreadsheetCsv(
                  exported, authoring::spreadsheetSeparator(QLocale().decimalPoint().toStdString()))
            : authoring::exportQuestions(format, exported);
    // Never over the module, by whatever name; written whole or not at all.
    const Status written =
        // TRANSLATORS: what an export refuses to write over, in "... is the module".
        authoring::writeWholeFile(pathOf(path), result.text, modulePath(), i18n::tx("the module"));
    if (!written) {
        prompts_.warn(this, title, qt(written.error().what()));
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    const QString count = QString::number(result.written);
    statusBar()->showMessage(
        QString::fromUtf8(
            i18n::txn("Exported %1 question to %2", "Exported %1 questions to %2", result.written))
            .arg(count, name),
        5000);
    if (!result.losses.empty()) {
        // A list of thousands would not fit the window: the first ones show what to mend.
        constexpr std::size_t kShown = 15;
        QStringList lines;
        for (std::size_t i = 0; i < result.losses.size() && i < kShown; ++i) {
            const authoring::ExportLoss& loss = result.losses[i];
            lines << tr("Question %1: %2").arg(loss.question + 1).arg(qt(loss.message));
        }
        if (result.losses.size() > kShown)
            lines << tr("... and %1 more.").arg(result.losses.size() - kShown);
        prompts_.warn(this, title,
                      QString::fromUtf8(
                          i18n::txn("Exported %1 question to %2. Not everything is kept:\n\n%3",
                                    "Exported %1 questions to %2. Not everything is kept:\n\n%3",
                                    result.written))
                          .arg(count, name, lines.join(QLatin1Char('\n'))));
    }
    return true;
}

void EditorWindow::importTriggered() {
    if (!document_) return;
    const QString path =
        prompts_.openFile(this, tr("Import Questions"),
                          tr("Question files (*.csv *.txt *.gift *.json);;All files (*)"));
    if (!path.isEmpty()) importFile(path);
}

void EditorWindow::exportTriggered() {
    if (!document_) return;
    QStringList filters;
    for (const FormatChoice& choice : kFormats) filters << tr(choice.filter);
    QString chosenFilter;
    QString path = prompts_.saveFile(this, tr("Export Questions"),
                                     filters.join(QStringLiteral(";;")), &chosenFilter);
    if (path.isEmpty()) return;
    const int index = std::max(0, static_cast<int>(filters.indexOf(chosenFilter)));
    const FormatChoice& choice = kFormats[index];
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1String(choice.ending);
    exportFile(path, choice.format, choice.spreadsheet);
}

void EditorWindow::pasteTriggered() {
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    const QString text = QApplication::clipboard()->text();
    pasteRows(text, copied != nullptr && copied->hasFormat(QLatin1String(kOwnRows)) &&
                        copied->data(QLatin1String(kOwnRows)) == text.toUtf8());
}

void EditorWindow::copyTriggered() {
    if (!document_) return;
    std::vector<authoring::Question> copied;
    for (std::size_t row : selectedRows()) copied.push_back(document_->question(row));
    if (copied.empty()) return;
    const std::string rows = authoring::pastedRows(copied);
    auto* rowsData = new QMimeData;
    rowsData->setText(qt(rows));
    rowsData->setData(QLatin1String(kOwnRows), QByteArray::fromStdString(rows));
    QApplication::clipboard()->setMimeData(rowsData);
    statusBar()->showMessage(
        QString::fromUtf8(i18n::txn("Copied %1 question", "Copied %1 questions", copied.size()))
            .arg(copied.size()),
        3000);
}

}  // namespace vexlor::editor
