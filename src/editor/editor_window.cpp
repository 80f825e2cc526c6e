#include "editor/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "editor/preview.h"
#include "editor/question_model.h"
#include "editor/recovery.h"
#include "editor/sorted_questions.h"
#include "editor/window_helpers.h"
#include "modules/earlier_format.h"
#include "modules/module_converter.h"
#include "platform/files.h"
#include "platform/sample_modules.h"
#include "rules/refusals.h"
#include "text/i18n.h"
#include "ui/widgets.h"

namespace vexlor::editor {

namespace fs = std::filesystem;
namespace refusals = rules::refusals;
using authoring::PropertyField;
using authoring::QuestionField;

using namespace window;

namespace {

// Looked up where they are shown: the language is chosen after these are made.
constexpr const char* kProgram = QT_TR_NOOP("Vexlor Module Editor");
constexpr const char* kModuleFilter = QT_TR_NOOP("Vexlor Module (*.vxm)");
// Open takes a package as well: it is unpacked, then its module opened.
constexpr const char* kOpenFilter = QT_TR_NOOP("Vexlor Module or Package (*.vxm *.zip)");

// The platform's keys for a standard action, or the usual ones where the platform names none
// (a bare X server without a desktop names no key for Save As or Quit).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, QKeySequence usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) keys << usual;
    return keys;
}

}  // namespace

EditorWindow::EditorWindow(Prompts& prompts, platform::SoundPlayer& sound, QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts),
      sound_(sound),
      moduleTool_(modules::moduleToolFor(platform::executableFolder().string())),
      gameProgram_(gameProgramFor(platform::executableFolder().string())) {
    setWindowIcon(ui::applicationIcon());
    buildWidgets();
    buildActions();
    connect(&undo_, &QUndoStack::indexChanged, this, [this] { updateTitle(); });
    setDocument(std::nullopt);
    restoreLayout();
}

EditorWindow::~EditorWindow() {
    sound_.Stop();
}

void EditorWindow::buildWidgets() {
    // Splitters everywhere, so the author shares out a small screen as the work needs.
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("columns"));
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);
    auto* leftSplit = new QSplitter(Qt::Vertical);
    leftSplit->setObjectName(QStringLiteral("questionsAndProblems"));
    leftSplit->setChildrenCollapsible(false);
    splitter->addWidget(leftSplit);

    // The questions: a search box over the table.
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    search_ = new QLineEdit;
    search_->setPlaceholderText(tr("Search every text of the questions"));
    search_->setObjectName(QStringLiteral("search"));
    search_->setAccessibleName(tr("Search questions"));
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);
    leftLayout->addWidget(search_);
    questions_ = new QuestionTableModel(this);
    table_ = new QTableView;
    sorted_ = new SortedQuestions(questions_, this);
    table_->setModel(sorted_);
    table_->setAccessibleName(tr("Questions"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Rows of one height, never measured: 32767 of them scroll as fast as ten.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->setColumnWidth(QuestionTableModel::kNumber, 56);
    table_->setColumnWidth(QuestionTableModel::kText, 260);
    for (int column = QuestionTableModel::kRight; column <= QuestionTableModel::kWrong3; ++column)
        table_->setColumnWidth(column, 110);
    table_->setColumnWidth(QuestionTableModel::kPoints, 56);
    // A column is never narrower than its title, which other languages make longer.
    for (int column = 0; column < QuestionTableModel::kColumns; ++column)
        table_->setColumnWidth(column,
                               std::max(table_->columnWidth(column),
                                        table_->horizontalHeader()->sectionSizeHint(column)));
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setToolTip(
        tr("Click a column to sort the list by it. Sorting changes only this list: the module "
           "keeps its order."));
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, sorted_,
            &SortedQuestions::headerClicked);
    connect(sorted_, &SortedQuestions::orderChanged, this, &EditorWindow::orderChanged);
    searchNote_ = new QLabel;
    searchNote_->setObjectName(QStringLiteral("searchNote"));
    searchNote_->hide();
    leftLayout->addWidget(searchNote_);
    leftLayout->addWidget(table_);
    leftSplit->addWidget(left);
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const auto row = currentRow();
        questions_->setSearch(text);
        // The question shown stays so while it matches; else the first that does is shown.
        if (row && sorted_->viewRow(*row) >= 0)
            selectRow(*row);
        else if (sorted_->rowCount() > 0)
            selectRow(sorted_->documentRow(0));
        showCurrentQuestion();
        const bool none = questions_->rowCount() == 0 && document_ && document_->size() > 0;
        searchNote_->setText(none ? tr("No question matches \u201C%1\u201D.").arg(text)
                                  : QString());
        searchNote_->setVisible(none);
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showCurrentQuestion(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateActions(); });

    sides_ = new QTabWidget;
    sides_->setAccessibleName(tr("Question and module"));
    splitter->addWidget(sides_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({820, 580});

    sides_->addTab(buildQuestionPage(), tr("&Question"));
    previewTimer_ = new QTimer(this);
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(150);  // a pause in typing
    connect(previewTimer_, &QTimer::timeout, this, &EditorWindow::updatePreview);

    // The module: its properties and the records the game keeps in it.
    auto* modulePage = new QWidget;
    auto* moduleLayout = new QVBoxLayout(modulePage);
    auto* propertiesBox = new QGroupBox(tr("Properties"));
    auto* propertiesLayout = new QFormLayout(propertiesBox);
    const char* propertyLabels[] = {QT_TR_NOOP("&Title (required):"), QT_TR_NOOP("&Author:"),
                                    QT_TR_NOOP("&Company:"), QT_TR_NOOP("&Year:")};
    const char* propertyNames[] = {QT_TR_NOOP("Title"), QT_TR_NOOP("Author"), QT_TR_NOOP("Company"),
                                   QT_TR_NOOP("Year")};
    for (std::size_t i = 0; i < properties_.size(); ++i) {
        auto* field = new QLineEdit;
        field->setAccessibleName(tr(propertyNames[i]));
        field->installEventFilter(this);
        properties_[i] = field;
        const auto which = static_cast<PropertyField>(i);
        connect(field, &QLineEdit::textChanged, this, [this, which](const QString& text) {
            if (updatingForm_ || !document_) return;
            push(document_->setProperty(which, text.toStdString()), /*ofQuestions=*/false);
        });
        propertiesLayout->addRow(tr(propertyLabels[i]), field);
    }
    properties_[0]->setPlaceholderText(tr("The game shows it in its title bar"));
    moduleLayout->addWidget(propertiesBox);

    moduleLayout->addWidget(buildRecordsBox(), 1);
    sides_->addTab(modulePage, tr("&Module"));
    connect(sides_, &QTabWidget::currentChanged, this, [this](int page) {
        // The game may have written since: its records are read as they are shown.
        if (page == 1) updateRecords();
    });

    // What would go wrong in the game, kept current as the author types.
    problems_ = new ProblemListModel(this);
    problemList_ = new QListView;
    problemList_->setModel(problems_);
    problemList_->setUniformItemSizes(true);
    problemList_->setObjectName(QStringLiteral("problems"));
    problemList_->setAccessibleName(tr("Problems"));
    problemList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto goToProblem = [this](const QModelIndex& index) {
        if (!document_ || !index.isValid()) return;
        const authoring::Problem& problem = problems_->problem(index.row());
        if (problem.kind == authoring::Problem::Kind::kModule) {
            sides_->setCurrentIndex(1);
            properties_[0]->setFocus();
            return;
        }
        if (const auto row = document_->rowOf(problem.question)) {
            selectRow(*row);
            sides_->setCurrentIndex(0);
            // The cursor goes where the problem is mended.
            if (problem.field) formField(*problem.field)->setFocus(Qt::OtherFocusReason);
        }
    };
    connect(problemList_, &QListView::clicked, this, goToProblem);
    connect(problemList_, &QListView::activated, this, goToProblem);
    // Under the questions rather than across the window: the form and the preview keep the
    // window's whole height.
    auto* problemsBox = new QWidget;
    auto* problemsLayout = new QVBoxLayout(problemsBox);
    problemsLayout->setContentsMargins(0, 0, 0, 0);
    auto* problemsTitle = new QLabel(tr("Problems: none"));
    problemsTitle->setBuddy(problemList_);
    problemsLayout->addWidget(problemsTitle);
    problemsLayout->addWidget(problemList_);
    problemList_->setMinimumHeight(fontMetrics().lineSpacing() * 3);
    leftSplit->addWidget(problemsBox);
    leftSplit->setStretchFactor(0, 3);
    leftSplit->setStretchFactor(1, 1);
    connect(problems_, &QAbstractItemModel::modelReset, problemsTitle, [this, problemsTitle] {
        const int count = problems_->rowCount();
        problemsTitle->setText(count == 0 ? tr("Problems: none") : tr("Problems: %1").arg(count));
    });
    // Said where the author looks while the list is sorted: the game still asks in module order.
    sortNote_ = new QLabel(tr("Sorted list: the module keeps its order (click No. to go back)"));
    sortNote_->setObjectName(QStringLiteral("sortNote"));
    sortNote_->hide();
    statusBar()->addPermanentWidget(sortNote_);
}

QAction* EditorWindow::addAction(QMenu* menu, const QString& name, const QString& text,
                                 const QList<QKeySequence>& keys, void (EditorWindow::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcuts(keys);
    if (slot) connect(action, &QAction::triggered, this, slot);
    menu->addAction(action);
    return action;
}

void EditorWindow::buildActions() {
    using K = QKeySequence;
    QMenu* file = menuBar()->addMenu(tr("&File"));
    addAction(file, "new", tr("&New Module..."), standardKeys(K::New, K(Qt::CTRL | Qt::Key_N)),
              &EditorWindow::newTriggered);
    addAction(file, "open", tr("&Open..."), standardKeys(K::Open, K(Qt::CTRL | Qt::Key_O)),
              &EditorWindow::openTriggered);
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    file->addSeparator();
    addAction(file, "save", tr("&Save"), standardKeys(K::Save, K(Qt::CTRL | Qt::Key_S)),
              &EditorWindow::saveTriggered);
    addAction(file, "saveAs", tr("Save &As..."),
              standardKeys(K::SaveAs, K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
              &EditorWindow::saveAsTriggered);
    addAction(file, "revert", tr("Re&vert"), standardKeys(K::Refresh, K(Qt::Key_F5)),
              &EditorWindow::revertTriggered);
    file->addSeparator();
    addAction(file, "import", tr("&Import Questions..."), {K(Qt::CTRL | Qt::Key_I)},
              &EditorWindow::importTriggered);
    addAction(file, "export", tr("&Export Questions..."), {K(Qt::CTRL | Qt::Key_E)},
              &EditorWindow::exportTriggered);
    addAction(file, "exportPackage", tr("Export as a Pac&kage..."), {},
              &EditorWindow::exportPackageTriggered);
    file->addSeparator();
    addAction(file, "printPreview", tr("Print Previe&w..."), {},
              &EditorWindow::printPreviewTriggered);
    addAction(file, "print", tr("&Print..."), standardKeys(K::Print, K(Qt::CTRL | Qt::Key_P)),
              &EditorWindow::printTriggered);
    addAction(file, "exportPdf", tr("Export as P&DF..."), {}, &EditorWindow::exportPdfTriggered);
    file->addSeparator();
    auto* quit = addAction(file, "quit", tr("&Quit"),
                           standardKeys(K::Quit, K(Qt::CTRL | Qt::Key_Q)), nullptr);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = undo_.createUndoAction(this, tr("&Undo"));
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcuts(standardKeys(K::Undo, K(Qt::CTRL | Qt::Key_Z)));
    QAction* redo = undo_.createRedoAction(this, tr("&Redo"));
    redo->setObjectName(QStringLiteral("redo"));
    redo->setShortcuts(standardKeys(K::Redo, K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    addAction(edit, "copyQuestions", tr("&Copy Questions"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
              &EditorWindow::copyTriggered);
    addAction(edit, "pasteQuestions", tr("&Paste Questions"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
              &EditorWindow::pasteTriggered);
    edit->addSeparator();
    addAction(edit, "find", tr("&Find..."), standardKeys(K::Find, K(Qt::CTRL | Qt::Key_F)),
              &EditorWindow::findTriggered);
    addAction(edit, "moduleOrder", tr("List in &Module Order"), {}, nullptr);
    connect(action(QStringLiteral("moduleOrder")), &QAction::triggered, sorted_,
            &SortedQuestions::showModuleOrder);

    QMenu* question = menuBar()->addMenu(tr("&Question"));
    // Questions are typed one after the other: Ctrl+Enter in the form adds the next one.
    addAction(question, "addQuestion", tr("&Add Question"),
              {K(Qt::CTRL | Qt::SHIFT | Qt::Key_N), K(Qt::CTRL | Qt::Key_Return),
               K(Qt::CTRL | Qt::Key_Enter)},
              &EditorWindow::addQuestion);
    addAction(question, "insertQuestion", tr("&Insert Question"),
              {K(Qt::CTRL | Qt::SHIFT | Qt::Key_I)}, &EditorWindow::insertQuestion);
    addAction(question, "duplicate", tr("Dupli&cate"), {K(Qt::CTRL | Qt::Key_D)},
              &EditorWindow::duplicateQuestions);
    addAction(question, "delete", tr("&Delete"), standardKeys(K::Delete, K(Qt::Key_Delete)),
              &EditorWindow::deleteQuestions);
    addAction(question, "moveUp", tr("Move &Up"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)},
              &EditorWindow::moveUp);
    addAction(question, "moveDown", tr("Move Do&wn"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)},
              &EditorWindow::moveDown);
    question->addSeparator();
    addAction(question, "attachMedia", tr("Attach &Picture or Sound..."), {K(Qt::CTRL | Qt::Key_M)},
              &EditorWindow::chooseMedia);
    addAction(question, "removeMedia", tr("&Remove Picture or Sound"),
              {K(Qt::CTRL | Qt::SHIFT | Qt::Key_M)}, &EditorWindow::removeMedia);
    addAction(question, "playSound", tr("P&lay Sound"), {K(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
              &EditorWindow::playSound);
    question->addSeparator();
    auto* judged = addAction(question, "judged", tr("Show &Judged Preview"), {K(Qt::Key_F6)},
                             &EditorWindow::judgedTriggered);
    judged->setCheckable(true);
    connect(preview_, &QuestionPreview::judgedChanged, judged, &QAction::setChecked);

    QMenu* module = menuBar()->addMenu(tr("&Module"));
    addAction(module, "playInGame", tr("&Play in the Game"), {K(Qt::Key_F9)},
              &EditorWindow::playTriggered);
    module->addSeparator();
    addAction(module, "forgetAsked", tr("&Forget Asked Questions..."), {},
              &EditorWindow::forgetAsked);
    addAction(module, "deleteScore", tr("&Delete Top-Ten Entry..."), {},
              &EditorWindow::deleteScore);
    addAction(module, "clearScores", tr("&Clear Top Ten..."), {}, &EditorWindow::clearScores);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addAction(help, "about", tr("&About"), standardKeys(K::HelpContents, K(Qt::Key_F1)),
              &EditorWindow::aboutTriggered);
    rebuildRecentMenu();
}

QAction* EditorWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    // Undo and redo in a field are the window's: a field's own history would not know the
    // document's.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched != search_ &&
            (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)))
            return true;
        // A text field claims Ctrl+E, Ctrl+D and the like for its own line movements; the menu's
        // keys are the ones the author means, but for those that edit text in a field.
        if (isMenuKey(*key)) return true;
    }
    if (watched == form_ && (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto urls = drop->mimeData()->urls();
        const bool oneFile = urls.size() == 1 && urls.front().isLocalFile();
        if (!oneFile || !currentRow()) return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) attachMedia(urls.front().toLocalFile());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool EditorWindow::isMenuKey(const QKeyEvent& key) const {
    static constexpr QKeySequence::StandardKey kTextKeys[] = {QKeySequence::Copy,
                                                              QKeySequence::Cut,
                                                              QKeySequence::Paste,
                                                              QKeySequence::SelectAll,
                                                              QKeySequence::Delete,
                                                              QKeySequence::Backspace,
                                                              QKeySequence::DeleteEndOfWord,
                                                              QKeySequence::DeleteStartOfWord};
    for (QKeySequence::StandardKey text : kTextKeys)
        if (key.matches(text)) return false;
    // Typing, moving and selecting with plain or shifted keys stay the field's.
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const bool functionKey = key.key() >= Qt::Key_F1 && key.key() <= Qt::Key_F35;
    if (modifiers == Qt::NoModifier && !functionKey) return false;
    const QKeySequence pressed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(key.key())));
    for (const QAction* action : findChildren<QAction*>())
        if (action->isEnabled() && action->shortcuts().contains(pressed)) return true;
    return false;
}

// --- the document ---------------------------------------------------------------------------

void EditorWindow::setDocument(std::optional<authoring::Document> opened,
                               std::unique_ptr<QTemporaryDir> converted, fs::path earlier) {
    sound_.Stop();
    undo_.clear();
    questions_->setDocument(nullptr);
    problems_->setDocument(nullptr);
    document_ = std::move(opened);
    converted_ = std::move(converted);  // the previous copy goes once its file is closed
    earlier_ = std::move(earlier);
    recordsUnsaved_ = false;
    questions_->setDocument(document());
    problems_->setDocument(document());
    {
        const bool before = std::exchange(updatingForm_, true);
        for (std::size_t i = 0; i < properties_.size(); ++i)
            properties_[i]->setText(
                document_
                    ? qt(authoring::fieldOf(document_->properties(), static_cast<PropertyField>(i)))
                    : QString());
        updatingForm_ = before;
    }
    for (QLineEdit* field : properties_) field->setEnabled(document_.has_value());
    if (document_ && document_->size() > 0) selectRow(0);
    showCurrentQuestion();
    updateRecords();
    updateTitle();
    updateActions();
}

fs::path EditorWindow::modulePath() const {
    if (!earlier_.empty()) return earlier_;
    return document_ ? document_->path() : fs::path();
}

bool EditorWindow::unsaved() const {
    return document_ && (document_->modified() || recordsUnsaved_);
}

bool EditorWindow::mayDiscardChanges() {
    if (!unsaved()) return true;
    switch (prompts_.askUnsaved(this, qt(modulePath().filename().string()))) {
        case Prompts::Unsaved::kSave:
            return save();
        case Prompts::Unsaved::kDiscard:
            return true;
        case Prompts::Unsaved::kCancel:
            return false;
    }
    return false;
}

bool EditorWindow::openModule(const QString& path) {
    if (!mayDiscardChanges()) return false;
    const std::string file = path.toStdString();
    // Refused as the game refuses it, with the game's words.
    if (const Status reachable = modules::checkReachable(file); !reachable) {
        prompts_.warn(this, i18n::tx(refusals::kOpenTitle),
                      gameMessage(refusals::gameUnreachable(pathOf(path).filename().string(),
                                                            reachable.error().message())));
        return false;
    }
    if (modules::isEarlierModule(file)) return openEarlier(path);
    auto opened = authoring::Document::open(pathOf(path));
    if (!opened) {
        const QString name = QFileInfo(path).fileName();
        prompts_.warn(this, i18n::tx(refusals::kOpenTitle),
                      gameMessage(refusals::gameRefusal(name.toStdString(), Status(opened))) +
                          QStringLiteral("\n\n") + qt(opened.error().message()));
        return false;
    }
    setDocument(std::move(*opened));
    rememberRecent(path);
    statusBar()->showMessage(
        tr("Opened %1: %2").arg(QFileInfo(path).fileName(), questions(document_->size())), 5000);
    return true;
}

bool EditorWindow::openEarlier(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    auto cannot = [&](const QString& why) {
        prompts_.warn(
            this, i18n::tx(refusals::kOpenTitle),
            name + QLatin1Char('\n') + tr("This module could not be converted: %1").arg(why));
        return false;
    };
    // Converted into a folder of the window's own: the module's folder may be read-only, and
    // opening writes nothing there.
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) return cannot(folder->errorString());
    const fs::path converted = pathOf(folder->path()) / pathOf(path).filename();
    Status done = Status::success();
    {
        const Busy busy(statusBar(),
                        tr("Converting %1 from the earlier module format...").arg(name));
        done = modules::ChildModuleConverter(moduleTool_)
                   .convertTo(path.toStdString(), converted.string());
    }
    if (!done) {
        if (done.error().kind() != ErrorKind::kNotAModule)
            return cannot(qt(done.error().message()));
        // One the game would not take as a module is refused with the game's words.
        prompts_.warn(this, i18n::tx(refusals::kOpenTitle),
                      gameMessage(refusals::gameRefusal(name.toStdString(), done)) +
                          QStringLiteral("\n\n") + qt(done.error().message()));
        return false;
    }
    auto opened = authoring::Document::open(converted);
    if (!opened) return cannot(qt(opened.error().message()));
    const fs::path original = platform::absolutePath(pathOf(path));
    // Its pictures and sounds lie beside the original, not beside the copy.
    opened->setMediaFolder(original.parent_path());
    setDocument(std::move(*opened), std::move(folder), original);
    rememberRecent(path);
    statusBar()->showMessage(
        tr("Opened %1 (earlier format): %2").arg(name, questions(document_->size())), 5000);
    return true;
}

bool EditorWindow::newModule(const QString& path, const QString& title) {
    if (document_ && platform::absolutePath(modulePath()) == platform::absolutePath(pathOf(path))) {
        prompts_.warn(
            this, tr("New Module"),
            tr("%1 is the module open here: choose another name.").arg(QFileInfo(path).fileName()));
        return false;
    }
    authoring::Properties properties;
    properties.title = title.trimmed().toStdString();
    auto made = authoring::Document::create(pathOf(path), properties, /*replace=*/true);
    if (!made) {
        prompts_.warn(this, tr("New Module"), qt(made.error().what()));
        return false;
    }
    setDocument(std::move(*made));
    rememberRecent(path);
    return true;
}

bool EditorWindow::titleMissing(const QString& title) {
    if (!QString::fromStdString(document_->properties().title).trimmed().isEmpty()) return false;
    prompts_.warn(this, title,
                  tr("The module needs a title: the game refuses to open a module without "
                     "one. Type it on the Module page."));
    sides_->setCurrentIndex(1);
    properties_[0]->setFocus();
    return true;
}

bool EditorWindow::save() {
    if (!document_) return false;
    if (titleMissing(tr("Save"))) return false;
    if (!earlier_.empty()) return saveEarlier();
    const QString name = qt(document_->path().filename().string());
    auto saved = document_->save();
    if (!saved) {
        if (saved.error().kind() == ErrorKind::kInUse) {
            prompts_.warn(this, tr("Save"),
                          tr("%1 is in use: another program (the game, perhaps, recording a "
                             "question asked or a high score) is writing to it.\n\nNothing was "
                             "saved and your changes are kept. Save again in a moment.")
                              .arg(name));
        } else if (saved.error().kind() == ErrorKind::kChanged) {
            if (prompts_.confirm(
                    this, tr("Save"),
                    tr("Another program changed the questions or properties of %1 since it was "
                       "opened here: saving now would put back what it wrote.\n\nNothing was "
                       "saved and your changes are kept. Reload the module as the other program "
                       "left it and apply your changes to it again? You can then check them and "
                       "save.")
                        .arg(name)))
                reloadKeepingChanges();
        } else {
            prompts_.warn(this, tr("Save"),
                          qt(saved.error().what()) + tr("\n\nYour changes are kept."));
        }
        return false;
    }
    undo_.setClean();
    statusBar()->showMessage(
        saved->problems == 0
            ? tr("Saved %1.").arg(name)
            : QString::fromUtf8(
                  i18n::txn("Saved %1, with %2 problem the game will have: see Problems.",
                            "Saved %1, with %2 problems the game will have: see Problems.",
                            saved->problems))
                  .arg(name, QString::number(saved->problems)));
    updateTitle();
    updateRecords();
    return true;
}

bool EditorWindow::saveEarlier() {
    const QString name = qt(earlier_.filename().string());
    const QString keptAs = qt(modules::backupPathFor(earlier_).filename().string());
    if (!prompts_.confirm(this, tr("Save"),
                          tr("%1 is in the earlier module format. Saving converts it to the "
                             "current format under its own name; the original file is kept "
                             "beside it as %2.\n\nConvert and save it now?")
                              .arg(name, keptAs)))
        return false;
    auto cannot = [&](const Error& why, const QString& after) {
        prompts_.warn(this, tr("Save"),
                      name + QLatin1Char('\n') +
                          tr("This module could not be converted: %1").arg(qt(why.message())) +
                          after + tr("\n\nYour changes are kept."));
        return false;
    };
    // Refused as the game refuses to convert it there.
    if (const auto blocked = modules::conversionBlocked(earlier_)) return cannot(*blocked, {});
    const auto kept = modules::keepOriginal(earlier_);
    if (!kept) return cannot(kept.error(), {});
    auto saved = document_->saveAs(earlier_, /*replace=*/true);
    if (!saved) {
        // The backup goes only while the original still stands in its place.
        if (modules::isEarlierModule(earlier_.string())) {
            std::error_code ignored;
            fs::remove(*kept, ignored);
            return cannot(saved.error(), {});
        }
        return cannot(saved.error(),
                      tr("\nThe original is kept as %1.").arg(qt(kept->filename().string())));
    }
    // The document is now the module at the original's path: the copy is no longer needed.
    earlier_.clear();
    converted_.reset();
    recordsUnsaved_ = false;
    undo_.setClean();
    rememberRecent(qt(document_->path().string()));
    statusBar()->showMessage(tr("Saved %1 in the current format; the original is kept as %2.")
                                 .arg(name, qt(kept->filename().string())));
    updateTitle();
    updateRecords();
    problems_->refresh();
    schedulePreview();
    return true;
}

bool EditorWindow::saveAs(const QString& path) {
    if (!document_) return false;
    if (platform::absolutePath(pathOf(path)) == platform::absolutePath(modulePath())) return save();
    if (titleMissing(tr("Save As"))) return false;
    auto saved = document_->saveAs(pathOf(path), /*replace=*/true);
    if (!saved) {
        prompts_.warn(this, tr("Save As"),
                      qt(saved.error().what()) + tr("\n\nYour changes are kept."));
        return false;
    }
    // A converted module is now that new file; the original stays as it was.
    earlier_.clear();
    converted_.reset();
    recordsUnsaved_ = false;
    undo_.setClean();
    rememberRecent(path);
    statusBar()->showMessage(tr("Saved as %1").arg(QFileInfo(path).fileName()) +
                             mediaCopiedNote(*saved));
    updateTitle();
    updateRecords();
    // Media names are looked up beside the new file now.
    document_->recheckAll();
    problems_->refresh();
    schedulePreview();
    return true;
}

void EditorWindow::push(Result<authoring::EditPtr> edit, bool ofQuestions) {
    if (!edit) {
        prompts_.warn(this, windowTitle(), qt(edit.error().what()));
        return;
    }
    if (!*edit) return;  // nothing would change
    undo_.push(new EditCommand(*document_, std::move(*edit), ofQuestions,
                               [this](std::optional<std::size_t> row) { documentChanged(row); }));
}

void EditorWindow::documentChanged(std::optional<std::size_t> focusRow) {
    const auto before = currentRow();
    questions_->refresh();
    // The problem list is gathered over every question: it follows once typing pauses.
    problemsStale_ = true;
    if (document_ && focusRow && *focusRow < document_->size()) {
        if (currentRow() != focusRow) selectRow(*focusRow);
    } else if (before && currentRow() != before) {
        selectRow(*before);
    } else if (!focusRow && document_) {
        // A property undone: the page that shows it comes up.
        sides_->setCurrentIndex(1);
    }
    showCurrentQuestion();
    updateTitle();
    updateActions();
}

std::optional<std::size_t> EditorWindow::currentRow() const {
    if (!document_) return std::nullopt;
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (!current.isValid() || current.row() >= sorted_->rowCount()) return std::nullopt;
    const std::size_t row = sorted_->documentRow(current.row());
    if (row >= document_->size()) return std::nullopt;
    return row;
}

void EditorWindow::selectRow(std::size_t row) {
    int shown = sorted_->viewRow(row);
    if (shown < 0 && !search_->text().isEmpty()) {
        search_->clear();  // the question asked for is one the search hides
        shown = sorted_->viewRow(row);
    }
    if (shown < 0) return;
    const QModelIndex index = sorted_->index(shown, QuestionTableModel::kText);
    table_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(index);
}

std::vector<std::size_t> EditorWindow::selectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.push_back(sorted_->documentRow(index.row()));
    if (rows.empty())
        if (const auto row = currentRow()) rows.push_back(*row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::size_t> EditorWindow::rowsEdited() const {
    std::vector<std::size_t> rows;
    const auto current = currentRow();
    if (!current) return rows;
    rows.push_back(*current);
    for (std::size_t row : selectedRows())
        if (row != *current) rows.push_back(row);
    return rows;
}

void EditorWindow::orderChanged() {
    QHeaderView* header = table_->horizontalHeader();
    header->setSortIndicatorShown(sorted_->sorted());
    if (sorted_->sorted()) header->setSortIndicator(sorted_->sortColumn(), sorted_->sortOrder());
    sortNote_->setVisible(sorted_->sorted());
    if (const auto row = currentRow()) table_->scrollTo(sorted_->index(sorted_->viewRow(*row), 0));
    updateActions();
}

void EditorWindow::schedulePreview() {
    previewTimer_->start();
}

void EditorWindow::updatePreview() {
    previewTimer_->stop();
    if (std::exchange(problemsStale_, false)) problems_->refresh();
    const auto row = currentRow();
    if (!row) {
        preview_->clear();
        return;
    }
    preview_->showQuestion(document_->question(*row), document_->mediaFolder(),
                           static_cast<int>(*row) + 1);
    if (!preview_->problem().isEmpty())
        statusBar()->showMessage(tr("Preview: %1").arg(preview_->problem()), 5000);
}

void EditorWindow::updateTitle() {
    if (recovery_) recovery_->update();
    if (!document_) {
        setWindowTitle(tr(kProgram));
        setWindowModified(false);
        return;
    }
    const QString state = !earlier_.empty()       ? tr(" (earlier format)")
                          : document_->readOnly() ? tr(" (read-only)")
                                                  : QString();
    setWindowTitle(QStringLiteral("%1[*]%2 - %3")
                       .arg(qt(modulePath().filename().string()), state, tr(kProgram)));
    setWindowModified(unsaved());
}

void EditorWindow::updateActions() {
    const bool open = document_.has_value();
    const bool selected = open && currentRow().has_value();
    for (const char* name :
         {"save", "saveAs", "revert", "import", "export", "exportPackage", "pasteQuestions",
          "addQuestion", "insertQuestion", "forgetAsked", "clearScores", "find", "printPreview",
          "print", "exportPdf", "playInGame"})
        action(QLatin1String(name))->setEnabled(open);
    for (const char* name : {"copyQuestions", "duplicate", "delete", "moveUp", "moveDown",
                             "attachMedia", "removeMedia", "playSound"})
        action(QLatin1String(name))->setEnabled(selected);
    // Moving rows of a sorted list would not show where they go in the module.
    for (const char* name : {"moveUp", "moveDown"})
        action(QLatin1String(name))->setEnabled(selected && !sorted_->sorted());
    action(QStringLiteral("moduleOrder"))->setEnabled(sorted_->sorted());
    action(QStringLiteral("deleteScore"))->setEnabled(open && scores_->currentRow() >= 0);
    const std::size_t together = selected ? rowsEdited().size() : 0;
    bulkNote_->setText(together > 1 ? tr("applies to all %1 selected questions").arg(together)
                                    : QString());
}

void EditorWindow::restoreLayout() {
    const QSettings settings;
    if (!restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray())) {
        // A school laptop's 1280 x 720 less its panels: the window and its frame fit it.
        const QSize room = screen()->availableGeometry().size() - QSize(16, 48);
        resize(std::min(1400, room.width()), std::min(900, room.height()));
    }
    for (QSplitter* splitter : findChildren<QSplitter*>())
        splitter->restoreState(
            settings.value(QStringLiteral("window/") + splitter->objectName()).toByteArray());
}

void EditorWindow::saveLayout() const {
    QSettings settings;
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    for (const QSplitter* splitter : findChildren<QSplitter*>())
        settings.setValue(QStringLiteral("window/") + splitter->objectName(),
                          splitter->saveState());
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (!mayDiscardChanges()) {
        event->ignore();
        return;
    }
    saveLayout();
    sound_.Stop();
    if (recovery_) recovery_->closed();
    event->accept();
}

// --- questions ------------------------------------------------------------------------------

void EditorWindow::addQuestion() {
    if (!document_) return;
    push(document_->addQuestion(document_->size()));
    questionText_->setFocus();
}

void EditorWindow::insertQuestion() {
    if (!document_) return;
    const auto row = currentRow();
    push(document_->addQuestion(row ? *row + 1 : document_->size()));
    questionText_->setFocus();
}

void EditorWindow::duplicateQuestions() {
    if (document_) push(document_->duplicateQuestions(selectedRows()));
}

void EditorWindow::deleteQuestions() {
    if (!document_) return;
    const auto rows = selectedRows();
    if (rows.empty()) return;
    push(document_->deleteQuestions(rows));
}

void EditorWindow::moveUp() {
    if (document_) push(document_->moveQuestions(selectedRows(), false));
}

void EditorWindow::moveDown() {
    if (document_) push(document_->moveQuestions(selectedRows(), true));
}

// --- menu actions ---------------------------------------------------------------------------

void EditorWindow::newTriggered() {
    if (!mayDiscardChanges()) return;
    QString path = prompts_.saveFile(this, tr("New Module"), tr(kModuleFilter));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".vxm"), Qt::CaseInsensitive)) path += QStringLiteral(".vxm");
    for (;;) {
        const auto title = prompts_.text(this, tr("New Module"),
                                         tr("Title of the module (the game shows it in its title "
                                            "bar):"));
        if (!title) return;
        if (!title->trimmed().isEmpty()) {
            newModule(path, *title);
            return;
        }
        prompts_.warn(this, tr("New Module"), tr("A module needs a title."));
    }
}

void EditorWindow::openTriggered() {
    if (!mayDiscardChanges()) return;
    const QString path = prompts_.openFile(this, i18n::tx(refusals::kOpenTitle), tr(kOpenFilter));
    if (path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive)) {
        const QString into =
            prompts_.folder(this, tr("Unpack %1 Into").arg(QFileInfo(path).fileName()));
        if (!into.isEmpty()) openPackage(path, into);
        return;
    }
    if (!path.isEmpty()) openModule(path);
}

void EditorWindow::saveAsTriggered() {
    if (!document_) return;
    QString path = prompts_.saveFile(this, tr("Save Module As"), tr(kModuleFilter));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".vxm"), Qt::CaseInsensitive)) path += QStringLiteral(".vxm");
    saveAs(path);
}

void EditorWindow::revertTriggered() {
    if (!document_) return;
    if (unsaved() && !prompts_.confirm(this, tr("Revert"),
                                       tr("Drop every change made since the module was last "
                                          "saved?")))
        return;
    // A converted module is read again from its original, records included.
    if (!earlier_.empty()) {
        openEarlier(qt(earlier_.string()));
        return;
    }
    const Status reverted = document_->revert();
    if (!reverted) {
        prompts_.warn(this, tr("Revert"), qt(reverted.error().what()));
        return;
    }
    documentReplaced();
}

void EditorWindow::reloadKeepingChanges() {
    auto reloaded = document_->reload();
    if (!reloaded) {
        prompts_.warn(this, tr("Reload"), qt(reloaded.error().what()));
        return;
    }
    documentReplaced();
    if (reloaded->reapply) push(std::move(reloaded->reapply), true);
    statusBar()->showMessage(
        reloaded->conflicts == 0
            ? tr("Reloaded, with your changes applied again: save to keep them.")
            : QString::fromUtf8(
                  i18n::txn("Reloaded, with your changes applied again; in %1 place the other "
                            "program changed the same thing, and yours was kept. Undo shows the "
                            "module as it left it.",
                            "Reloaded, with your changes applied again; in %1 places the other "
                            "program changed the same thing, and yours was kept. Undo shows the "
                            "module as it left it.",
                            reloaded->conflicts))
                  .arg(QString::number(reloaded->conflicts)));
}

// The document was read again: the edits before no longer apply to it.
void EditorWindow::documentReplaced() {
    const auto row = currentRow();
    undo_.clear();
    questions_->setDocument(document());
    problems_->refresh();
    if (document_->size() > 0) selectRow(std::min(row.value_or(0), document_->size() - 1));
    showCurrentQuestion();
    updateRecords();
    updateTitle();
    updateActions();
}

void EditorWindow::findTriggered() {
    search_->setFocus();
    search_->selectAll();
}

void EditorWindow::judgedTriggered() {
    preview_->setJudged(action(QStringLiteral("judged"))->isChecked());
}

void EditorWindow::aboutTriggered() {
    QMessageBox::about(this, tr("About %1").arg(tr(kProgram)),
                       tr("%1 %2\n\nMakes and mends question modules for Vexlor Player. The "
                          "preview is the game's own window.")
                           .arg(tr(kProgram), QStringLiteral(VEXLOR_VERSION)));
}

}  // namespace vexlor::editor
