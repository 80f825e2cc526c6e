#include "editor/prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/import_review.h"

namespace vexlor::editor {

void QtPrompts::warn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtPrompts::confirm(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

Prompts::Unsaved QtPrompts::askUnsaved(QWidget* parent, const QString& name) {
    QMessageBox box(QMessageBox::Warning, QObject::tr("Unsaved changes"),
                    QObject::tr("Save the changes to %1?").arg(name),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(QObject::tr("Your changes are lost if you do not save them."));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return Unsaved::kSave;
        case QMessageBox::Discard:
            return Unsaved::kDiscard;
        default:
            return Unsaved::kCancel;
    }
}

bool QtPrompts::askSave(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Save | QMessageBox::Cancel,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    return box.exec() == QMessageBox::Save;
}

QString QtPrompts::folder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

QString QtPrompts::openFile(QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtPrompts::saveFile(QWidget* parent, const QString& title, const QString& filter,
                            QString* chosenFilter) {
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, chosenFilter);
}

std::optional<QString> QtPrompts::text(QWidget* parent, const QString& title,
                                       const QString& label) {
    bool ok = false;
    const QString typed =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return typed;
}

std::optional<QString> QtPrompts::choose(QWidget* parent, const QString& title,
                                         const QString& label, const QStringList& items) {
    bool ok = false;
    const QString item = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    if (!ok) return std::nullopt;
    return item;
}

bool QtPrompts::reviewImport(QWidget* parent, const QString& summary, const QStringList& skipped) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Add questions"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* said = new QLabel(summary);
    said->setWordWrap(true);
    layout->addWidget(said);
    if (!skipped.isEmpty()) {
        layout->addWidget(new QLabel(QObject::tr("Skipped, with the reason:")));
        auto* list = new QListWidget;
        list->addItems(skipped);
        list->setAccessibleName(QObject::tr("Skipped questions"));
        layout->addWidget(list);
        dialog.resize(640, 400);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QObject::tr("Add"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

bool Prompts::reviewQuestions(ImportReview& review) {
    return reviewImport(review.parentWidget(), review.summary(), review.notes());
}

bool QtPrompts::reviewQuestions(ImportReview& review) {
    return review.exec() == QDialog::Accepted;
}

}  // namespace vexlor::editor
