#include "editor/print_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vexlor::editor {

std::optional<PrintOptions> askPrintOptions(QWidget* parent, const QString& title,
                                            const PrintOptions& options) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);

    auto* what = new QGroupBox(QObject::tr("Print"));
    auto* whatLayout = new QVBoxLayout(what);
    auto* sheet =
        new QCheckBox(QObject::tr("&Question sheet: each question with its answers A to D"));
    auto* key =
        new QCheckBox(QObject::tr("Answer &key: the right letter of each question, on a "
                                  "page of its own"));
    sheet->setChecked(options.questionSheet);
    key->setChecked(options.answerKey);
    whatLayout->addWidget(sheet);
    whatLayout->addWidget(key);
    layout->addWidget(what);

    auto* letters = new QGroupBox(QObject::tr("Answer letters"));
    auto* lettersLayout = new QFormLayout(letters);
    auto* fixed = new QRadioButton(QObject::tr("&Fixed: the same for a question on every print"));
    auto* shuffled = new QRadioButton(QObject::tr("&Shuffled, numbered:"));
    auto* seed = new QSpinBox;
    seed->setRange(1, 9999);
    seed->setValue(static_cast<int>(options.seed));
    seed->setAccessibleName(QObject::tr("Shuffle number"));
    seed->setToolTip(
        QObject::tr("The same number shuffles the same way: print the answer key of "
                    "a shuffled sheet with its number"));
    (options.shuffled ? shuffled : fixed)->setChecked(true);
    seed->setEnabled(options.shuffled);
    QObject::connect(shuffled, &QRadioButton::toggled, seed, &QSpinBox::setEnabled);
    lettersLayout->addRow(fixed);
    lettersLayout->addRow(shuffled, seed);
    layout->addWidget(letters);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // Nothing to print is not offered.
    auto update = [&] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(sheet->isChecked() || key->isChecked());
    };
    QObject::connect(sheet, &QCheckBox::toggled, &dialog, update);
    QObject::connect(key, &QCheckBox::toggled, &dialog, update);
    update();
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    PrintOptions chosen;
    chosen.questionSheet = sheet->isChecked();
    chosen.answerKey = key->isChecked();
    chosen.shuffled = shuffled->isChecked();
    chosen.seed = static_cast<std::uint32_t>(seed->value());
    return chosen;
}

}  // namespace vexlor::editor
