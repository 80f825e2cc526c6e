#pragma once

#include <QMainWindow>
#include <QTemporaryDir>
#include <QUndoStack>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "authoring/document.h"
#include "authoring/recovery.h"
#include "editor/game_launch.h"
#include "editor/print.h"
#include "editor/prompts.h"
#include "platform/sound_player.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;
class QTimer;

namespace vexlor::editor {

class ProblemListModel;
class QuestionPreview;
class QuestionTableModel;
class Recovery;
class SortedQuestions;

/// The module editor's window: the questions of one module in a table, the selected one in a
/// form and in the game's own window, the module's properties and records, and the problems the
/// game would have with it. Every change goes through the document's edits on an undo stack.
class EditorWindow : public QMainWindow {
    Q_OBJECT
  public:
    EditorWindow(Prompts& prompts, platform::SoundPlayer& sound, QWidget* parent = nullptr);
    ~EditorWindow() override;

    /// The module tool that converts modules in the earlier format; by default the one
    /// installed with the editor.
    void setModuleTool(std::string tool) { moduleTool_ = std::move(tool); }
    /// The game Play in the Game starts, and how; by default the game installed with the
    /// editor, started detached.
    void setGame(std::string program, ProgramLauncher launcher) {
        gameProgram_ = std::move(program);
        gameLauncher_ = std::move(launcher);
    }

    // What the menu's actions do, callable without the dialogs that choose a file.
    /// Opens a module, refused with the game's messages; asks first about unsaved changes. A
    /// module in the earlier format is converted into a private temporary folder and edited
    /// there; its own file and folder stay untouched until Save.
    bool openModule(const QString& path);
    /// Makes a new module with a title and opens it.
    bool newModule(const QString& path, const QString& title);
    bool save();
    bool saveAs(const QString& path);
    /// Attaches a picture or sound to the selected question, converted or refused as the game
    /// needs it.
    bool attachMedia(const QString& path);
    /// Reads a question file and adds its questions once the author has seen what is skipped.
    bool importFile(const QString& path);
    /// Adds questions copied from a spreadsheet after the selected one.
    /// Rows copied from this editor's own table (`ownCopy`) are pasted as they were, drafts
    /// included; rows from elsewhere are held to the rules an import is held to.
    bool pasteRows(QString text, bool ownCopy = false);
    /// With `spreadsheet`, CSV for spreadsheets, its separator the one the user's locale expects.
    bool exportFile(const QString& path, authoring::ImportFormat format, bool spreadsheet = false);
    /// Starts the game with this module, once unsaved changes are saved (the author is asked).
    bool playInGame();
    /// Writes the question sheet and answer key as a PDF file.
    bool exportPdf(const QString& path, const PrintOptions& options);
    /// Writes the module as saved and the media it uses into the zip `path`.
    bool exportPackage(const QString& path);
    /// Unpacks the package into a new folder (named after it) in `into`, and opens its module.
    bool openPackage(const QString& path, const QString& into);

    authoring::Document* document() { return document_ ? &*document_ : nullptr; }
    QUndoStack& undoStack() { return undo_; }
    QuestionPreview& preview() { return *preview_; }
    /// The document row of the selected question, if one is.
    std::optional<std::size_t> currentRow() const;
    void selectRow(std::size_t row);
    /// The field of the form for a question field (the question's text is a QPlainTextEdit).
    QWidget* formField(authoring::QuestionField field) const;
    QLineEdit* propertyField(authoring::PropertyField field) const {
        return properties_[static_cast<std::size_t>(field)];
    }
    QAction* action(const QString& objectName) const;
    /// Keeps recovery copies of unsaved edits in `folder` from now on.
    void keepRecovery(const std::filesystem::path& folder);
    Recovery* recovery() { return recovery_; }
    /// Opens the module a recovery copy is of, with the copy's edits as unsaved changes that
    /// the copy in `slot` keeps from then on. False, the copy left in place, when it cannot.
    bool recover(const authoring::RecoveryCopy& copy, authoring::RecoverySlot slot);
    /// Draws the preview and the problem list now rather than once typing pauses.
    void refreshPreview() { updatePreview(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWidgets();
    /// The Question page: the form of the selected question over the game's window showing it.
    QWidget* buildQuestionPage();
    /// The records the game keeps, on the Module page.
    QWidget* buildRecordsBox();
    void buildActions();
    /// Whether a key pressed in a text field is one of the menu's, to be given to the menu.
    bool isMenuKey(const QKeyEvent& key) const;
    QAction* addAction(QMenu* menu, const QString& name, const QString& text,
                       const QList<QKeySequence>& keys, void (EditorWindow::*slot)());

    /// Shows `opened`; `converted` is the temporary folder it lies in when it was converted from
    /// the module `earlier` in the earlier format.
    void setDocument(std::optional<authoring::Document> opened,
                     std::unique_ptr<QTemporaryDir> converted = {},
                     std::filesystem::path earlier = {});
    /// Converts a module in the earlier format and shows it; the editor stays as it was when
    /// that fails.
    bool openEarlier(const QString& path);
    /// Save for a module in the earlier format: once the author agrees, the module is written
    /// in the current format under its own name and the original is kept beside it.
    bool saveEarlier();
    /// The file the author opened: the original of a converted module, else the document's.
    std::filesystem::path modulePath() const;
    bool unsaved() const;
    /// Refuses a save without a title, showing where to type it.
    bool titleMissing(const QString& title);
    /// After an immediate write to the records: a converted module keeps them only once saved.
    void recordsWritten();
    /// Whether unsaved changes may go: saved or dropped as the author says.
    bool mayDiscardChanges();
    /// Applies an edit through the undo stack; tells the author when it is not allowed.
    void push(Result<authoring::EditPtr> edit, bool ofQuestions = true);
    /// After an edit or its undo: every view reads the document again, and the edited
    /// question, if any, is selected.
    void documentChanged(std::optional<std::size_t> focusRow);
    /// After a save refused because another program changed the module: reads it again and
    /// applies the edits made here to it.
    void reloadKeepingChanges();
    /// Shows the document after it was read again (revert, reload), with no undo history.
    void documentReplaced();
    void showCurrentQuestion();
    /// After the list was sorted or put back in module order.
    void orderChanged();
    void schedulePreview();
    void updatePreview();
    void updateTitle();
    void updateRecords();
    void updateActions();
    /// The window's size and splitters as the author left them, or a size that fits the screen.
    void restoreLayout();
    void saveLayout() const;
    void rememberRecent(const QString& path);
    void rebuildRecentMenu();
    std::vector<std::size_t> selectedRows() const;
    /// What Save As did with the media, for the status bar: "." when there were none.
    static QString mediaCopiedNote(const authoring::SaveReport& saved);
    /// What Points and Remove change: the shown question first, then the others selected.
    std::vector<std::size_t> rowsEdited() const;
    bool addReviewed(const authoring::ImportResult& result, const QString& source, bool paste);

    // Menu actions.
    void newTriggered();
    void openTriggered();
    void saveTriggered() { save(); }
    void saveAsTriggered();
    void revertTriggered();
    void importTriggered();
    void exportTriggered();
    void exportPackageTriggered();
    void pasteTriggered();
    void copyTriggered();
    /// Adds an empty question at the end, where questions are typed one after the other.
    void addQuestion();
    /// Adds an empty question after the selected one.
    void insertQuestion();
    void duplicateQuestions();
    void deleteQuestions();
    void moveUp();
    void moveDown();
    void chooseMedia();
    void removeMedia();
    void playSound();
    void forgetAsked();
    void deleteScore();
    void clearScores();
    void findTriggered();
    void judgedTriggered();
    void aboutTriggered();
    void printTriggered();
    void printPreviewTriggered();
    void exportPdfTriggered();
    void playTriggered() { playInGame(); }
    /// What is printed: the module as edited, not as last saved.
    PrintSource printSource() const;

    Prompts& prompts_;
    platform::SoundPlayer& sound_;
    std::string moduleTool_;
    std::string gameProgram_;
    ProgramLauncher gameLauncher_ = startDetached;
    PrintOptions printOptions_;  // as last chosen, offered again
    // Declared before the document so the folder goes after the file in it is closed.
    std::unique_ptr<QTemporaryDir> converted_;
    std::filesystem::path earlier_;  // the original, while the document is a converted copy
    bool recordsUnsaved_ = false;    // asked list or top ten changed in the converted copy
    std::optional<authoring::Document> document_;
    QUndoStack undo_;
    QTemporaryDir work_;  // converted pictures before they are copied beside the module

    QuestionTableModel* questions_ = nullptr;
    SortedQuestions* sorted_ = nullptr;  // the table's view of questions_
    QLabel* sortNote_ = nullptr;
    QLabel* searchNote_ = nullptr;
    ProblemListModel* problems_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTabWidget* sides_ = nullptr;
    QWidget* form_ = nullptr;
    QPlainTextEdit* questionText_ = nullptr;
    std::array<QLineEdit*, 6> questionFields_{};  // right, wrong 1-3, points, media
    QPushButton* playButton_ = nullptr;
    QLabel* bulkNote_ = nullptr;  // says Points applies to every selected question
    std::array<QLineEdit*, 4> properties_{};
    QLabel* askedLabel_ = nullptr;
    QListWidget* scores_ = nullptr;
    QListView* problemList_ = nullptr;
    QuestionPreview* preview_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    Recovery* recovery_ = nullptr;
    std::vector<authoring::ScoreRecord> shownScores_;
    bool updatingForm_ = false;
    bool problemsStale_ = false;
};

}  // namespace vexlor::editor
