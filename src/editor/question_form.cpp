// The selected question's form: its fields, its media, and the game's window showing it.

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <utility>

#include "authoring/media_copy.h"
#include "editor/editor_window.h"
#include "editor/fit_view.h"
#include "editor/media.h"
#include "editor/preview.h"
#include "editor/window_helpers.h"
#include "platform/file_system.h"
#include "rules/media.h"

namespace vexlor::editor {

using authoring::PropertyField;
using authoring::QuestionField;
using namespace window;

QWidget* EditorWindow::buildQuestionPage() {
    // The selected question: its form, scrolling when short of room, over the game's window
    // showing it, scaled down when short of room.
    auto* questionPage = new QSplitter(Qt::Vertical);
    questionPage->setObjectName(QStringLiteral("formAndPreview"));
    questionPage->setChildrenCollapsible(false);
    form_ = new QWidget;
    form_->setAcceptDrops(true);
    form_->installEventFilter(this);
    auto* formLayout = new QFormLayout(form_);
    questionText_ = new QPlainTextEdit;
    questionText_->setAccessibleName(tr("Question"));
    questionText_->setTabChangesFocus(true);
    questionText_->setUndoRedoEnabled(false);  // the window's undo covers every field
    questionText_->setFixedHeight(fontMetrics().lineSpacing() * 3 + 12);
    questionText_->setAcceptDrops(false);
    questionText_->installEventFilter(this);
    formLayout->addRow(tr("&Question:"), questionText_);
    const char* labels[] = {QT_TR_NOOP("&Right answer:"),   QT_TR_NOOP("Wrong answer &1:"),
                            QT_TR_NOOP("Wrong answer &2:"), QT_TR_NOOP("Wrong answer &3:"),
                            QT_TR_NOOP("&Points:"),         QT_TR_NOOP("Picture or &sound:")};
    const char* spoken[] = {QT_TR_NOOP("Right answer"),   QT_TR_NOOP("Wrong answer 1"),
                            QT_TR_NOOP("Wrong answer 2"), QT_TR_NOOP("Wrong answer 3"),
                            QT_TR_NOOP("Points"),         QT_TR_NOOP("Picture or sound")};
    for (std::size_t i = 0; i < questionFields_.size(); ++i) {
        auto* field = new QLineEdit;
        field->setAccessibleName(tr(spoken[i]));
        field->setAcceptDrops(false);
        field->installEventFilter(this);
        questionFields_[i] = field;
        const auto which = static_cast<QuestionField>(i + 1);
        connect(field, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            if (updatingForm_ || !document_ || !currentRow()) return;
            // Points go to every selected question; the other fields are the shown one's.
            push(document_->setQuestionFields(
                which == QuestionField::kPoints ? rowsEdited() : std::vector{*currentRow()}, which,
                text.toStdString()));
        });
        // Enter in Points, the last field typed, goes on to the next question.
        if (which == QuestionField::kPoints)
            connect(field, &QLineEdit::returnPressed, this, &EditorWindow::addQuestion);
        if (which == QuestionField::kPoints) {
            auto* points = new QHBoxLayout;
            points->addWidget(field, 1);
            bulkNote_ = new QLabel;
            bulkNote_->setObjectName(QStringLiteral("bulkNote"));
            points->addWidget(bulkNote_);
            formLayout->addRow(tr(labels[i]), points);
            static_cast<QLabel*>(formLayout->labelForField(points))->setBuddy(field);
            continue;
        }
        if (i + 1 < questionFields_.size()) {
            formLayout->addRow(tr(labels[i]), field);
            continue;
        }
        field->setPlaceholderText(tr("None: choose or drop a file"));
        auto* media = new QHBoxLayout;
        media->addWidget(field, 1);
        auto* choose = new QPushButton(tr("Choose..."));
        choose->setAccessibleName(tr("Choose a picture or sound"));
        connect(choose, &QPushButton::clicked, this, &EditorWindow::chooseMedia);
        auto* remove = new QPushButton(tr("Remove"));
        remove->setAccessibleName(tr("Remove the picture or sound"));
        remove->setToolTip(tr("Removes the picture or sound of every selected question"));
        connect(remove, &QPushButton::clicked, this, &EditorWindow::removeMedia);
        playButton_ = new QPushButton(tr("Play"));
        playButton_->setAccessibleName(tr("Play the sound"));
        connect(playButton_, &QPushButton::clicked, this, &EditorWindow::playSound);
        for (QPushButton* button : {choose, remove, playButton_}) media->addWidget(button);
        formLayout->addRow(tr(labels[i]), media);
        static_cast<QLabel*>(formLayout->labelForField(media))->setBuddy(field);
    }
    connect(questionText_, &QPlainTextEdit::textChanged, this, [this] {
        if (updatingForm_ || !document_) return;
        if (const auto row = currentRow())
            push(document_->setQuestionField(*row, QuestionField::kText,
                                             questionText_->toPlainText().toStdString()));
    });
    auto* formScroll = new QScrollArea;
    formScroll->setWidget(form_);
    formScroll->setWidgetResizable(true);
    formScroll->setFrameShape(QFrame::NoFrame);
    // The form is what the author types in: it keeps its height, and the preview is scaled down
    // into what is left (the form scrolls only on a screen too small for both).
    formScroll->setMinimumHeight(form_->sizeHint().height());
    questionPage->addWidget(formScroll);
    preview_ = new QuestionPreview(sound_);
    auto* previewView = new FitView(preview_);
    previewView->setObjectName(QStringLiteral("previewView"));
    questionPage->addWidget(previewView);
    questionPage->setStretchFactor(0, 0);
    questionPage->setStretchFactor(1, 1);
    return questionPage;
}

QWidget* EditorWindow::formField(QuestionField field) const {
    if (field == QuestionField::kText) return questionText_;
    return questionFields_[static_cast<std::size_t>(field) - 1];
}

void EditorWindow::showCurrentQuestion() {
    const auto row = currentRow();
    form_->setEnabled(row.has_value());
    const bool before = std::exchange(updatingForm_, true);
    // A field keeps its text, and its cursor, when it already shows the document's.
    auto show = [](QLineEdit* field, const QString& text) {
        if (field->text() != text) field->setText(text);
    };
    if (row) {
        const authoring::Question& question = document_->question(*row);
        const QString text = qt(question.text);
        if (questionText_->toPlainText() != text) questionText_->setPlainText(text);
        for (std::size_t i = 0; i < questionFields_.size(); ++i)
            show(questionFields_[i],
                 qt(authoring::fieldOf(question, static_cast<QuestionField>(i + 1))));
        playButton_->setEnabled(rules::mediaKind(question.media) == rules::MediaKind::kSound);
    } else {
        questionText_->clear();
        for (QLineEdit* field : questionFields_) field->clear();
    }
    if (document_) {
        for (std::size_t i = 0; i < properties_.size(); ++i)
            show(properties_[i],
                 qt(authoring::fieldOf(document_->properties(), static_cast<PropertyField>(i))));
    }
    updatingForm_ = before;
    schedulePreview();
}

// --- media ----------------------------------------------------------------------------------

bool EditorWindow::attachMedia(const QString& path) {
    const auto row = currentRow();
    if (!row) return false;
    const QString title = tr("Attach a Picture or Sound");
    const auto prepared = prepareMedia(pathOf(path), pathOf(work_.path()));
    if (!prepared) {
        prompts_.warn(this, title, qt(prepared.error().what()));
        return false;
    }
    const auto copied =
        authoring::copyMedia(prepared->file, document_->mediaFolder(), prepared->name);
    if (!copied) {
        prompts_.warn(this, title, qt(copied.error().what()));
        return false;
    }
    push(document_->setQuestionField(*row, QuestionField::kMedia, *copied));
    if (prepared->converted)
        statusBar()->showMessage(
            tr("%1 was converted to %2 for the game").arg(QFileInfo(path).fileName(), qt(*copied)),
            5000);
    return true;
}

void EditorWindow::chooseMedia() {
    if (!currentRow()) return;
    const QString path =
        prompts_.openFile(this, tr("Attach a Picture or Sound"), mediaFileFilter());
    if (!path.isEmpty()) attachMedia(path);
}

void EditorWindow::removeMedia() {
    if (currentRow()) push(document_->setQuestionFields(rowsEdited(), QuestionField::kMedia, {}));
}

void EditorWindow::playSound() {
    const auto row = currentRow();
    if (!row) return;
    const std::string& media = document_->question(*row).media;
    const platform::StdFileSystem files;
    const auto path = rules::findMedia(files, document_->mediaFolder().string() + "/", media);
    if (rules::mediaKind(media) != rules::MediaKind::kSound || !path) {
        statusBar()->showMessage(tr("This question has no sound the game can find"), 5000);
        return;
    }
    sound_.SoundFile(*path);
    sound_.Play();
    if (const std::string problem = sound_.problem(); !problem.empty())
        statusBar()->showMessage(qt(problem), 8000);
}

}  // namespace vexlor::editor
