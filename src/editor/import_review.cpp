#include "editor/import_review.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "authoring/csv.h"
#include "editor/window_helpers.h"

namespace vexlor::editor {

namespace fs = std::filesystem;
using authoring::ColumnField;
using authoring::TextEncoding;
using window::qt;

namespace {

// A table of thousands of rows would take seconds to fill; the first ones show a column
// mix-up, and the count says the rest.
constexpr int kShownQuestions = 200;
constexpr int kShownNotes = 500;

QString separatorName(char separator) {
    switch (separator) {
        case ';':
            return ImportReview::tr("semicolons");
        case '\t':
            return ImportReview::tr("tabs");
        default:
            return ImportReview::tr("commas");
    }
}

}  // namespace

ImportReview::ImportReview(std::string bytes, const fs::path& name,
                           std::optional<authoring::ImportFormat> format,
                           const fs::path& mediaFolder, QWidget* parent)
    : QDialog(parent),
      bytes_(std::move(bytes)),
      name_(name),
      fileName_(qt(name.filename().string())) {
    setWindowTitle(tr("Import Questions"));
    options_.format = format;
    options_.mediaFolder = mediaFolder;
    options_.encoding = authoring::EncodingChoice::kDetect;

    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    encoding_ = new QComboBox(this);
    encoding_->addItem(tr("UTF-8"), static_cast<int>(TextEncoding::kUtf8));
    encoding_->addItem(tr("Windows-1252 (Western European)"),
                       static_cast<int>(TextEncoding::kWindows1252));
    encodingNote_ = new QLabel(this);
    encodingNote_->setWordWrap(true);
    layout_ = new QLabel(this);
    layout_->setWordWrap(true);
    columns_ = new QTableWidget(1, 0, this);
    columns_->verticalHeader()->hide();
    columns_->setToolTip(tr("What each column of the file holds"));
    columns_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    questions_ = new QTableWidget(0, 8, this);
    questions_->setHorizontalHeaderLabels({tr("Line"), tr("Question"), tr("Right answer"),
                                           tr("Wrong answer 1"), tr("Wrong answer 2"),
                                           tr("Wrong answer 3"), tr("Points"), tr("Media")});
    questions_->verticalHeader()->hide();
    questions_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    questions_->horizontalHeader()->setStretchLastSection(true);
    skipped_ = new QListWidget(this);
    buttons_ = new QDialogButtonBox(this);
    buttons_->addButton(tr("&Import"), QDialogButtonBox::AcceptRole);
    buttons_->addButton(QDialogButtonBox::Cancel);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* encodingRow = new QHBoxLayout;
    auto* encodingLabel = new QLabel(tr("&Encoding:"), this);
    encodingLabel->setBuddy(encoding_);
    encodingRow->addWidget(encodingLabel);
    encodingRow->addWidget(encoding_);
    encodingRow->addWidget(encodingNote_, 1);
    auto* main = new QVBoxLayout(this);
    main->addWidget(summary_);
    main->addLayout(encodingRow);
    main->addWidget(layout_);
    main->addWidget(columns_);
    main->addWidget(new QLabel(tr("Questions to import:"), this));
    main->addWidget(questions_, 3);
    main->addWidget(new QLabel(tr("Skipped, and warnings:"), this));
    main->addWidget(skipped_, 1);
    main->addWidget(buttons_);
    resize(1000, 620);

    connect(encoding_, &QComboBox::currentIndexChanged, this,
            [this] { setEncoding(static_cast<TextEncoding>(encoding_->currentData().toInt())); });
    reread(true);
}

bool ImportReview::importable() const {
    return read_.usable() && read_.result.questionsNotKept == 0;
}

void ImportReview::setEncoding(TextEncoding encoding) {
    options_.encoding = encoding == TextEncoding::kUtf8 ? authoring::EncodingChoice::kUtf8
                                                        : authoring::EncodingChoice::kWindows1252;
    // Names read in another encoding may name other fields.
    reread(true);
}

void ImportReview::setColumn(int column, ColumnField field) {
    std::vector<ColumnField> columns = read_.columns;
    if (column < 0 || static_cast<std::size_t>(column) >= columns.size()) return;
    // A field is held by one column: the one that held it before holds nothing now.
    if (field != ColumnField::kSkip)
        for (ColumnField& other : columns)
            if (other == field) other = ColumnField::kSkip;
    columns[static_cast<std::size_t>(column)] = field;
    options_.columnsChoice = authoring::ColumnsChoice::kGiven;
    options_.columns = std::move(columns);
    reread(false);
}

void ImportReview::reread(bool guessColumns) {
    if (guessColumns) options_.columnsChoice = authoring::ColumnsChoice::kGuess;
    read_ = authoring::importQuestions(bytes_, name_, options_);
    showRead();
}

QString ImportReview::summary() const {
    const authoring::ImportResult& result = read_.result;
    if (!read_.format) return tr("The format of %1 cannot be told.").arg(fileName_);
    if (result.fatal) {
        // The reader names the tool's option; here the encoding is picked above.
        std::string message = result.fatal->describe(fileName_.toStdString());
        const std::string hint = i18n::tx(authoring::kEncodingHint);
        const std::size_t option = message.rfind(hint);
        if (option != std::string::npos)
            message.replace(option, hint.size(), i18n::tx(", or pick Windows-1252 above"));
        return qt(message);
    }
    if (read_.columnsProblem)
        return tr("%1: %2. Say below which column holds it.")
            .arg(fileName_, qt(*read_.columnsProblem));
    if (result.questionsNotKept > 0)
        return tr("%1 holds %2 usable questions; the game counts at most %3.")
            .arg(fileName_)
            .arg(result.usable())
            .arg(authoring::kMaxQuestions);
    if (result.usable() == 0) return tr("No question in %1 can be used.").arg(fileName_);
    QString text =
        window::addedAfterLast(result.usable()).arg(QString::number(result.usable()), fileName_);
    if (result.skipped() > 0) text += QLatin1Char(' ') + window::questionsSkipped(result.skipped());
    if (read_.emptyRows > 0)
        text += QLatin1Char(' ') +
                QString::fromUtf8(i18n::txn("%1 empty row is skipped.",
                                            "%1 empty rows are skipped.", read_.emptyRows))
                    .arg(QString::number(read_.emptyRows));
    return text;
}

QStringList ImportReview::notes() const {
    QStringList lines;
    const std::string file = fileName_.toStdString();
    if (read_.notUtf8) lines << qt(read_.notUtf8->describe(file));
    for (const authoring::Problem& note : read_.notes) lines << qt(note.describe(file));
    if (read_.result.problemsNotKept > 0)
        lines << tr("... and %1 more skipped").arg(read_.result.problemsNotKept);
    return lines;
}

void ImportReview::showRead() {
    summary_->setText(summary());
    {
        const QSignalBlocker quiet(encoding_);
        encoding_->setCurrentIndex(encoding_->findData(static_cast<int>(read_.encoding)));
    }
    encodingNote_->setText(
        read_.notUtf8 ? tr("Line %1: %2.").arg(read_.notUtf8->line).arg(qt(read_.notUtf8->message))
                      : QString());

    // The columns, for CSV: a choice of field for each.
    const bool csv = read_.format == authoring::ImportFormat::kCsv && !read_.columns.empty();
    layout_->setVisible(csv);
    columns_->setVisible(csv);
    if (csv) {
        layout_->setText((read_.header
                              ? tr("CSV, fields separated by %1; the first row names the columns "
                                   "and is not imported. What each column holds:")
                              : tr("CSV, fields separated by %1; no header row, the columns are "
                                   "taken in the module's order. What each column holds:"))
                             .arg(separatorName(read_.separator)));
        const int count = static_cast<int>(read_.columns.size());
        columns_->setColumnCount(count);
        for (int i = 0; i < count; ++i) {
            const std::string& name = i < static_cast<int>(read_.columnNames.size())
                                          ? read_.columnNames[static_cast<std::size_t>(i)]
                                          : std::string();
            columns_->setHorizontalHeaderItem(
                i, new QTableWidgetItem(name.empty() ? tr("Column %1").arg(i + 1) : qt(name)));
            auto* box = qobject_cast<QComboBox*>(columns_->cellWidget(0, i));
            if (box == nullptr) {
                box = new QComboBox(columns_);
                for (std::size_t f = 0; f < authoring::kColumnFieldCount; ++f)
                    box->addItem(
                        tr(authoring::columnFieldTitle(static_cast<ColumnField>(f)).data()),
                        static_cast<int>(f));
                connect(box, &QComboBox::currentIndexChanged, this, [this, i, box] {
                    setColumn(i, static_cast<ColumnField>(box->currentData().toInt()));
                });
                columns_->setCellWidget(0, i, box);
            }
            const QSignalBlocker quiet(box);
            box->setCurrentIndex(static_cast<int>(read_.columns[static_cast<std::size_t>(i)]));
        }
        columns_->resizeColumnsToContents();
        columns_->setFixedHeight(columns_->horizontalHeader()->sizeHint().height() +
                                 columns_->rowHeight(0) + 2 * columns_->frameWidth() +
                                 columns_->horizontalScrollBar()->sizeHint().height());
    }

    const auto& questions = read_.result.questions;
    const int shown = std::min(static_cast<int>(questions.size()), kShownQuestions);
    questions_->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const authoring::Question& question = questions[static_cast<std::size_t>(row)];
        const auto& place = read_.result.places;
        const int line = static_cast<std::size_t>(row) < place.size()
                             ? place[static_cast<std::size_t>(row)].line
                             : 0;
        const QString cells[] = {line > 0 ? QString::number(line) : QString(),
                                 qt(question.text),
                                 qt(question.answers[0]),
                                 qt(question.answers[1]),
                                 qt(question.answers[2]),
                                 qt(question.answers[3]),
                                 qt(question.points),
                                 qt(question.media)};
        for (int column = 0; column < 8; ++column)
            questions_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    questions_->resizeColumnsToContents();

    skipped_->clear();
    const QStringList lines = notes();
    skipped_->addItems(lines.mid(0, kShownNotes));
    if (lines.size() > kShownNotes)
        skipped_->addItem(tr("... and %1 more").arg(lines.size() - kShownNotes));
    buttons_->buttons().first()->setEnabled(importable());
}

}  // namespace vexlor::editor
