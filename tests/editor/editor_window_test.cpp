// The editor's window offscreen, as an author uses it: a sample module opened, a question typed
// into the form, media attached, saved and read back by the game; and the files the game
// refuses refused here with the game's words.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "app/master_form.h"
#include "authoring/import.h"
#include "editor/editor_app.h"
#include "editor/editor_window.h"
#include "editor/preview.h"
#include "modules/earlier_format.h"
#include "modules/module_store.h"
#include "platform/child_process.h"
#include "support/fakes.h"
#include "support/hostile_modules.h"
#include "support/jet_writer.h"
#include "support/module_files.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;
using authoring::QuestionField;

/// Answers every question at once and remembers the warnings.
class FakePrompts final : public Prompts {
  public:
    void warn(QWidget*, const QString& title, const QString& text) override {
        warnings.push_back(title + QStringLiteral(": ") + text);
    }
    bool confirm(QWidget*, const QString&, const QString& text) override {
        confirmations.push_back(text);
        return confirmAnswer;
    }
    Unsaved askUnsaved(QWidget*, const QString&) override {
        ++unsavedAsked;
        return unsavedAnswer;
    }
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&, QString* chosen) override {
        if (chosen) *chosen = filter;
        return savePath;
    }
    std::optional<QString> text(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> choose(QWidget*, const QString&, const QString&,
                                  const QStringList&) override {
        return std::nullopt;
    }
    bool reviewImport(QWidget*, const QString&, const QStringList& skipped) override {
        reviewed = skipped;
        return true;
    }
    QString lastWarning() const { return warnings.empty() ? QString() : warnings.back(); }

    std::vector<QString> warnings;
    std::vector<QString> confirmations;
    bool confirmAnswer = true;
    Unsaved unsavedAnswer = Unsaved::kDiscard;
    int unsavedAsked = 0;
    QString savePath;  ///< what the save dialog chooses, with `filter`
    QString filter = QStringLiteral("CSV (*.csv)");
    QStringList reviewed;
};

class EditorWindowTest : public ::testing::Test, private ui::WithApplication {
  protected:
    EditorWindowTest() {
        // Recent files go to the test's own settings, not the user's.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.file("settings")));
        QCoreApplication::setOrganizationName(QStringLiteral("vexlor-tests"));
    }

    std::string sampleCopy() {
        const fs::path copy = folder.path() / "General Knowledge.vxm";
        fs::copy_file(VEXLOR_SAMPLE_MODULE, copy, fs::copy_options::overwrite_existing);
        return copy.string();
    }
    void type(QuestionField field, const QString& text) {
        QWidget* widget = window.formField(field);
        if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
            plain->setPlainText(text);
        else
            qobject_cast<QLineEdit*>(widget)->setText(text);
    }
    QString shown(QuestionField field) {
        QWidget* widget = window.formField(field);
        if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->toPlainText();
        return qobject_cast<QLineEdit*>(widget)->text();
    }
    std::string pngFile(const std::string& name, QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(QString::fromStdString(folder.file(name)), "PNG");
        return folder.file(name);
    }

    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    FakePrompts prompts;
    EditorWindow window{prompts, sound};
};

// Modules in the earlier format, written by the fixture writer.
class EarlierModuleTest : public EditorWindowTest {
  protected:
    static std::set<std::string> namesIn(const fs::path& where) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(where))
            names.insert(entry.path().filename().string());
        return names;
    }
    std::string jetModule(const fs::path& path, std::vector<testing::jet::Table> tables,
                          const testing::jet::Options& options = {}) {
        testing::jet::writeJetFile(path.string(), tables, options);
        return path.string();
    }
    std::string jetModule(const std::string& name) {
        return jetModule(folder.path() / name, testing::jet::sampleModuleTables(3));
    }
    bool open(const std::string& path) {
        const bool opened = window.openModule(QString::fromStdString(path));
        if (!opened) ADD_FAILURE() << prompts.lastWarning().toStdString();
        return opened;
    }
};

// A module in the earlier format opens with its content, named as the original and said to be
// in that format, converted elsewhere: its folder gets nothing, and its media are looked up
// there. Another module opened after it takes the converted copy away.
TEST_F(EarlierModuleTest, OpensConvertedElsewhereWithItsMediaJudgedBesideTheOriginal) {
    auto tables = testing::jet::sampleModuleTables(3);
    tables[0].rows[0].cells[6] = "here.bmp";
    tables[0].rows[1].cells[6] = "gone.bmp";
    // A folder of its own: the recent files are kept in the test's folder.
    const fs::path where = folder.path() / "old";
    fs::create_directory(where);
    const std::string module = jetModule(where / "Quiz.vxm", tables);
    fs::copy_file(std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-shape-hexagon.bmp",
                  where / "here.bmp");
    const auto before = namesIn(where);
    ASSERT_TRUE(open(module));

    EXPECT_EQ(namesIn(where), before);
    const fs::path copy = window.document()->path();
    EXPECT_NE(copy.parent_path(), where);
    ASSERT_EQ(window.document()->size(), 3u);
    window.selectRow(1);
    EXPECT_EQ(shown(QuestionField::kText), QStringLiteral("Où se trouve la tour Eiffel ?"));
    EXPECT_EQ(window.propertyField(authoring::PropertyField::kTitle)->text(), "Jet Sample");
    EXPECT_TRUE(window.windowTitle().startsWith("Quiz.vxm[*] (earlier format)"))
        << window.windowTitle().toStdString();
    EXPECT_EQ(window.statusBar()->currentMessage(),
              "Opened Quiz.vxm (earlier format): 3 questions");
    EXPECT_EQ(QSettings().value("recentFiles").toStringList().value(0),
              QString::fromStdString(module));

    std::vector<std::string> mediaProblems;
    for (const authoring::Problem& problem : window.document()->problems())
        if (problem.message.find(".bmp") != std::string::npos) {
            mediaProblems.push_back(problem.describe());
            EXPECT_TRUE(problem.breaksGame) << "a missing picture is shown red, as an error";
        }
    ASSERT_EQ(mediaProblems.size(), 1u);
    EXPECT_NE(mediaProblems[0].find("\"gone.bmp\" is not in \"" + where.string()),
              std::string::npos)
        << mediaProblems[0];
    window.selectRow(0);
    window.refreshPreview();
    EXPECT_EQ(window.preview().problem(), QString());

    ASSERT_TRUE(open(sampleCopy()));
    EXPECT_FALSE(fs::exists(copy.parent_path()));
}

// Save asks first; agreed, the module is in the current format under its own name with the
// edit, its asked list and top ten, and the original's bytes are kept beside it, never over an
// earlier backup. Declined, nothing is written.
TEST_F(EarlierModuleTest, SaveConvertsInPlaceOnlyOnceAgreedAndKeepsTheOriginal) {
    struct Case {
        const char* name;
        bool backupExists;
        const char* keptAs;
    };
    for (const Case& c :
         {Case{"Quiz.vxm", false, "Quiz.vxm.jet"}, Case{"Again.vxm", true, "Again.vxm.2.jet"}}) {
        SCOPED_TRACE(c.name);
        const std::string module = jetModule(c.name);
        const std::string original = testing::readBytes(module);
        const fs::path firstBackup = module + ".jet";
        if (c.backupExists) std::ofstream(firstBackup) << "an older backup";
        ASSERT_TRUE(open(module));
        const fs::path copy = window.document()->path();
        window.selectRow(0);
        type(QuestionField::kText, "Edited in the editor");

        prompts.confirmAnswer = false;
        prompts.confirmations.clear();
        EXPECT_FALSE(window.save());
        ASSERT_EQ(prompts.confirmations.size(), 1u);
        EXPECT_TRUE(prompts.confirmations[0].contains(c.keptAs))
            << prompts.confirmations[0].toStdString();
        EXPECT_EQ(testing::readBytes(module), original);
        EXPECT_EQ(fs::exists(firstBackup), c.backupExists);
        EXPECT_TRUE(window.isWindowModified());

        prompts.confirmAnswer = true;
        ASSERT_TRUE(window.save()) << prompts.lastWarning().toStdString();
        EXPECT_FALSE(modules::isEarlierModule(module));
        EXPECT_EQ(testing::readColumn(module, "SELECT Question FROM MainData LIMIT 1"),
                  std::vector<std::string>{"Edited in the editor"});
        EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM Use"),
                  std::vector<std::string>{"1"});
        EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM HScore"),
                  std::vector<std::string>{"10"});
        EXPECT_EQ(testing::readBytes(folder.path() / c.keptAs), original);
        if (c.backupExists) {
            EXPECT_EQ(testing::readBytes(firstBackup), "an older backup");
        }
        EXPECT_EQ(window.document()->path(), fs::path(module));
        EXPECT_FALSE(fs::exists(copy.parent_path()));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("%1[*] - Vexlor Module Editor").arg(c.name));
        EXPECT_FALSE(window.isWindowModified());
        // From now on an ordinary module: saved without a question.
        type(QuestionField::kRight, "Saved plainly");
        ASSERT_TRUE(window.save());
        EXPECT_EQ(prompts.confirmations.size(), 2u);
    }
}

// Save As writes a new module and leaves the original as it was; revert reads the original
// again; unsaved changes are asked about as for any module.
TEST_F(EarlierModuleTest, SaveAsAndRevertLeaveTheOriginalAsItWas) {
    const std::string module = jetModule("Quiz.vxm");
    const std::string original = testing::readBytes(module);
    ASSERT_TRUE(open(module));
    window.selectRow(0);
    type(QuestionField::kText, "Reverted");
    // Records cleared in the converted copy are a change to save like any other.
    prompts.confirmAnswer = true;
    window.action("clearScores")->trigger();
    auto* scores = window.findChild<QListWidget*>();
    EXPECT_EQ(scores->count(), 0);
    window.show();
    prompts.unsavedAnswer = Prompts::Unsaved::kCancel;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(prompts.unsavedAsked, 1);

    window.action("revert")->trigger();
    EXPECT_EQ(shown(QuestionField::kText), QStringLiteral("Qu'est-ce qu'un élève ?"));
    EXPECT_EQ(scores->count(), 10);
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().contains("(earlier format)"));

    window.action("clearScores")->trigger();
    type(QuestionField::kText, "Kept in a new module");
    const std::string copy = folder.file("New.vxm");
    auto names = namesIn(folder.path());
    ASSERT_TRUE(window.saveAs(QString::fromStdString(copy)));
    EXPECT_EQ(testing::readBytes(module), original);
    names.insert("New.vxm");
    EXPECT_EQ(namesIn(folder.path()), names);
    EXPECT_EQ(testing::readColumn(copy, "SELECT Question FROM MainData LIMIT 1"),
              std::vector<std::string>{"Kept in a new module"});
    EXPECT_EQ(testing::readColumn(copy, "SELECT count(*) FROM HScore"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(window.windowTitle(), "New.vxm[*] - Vexlor Module Editor");
}

// What cannot be opened or converted leaves the editor as it was, with a message: another
// password and a module without a title are refused with the game's words, a converter that
// cannot run says so; a folder the author may not write refuses the save and writes nothing.
TEST_F(EarlierModuleTest, ARefusalOrAFolderThatCannotBeWrittenChangesNothing) {
    const std::string sample = sampleCopy();
    ASSERT_TRUE(open(sample));
    testing::jet::Options otherPassword;
    otherPassword.password = "another";
    jetModule(folder.path() / "Locked.vxm", testing::jet::sampleModuleTables(2), otherPassword);
    auto untitled = testing::jet::sampleModuleTables(2);
    untitled[1].rows[0].cells[0] = "";
    jetModule(folder.path() / "Untitled.vxm", untitled);
    struct Case {
        const char* name;
        const char* tool;  // null: the one built with the tests
        const char* says;
    };
    for (const Case& c : {Case{"Locked.vxm", nullptr, "Not a Valid Module"},
                          Case{"Untitled.vxm", nullptr, "Not a Valid Module"},
                          Case{"Untitled.vxm", "/nonexistent/vexlor-module",
                               "This module could not be converted: "}}) {
        SCOPED_TRACE(c.name);
        window.setModuleTool(c.tool ? c.tool : VEXLOR_MODULE_TOOL);
        const auto before = namesIn(folder.path());
        prompts.warnings.clear();
        EXPECT_FALSE(window.openModule(QString::fromStdString(folder.file(c.name))));
        ASSERT_EQ(prompts.warnings.size(), 1u);
        EXPECT_TRUE(prompts.lastWarning().startsWith(QString(app::MasterForm::kOpenTitle) + ": " +
                                                     c.name + "\n" + c.says))
            << prompts.lastWarning().toStdString();
        EXPECT_EQ(window.document()->path(), fs::path(sample));
        EXPECT_EQ(namesIn(folder.path()), before);
    }

    // Run as a user who may not write the folder (root may write anywhere).
    window.setModuleTool(VEXLOR_MODULE_TOOL);
    const fs::path shut = folder.path() / "shut";
    fs::create_directory(shut);
    const std::string module = jetModule(shut / "Quiz.vxm", testing::jet::sampleModuleTables(2));
    const std::string original = testing::readBytes(module);
    ASSERT_TRUE(open(module));
    window.selectRow(0);
    type(QuestionField::kText, "Not to be written");
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(shut, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    fs::permissions(module, fs::perms::all);
    EXPECT_EQ(testing::runWithoutPrivileges([&] {
                  prompts.confirmAnswer = true;
                  if (window.save()) return 1;
                  return prompts.lastWarning().contains("could not be converted: the folder") ? 0
                                                                                              : 2;
              }),
              0);
    EXPECT_EQ(namesIn(shut), std::set<std::string>{"Quiz.vxm"});
    EXPECT_EQ(testing::readBytes(module), original);
    EXPECT_TRUE(window.isWindowModified());
}

// What the author types and attaches is what the game reads after a save: the texts through
// the game's data source, the picture through the game's loader, the sound by the game's rule.
TEST_F(EditorWindowTest, TypedQuestionAndMediaAreWhatTheGameReadsAfterSave) {
    const std::string module = sampleCopy();
    window.show();
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)))
        << prompts.lastWarning().toStdString();
    const std::size_t count = window.document()->size();
    ASSERT_GE(count, 3u);
    // It is the first of the recent files, offered in the File menu.
    EXPECT_EQ(QSettings().value("recentFiles").toStringList().value(0),
              QString::fromStdString(module));
    const auto recent = window.findChildren<QMenu*>();
    EXPECT_TRUE(std::any_of(recent.begin(), recent.end(), [](QMenu* menu) {
        return menu->title() == "Open &Recent" && menu->actions().size() == 1 &&
               menu->actions().front()->text().endsWith("General Knowledge.vxm");
    }));

    window.selectRow(1);
    const QString typed[] = {"Which planet has the Great Red Spot?",
                             "Jupiter",
                             "Mars",
                             "Venus",
                             "Mercury \"the swift\"",
                             "250"};
    for (int i = 0; i < 6; ++i) type(static_cast<QuestionField>(i), typed[i]);
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("[*]")));
    ASSERT_TRUE(window.attachMedia(QString::fromStdString(pngFile("spot.png", {640, 320}))))
        << prompts.lastWarning().toStdString();
    const QString picture = shown(QuestionField::kMedia);
    EXPECT_TRUE(picture.startsWith(QStringLiteral("media/")) && picture.endsWith(".bmp"))
        << picture.toStdString();

    // The preview deals what was typed onto the game's four panels, beside the picture.
    window.refreshPreview();
    const ui::MainWindow* game = window.preview().gameWindow(false);
    QSet<QString> panels;
    for (const char* name : {"PanelRepA", "PanelRepB", "PanelRepC", "PanelRepD"})
        panels.insert(game->findChild<QLabel*>(name)->text());
    EXPECT_EQ(panels, (QSet<QString>{"Jupiter", "Mars", "Venus", "Mercury \"the swift\""}));
    EXPECT_EQ(game->findChild<QLabel*>("PanelQuestion")->text(), typed[0]);
    EXPECT_EQ(window.preview().gameForm(false)->PanelQuestion.Width,
              app::MasterForm::kQuestionWidthBesidePicture);

    window.selectRow(2);
    const std::string wav = std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-morse-sos.wav";
    {
        // Dropped on the form, as from a file manager.
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(wav))});
        QWidget* form = window.formField(QuestionField::kText)->parentWidget();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(form, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form, &drop);
        ASSERT_TRUE(drop.isAccepted());
    }
    const QString attachedSound = shown(QuestionField::kMedia);
    // Undo takes the sound off and redo puts it back, the form following.
    window.undoStack().undo();
    EXPECT_EQ(window.currentRow(), 2u);
    EXPECT_NE(shown(QuestionField::kMedia), attachedSound);
    window.undoStack().redo();
    EXPECT_EQ(shown(QuestionField::kMedia), attachedSound);

    ASSERT_TRUE(window.save()) << prompts.lastWarning().toStdString();
    EXPECT_FALSE(window.isWindowModified());
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)));
    window.selectRow(1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shown(static_cast<QuestionField>(i)), typed[i]);

    // The question as the game reads it.
    auto store = testing::must(modules::ModuleStore::open(module, modules::Access::kReadOnly,
                                                          modules::ModuleStore::Layout::kAsFound));
    EXPECT_EQ(testing::must(store.questionCount()), static_cast<std::int64_t>(count));
    std::vector<std::string> fields = testing::must(store.question(2)).fields();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(fields[i], typed[i].toStdString());
    EXPECT_EQ(fields[6], picture.toStdString());
    ui::QtPictureLoader loader;
    const auto loaded = loader.load((folder.path() / fields[6]).string());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(QSize(loaded->width(), loaded->height()), QSize(105, 52));
    fields = testing::must(store.question(3)).fields();
    EXPECT_EQ(fields[6], attachedSound.toStdString());
    EXPECT_EQ(testing::readBytes(folder.path() / fields[6]), testing::readBytes(wav));
}

// The crafted and damaged files the game refuses, the editor refuses with the game's message,
// and opens nothing.
TEST_F(EditorWindowTest, OpenRefusesWhatTheGameRefusesWithItsMessage) {
    std::vector<std::string> refused;
    for (const auto& hostile : testing::hostileModules()) {
        if (hostile.mayBeAccepted) continue;
        ASSERT_TRUE(testing::writeHostileModule(folder.file(hostile.name + ".vxm"), hostile));
        refused.push_back(hostile.name + ".vxm");
    }
    const std::string module = sampleCopy();
    const std::string bytes = testing::readBytes(module);
    std::ofstream(folder.file("cut-short.vxm"), std::ios::binary)
        << bytes.substr(0, bytes.size() / 3);
    std::string scrambled = bytes;
    for (std::size_t at = 1024; at < scrambled.size(); at += 97) scrambled[at] ^= 0x5A;
    std::ofstream(folder.file("scrambled.vxm"), std::ios::binary) << scrambled;
    std::ofstream(folder.file("words.vxm")) << "not a module at all\n";
    testing::ModuleContent plain;
    plain.questions = testing::sampleQuestions(2);
    ASSERT_TRUE(testing::writeModule(folder.file("plain-sqlite.vxm"), plain, ""));
    fs::create_directory(folder.path() / "folder.vxm");
    for (const char* name : {"cut-short.vxm", "scrambled.vxm", "words.vxm", "plain-sqlite.vxm",
                             "folder.vxm", "missing.vxm"})
        refused.push_back(name);

    for (const std::string& name : refused) {
        SCOPED_TRACE(name);
        // The game's own opening of a module named to it, over the same file.
        testing::FormFixture game;
        game.fileDialog.answers.push_back(folder.file(name));
        game.form.openNamedModule(folder.file(name));
        ASSERT_FALSE(game.messageBox.shown.empty());
        const QString gameSays =
            QString::fromStdString(game.lastMessage()).replace(QLatin1Char('\r'), '\n');

        prompts.warnings.clear();
        EXPECT_FALSE(window.openModule(QString::fromStdString(folder.file(name))));
        EXPECT_EQ(window.document(), nullptr);
        ASSERT_EQ(prompts.warnings.size(), 1u);
        EXPECT_TRUE(prompts.lastWarning().startsWith(QString(app::MasterForm::kOpenTitle) + ": " +
                                                     gameSays))
            << prompts.lastWarning().toStdString() << "\nthe game says " << gameSays.toStdString();
    }

    // A module another program holds locked is busy, not invalid, in both.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(module.c_str(), &other), SQLITE_OK);
    sqlite3_key(other, modules::kModuleKey, 8);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(window.openModule(QString::fromStdString(module)));
    EXPECT_TRUE(prompts.lastWarning().contains("in use by another program"))
        << prompts.lastWarning().toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

// A picture the game cannot show is refused when attached: nothing is copied and the question
// keeps its media.
TEST_F(EditorWindowTest, AttachingAnOversizedOrTruncatedPictureIsRefused) {
    ASSERT_TRUE(window.openModule(QString::fromStdString(sampleCopy())));
    window.selectRow(0);
    const QString before = shown(QuestionField::kMedia);
    const std::string bmp = testing::readBytes(std::string(VEXLOR_SOURCE_DIR) +
                                               "/examples/general/gk-shape-hexagon.bmp");
    std::ofstream(folder.file("cut.bmp"), std::ios::binary) << bmp.substr(0, bmp.size() / 2);
    QImage huge(6000, 3000, QImage::Format_Mono);
    huge.fill(0);
    huge.save(QString::fromStdString(folder.file("huge.png")), "PNG");
    for (const char* name : {"cut.bmp", "huge.png"}) {
        SCOPED_TRACE(name);
        prompts.warnings.clear();
        EXPECT_FALSE(window.attachMedia(QString::fromStdString(folder.file(name))));
        EXPECT_TRUE(prompts.lastWarning().contains("cannot show"))
            << prompts.lastWarning().toStdString();
        EXPECT_EQ(shown(QuestionField::kMedia), before);
    }
    EXPECT_FALSE(fs::exists(folder.path() / "media"));
    EXPECT_FALSE(window.isWindowModified());
}

// Unsaved changes are asked about before they could be lost; cancelling keeps the window.
TEST_F(EditorWindowTest, UnsavedChangesAreAskedAboutOnClose) {
    const QString module = QString::fromStdString(sampleCopy());
    ASSERT_TRUE(window.openModule(module));
    window.show();
    window.selectRow(0);
    type(QuestionField::kPoints, "300");
    prompts.unsavedAnswer = Prompts::Unsaved::kCancel;
    EXPECT_FALSE(window.close());
    EXPECT_EQ(prompts.unsavedAsked, 1);
    EXPECT_FALSE(window.openModule(module));
    EXPECT_EQ(shown(QuestionField::kPoints), "300");
    window.undoStack().undo();
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.close());
    EXPECT_EQ(prompts.unsavedAsked, 2);
}

// Whatever an event's handler throws is reported over the window and goes no further: the
// module and its unsaved change stay open. A row past the end reads as an empty question.
TEST_F(EditorWindowTest, AnActionThatThrowsIsReportedAndTheDocumentStays) {
    ASSERT_TRUE(window.openModule(QString::fromStdString(sampleCopy())));
    window.selectRow(0);
    type(QuestionField::kPoints, "300");
    const std::function<bool()> throwers[] = {
        []() -> bool { throw std::out_of_range("row 9 of 3"); },
        []() -> bool { throw std::bad_alloc(); }, []() -> bool { throw 42; }};
    for (const auto& thrower : throwers) EXPECT_FALSE(deliverGuarded(thrower, prompts, &window));
    ASSERT_EQ(prompts.warnings.size(), 3u);
    EXPECT_TRUE(prompts.warnings[0].contains(QStringLiteral("(row 9 of 3)")));
    EXPECT_TRUE(window.document() && window.isWindowModified());
    EXPECT_EQ(shown(QuestionField::kPoints), "300");
    EXPECT_TRUE(deliverGuarded([] { return true; }, prompts, &window));
    EXPECT_TRUE(window.document()->question(window.document()->size()).text.empty());
}

// Play in the Game starts the game with the module's full path, saving unsaved changes first
// once the author agrees; cancelled, nothing is saved or started. A game that cannot be found or
// started is said so.
TEST_F(EditorWindowTest, PlayInTheGameSavesFirstWhenAskedAndPassesTheModule) {
    std::vector<QStringList> started;
    bool starts = true;
    const auto launcher = [&](const QString& program, const QStringList& arguments) {
        started.push_back(QStringList{program} + arguments);
        return starts;
    };
    window.setGame("/opt/games/vexlor", launcher);
    const QString module = QString::fromStdString(sampleCopy());
    ASSERT_TRUE(window.openModule(module));
    const QStringList expected{"/opt/games/vexlor", QFileInfo(module).absoluteFilePath()};
    EXPECT_TRUE(window.playInGame());
    EXPECT_TRUE(prompts.confirmations.empty());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started.back(), expected);

    window.selectRow(0);
    type(QuestionField::kPoints, "345");
    prompts.confirmAnswer = false;
    EXPECT_FALSE(window.playInGame());
    EXPECT_EQ(prompts.confirmations.size(), 1u);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(window.document()->modified());

    prompts.confirmAnswer = true;
    EXPECT_TRUE(window.playInGame());
    EXPECT_FALSE(window.document()->modified());
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started.back(), expected);
    EXPECT_EQ(authoring::Document::open(module.toStdString())->question(0).points, "345");

    starts = false;
    EXPECT_FALSE(window.playInGame());
    EXPECT_TRUE(prompts.lastWarning().contains("could not be started"));
    window.setGame("", launcher);
    EXPECT_FALSE(window.playInGame());
    EXPECT_TRUE(prompts.lastWarning().contains("was not found"));
    EXPECT_EQ(started.size(), 3u);
}

// The game is found beside the editor, in ../games as a package installs it, or in the build
// tree; a folder of its name is no game.
TEST(GameProgram, IsFoundWhereTheEditorIsInstalledOrBuilt) {
    testing::TempFolder root;
    const fs::path bin = root.path() / "usr" / "bin";
    const fs::path games = root.path() / "usr" / "games";
    const fs::path editor = root.path() / "build" / "src" / "editor";
    const fs::path ui = root.path() / "build" / "src" / "ui";
    for (const fs::path& folder : {bin, games, editor, ui}) fs::create_directories(folder);
    fs::create_directory(bin / "vexlor");
    EXPECT_EQ(gameProgramFor(bin.string()), "");
    for (const fs::path& game : {games / "vexlor", ui / "vexlor"}) {
        std::ofstream(game) << "#!/bin/sh\n";
        fs::permissions(game, fs::perms::owner_all);
    }
    EXPECT_EQ(gameProgramFor(bin.string()), (games / "vexlor").string());
    EXPECT_EQ(gameProgramFor(editor.string()), (ui / "vexlor").string());
    EXPECT_EQ(gameProgramFor(ui.string()), (ui / "vexlor").string());
}

// A save while the game holds the module's write lock waits, says the module is in use, and
// keeps every edit; once the lock goes, the save goes through. Revert drops the edits.
TEST_F(EditorWindowTest, SaveWhileTheModuleIsInUseKeepsTheEdits) {
    const std::string module = sampleCopy();
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)));
    window.selectRow(0);
    type(QuestionField::kRight, "Typed while the game played");
    sqlite3* game = nullptr;
    ASSERT_EQ(sqlite3_open(module.c_str(), &game), SQLITE_OK);
    sqlite3_key(game, modules::kModuleKey, 8);
    ASSERT_EQ(sqlite3_exec(game, "BEGIN IMMEDIATE; INSERT INTO Use VALUES ('2');", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    EXPECT_FALSE(window.save());
    EXPECT_TRUE(prompts.lastWarning().contains("in use")) << prompts.lastWarning().toStdString();
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_EQ(shown(QuestionField::kRight), "Typed while the game played");
    ASSERT_EQ(sqlite3_exec(game, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(game);

    type(QuestionField::kWrong1, "Typed after");
    window.action("revert")->trigger();
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_NE(shown(QuestionField::kRight), "Typed while the game played");
    type(QuestionField::kRight, "Saved at last");
    ASSERT_TRUE(window.save()) << prompts.lastWarning().toStdString();
    EXPECT_EQ(testing::readColumn(module, "SELECT Reponce FROM MainData LIMIT 1"),
              std::vector<std::string>{"Saved at last"});
    // What the game wrote meanwhile is still there.
    EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM Use WHERE Use = '2'"),
              std::vector<std::string>{"1"});

    // Save As writes a copy with the game's records, and the window edits the copy from then on.
    const std::string copy = folder.file("copy.vxm");
    ASSERT_TRUE(window.saveAs(QString::fromStdString(copy))) << prompts.lastWarning().toStdString();
    EXPECT_TRUE(window.windowTitle().startsWith("copy.vxm"));
    EXPECT_EQ(testing::readColumn(copy, "SELECT Use FROM Use"),
              testing::readColumn(module, "SELECT Use FROM Use"));
    type(QuestionField::kPoints, "999");
    ASSERT_TRUE(window.save());
    EXPECT_EQ(testing::readColumn(copy, "SELECT Points FROM MainData LIMIT 1"),
              std::vector<std::string>{"999"});
    EXPECT_NE(testing::readColumn(module, "SELECT Points FROM MainData LIMIT 1"),
              std::vector<std::string>{"999"});
}

// A save refused because another program changed the module since it was opened offers to
// reload it and apply the typed edits again, and the next save keeps both; a close or an open
// whose save fails keeps the window and the edits.
TEST_F(EditorWindowTest, ASaveRefusedForAnotherProgramsChangeOffersAReloadThatKeepsBoth) {
    const std::string module = sampleCopy();
    const auto texts = [&] {
        return testing::readColumn(module, "SELECT Question FROM MainData ORDER BY rowid");
    };
    const std::vector<std::string> before = texts();
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)));
    window.show();
    window.selectRow(0);
    type(QuestionField::kText, "Typed here");
    ASSERT_TRUE(testing::alterModule(
        module, {"UPDATE MainData SET Question = 'Changed elsewhere' WHERE rowid = 2"}));

    // Declined, nothing changes; the same on a close and an open that ask to save first.
    prompts.confirmAnswer = false;
    EXPECT_FALSE(window.save());
    prompts.unsavedAnswer = Prompts::Unsaved::kSave;
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.openModule(QString::fromStdString(folder.file("other.vxm"))));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_EQ(shown(QuestionField::kText), "Typed here");
    EXPECT_EQ(texts()[0], before[0]);

    prompts.confirmAnswer = true;
    EXPECT_FALSE(window.save());
    EXPECT_TRUE(window.isWindowModified());
    ASSERT_EQ(window.document()->question(1).text, "Changed elsewhere");
    window.selectRow(0);
    EXPECT_EQ(shown(QuestionField::kText), "Typed here");
    window.undoStack().undo();
    EXPECT_EQ(shown(QuestionField::kText), QString::fromStdString(before[0]));
    window.undoStack().redo();
    ASSERT_TRUE(window.save()) << prompts.lastWarning().toStdString();
    std::vector<std::string> expected = before;
    expected[0] = "Typed here";
    expected[1] = "Changed elsewhere";
    EXPECT_EQ(texts(), expected);
}

// The open module named by its path, a hard link, a symbolic link, "./" or "sub/.." is refused
// even with "replace it?" answered yes, and stays byte for byte; another file gets the export,
// and the losses of its format are shown.
TEST_F(EditorWindowTest, ExportNeverWritesOverTheOpenModuleAndShowsWhatIsLost) {
    testing::ModuleContent content;
    content.questions = testing::sampleQuestions(4);
    content.questions[1].question = "Answer: the first line reads as Aiken's answer";
    content.used = {"1", "3"};
    content.scores = {{"Ann", "Jan/07/2000", "00420"}};
    const std::string module = folder.file("quiz.vxm");
    ASSERT_TRUE(testing::writeModule(module, content));
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)));
    const std::string bytes = testing::readBytes(module);

    fs::create_directory(folder.path() / "sub");
    fs::create_hard_link(module, folder.path() / "hard.csv");
    fs::create_symlink("quiz.vxm", folder.path() / "link.csv");
    const fs::path names[] = {module, folder.path() / "hard.csv", folder.path() / "link.csv",
                              folder.path() / "." / "quiz.vxm",
                              folder.path() / "sub" / ".." / "quiz.vxm"};
    for (const fs::path& name : names) {
        SCOPED_TRACE(name.string());
        prompts.warnings.clear();
        prompts.savePath = QString::fromStdString(name.string());
        window.action(QStringLiteral("export"))->trigger();
        ASSERT_EQ(prompts.warnings.size(), 1u);
        EXPECT_TRUE(prompts.lastWarning().contains(QStringLiteral("is the module itself")))
            << prompts.lastWarning().toStdString();
        EXPECT_FALSE(window.statusBar()->currentMessage().startsWith(QStringLiteral("Exported")));
        EXPECT_EQ(testing::readBytes(module), bytes);
    }
    EXPECT_TRUE(window.openModule(QString::fromStdString(module)));

    prompts.warnings.clear();
    prompts.savePath = QString::fromStdString(folder.file("bank"));
    prompts.filter = QStringLiteral("Aiken (*.txt)");
    window.action(QStringLiteral("export"))->trigger();
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QStringLiteral("Exported 4 questions to bank.txt"));
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_TRUE(prompts.lastWarning().contains(QStringLiteral(
        "Question 2: the question reads back as \"Answer : the first line reads as")))
        << prompts.lastWarning().toStdString();
    const auto back = authoring::readAiken(testing::readBytes(folder.file("bank.txt")), {});
    EXPECT_EQ(back.questions.size(), 4u);
    EXPECT_TRUE(back.problems.empty());
}

// An import shows what it skips and why before it adds the rest, as one step to undo; a paste
// from a spreadsheet goes in after the selected question.
TEST_F(EditorWindowTest, ImportAndPasteShowWhatIsSkippedAndAddTheRest) {
    testing::ModuleContent content;
    content.questions = testing::sampleQuestions(3);
    ASSERT_TRUE(testing::writeModule(folder.file("quiz.vxm"), content));
    ASSERT_TRUE(window.openModule(QString::fromStdString(folder.file("quiz.vxm"))));
    std::ofstream(folder.file("bank.gift"))
        << "::A:: Red planet? {=Mars ~Venus ~Earth ~Jupiter}\n\n"
           "::B:: Only one answer? {=Yes}\n\n"
           "::C:: Ringed planet? {=Saturn ~Mars ~Venus ~Earth}\n";
    ASSERT_TRUE(window.importFile(QString::fromStdString(folder.file("bank.gift"))));
    ASSERT_EQ(prompts.reviewed.size(), 1);
    EXPECT_TRUE(prompts.reviewed.front().startsWith("bank.gift:3: "))
        << prompts.reviewed.front().toStdString();
    ASSERT_EQ(window.document()->size(), 5u);
    EXPECT_EQ(window.document()->question(4).text, "Ringed planet?");
    window.undoStack().undo();
    EXPECT_EQ(window.document()->size(), 3u);

    window.selectRow(0);
    prompts.reviewed.clear();
    ASSERT_TRUE(window.pasteRows("Largest ocean?\tPacific\tAtlantic\tIndian\tArctic\t50\r\n"));
    EXPECT_TRUE(prompts.reviewed.isEmpty());
    EXPECT_EQ(window.document()->question(1).text, "Largest ocean?");
    EXPECT_EQ(window.document()->question(1).points, "50");
    EXPECT_EQ(window.currentRow(), 1u);

    // What Export writes in each format, Import reads back as the same questions.
    const std::size_t count = window.document()->size();
    const std::pair<authoring::ImportFormat, const char*> formats[] = {
        {authoring::ImportFormat::kCsv, "out.csv"},
        {authoring::ImportFormat::kAiken, "out.txt"},
        {authoring::ImportFormat::kGift, "out.gift"},
        {authoring::ImportFormat::kOpenTdb, "out.json"}};
    for (const auto& [format, name] : formats) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(window.exportFile(QString::fromStdString(folder.file(name)), format));
        ASSERT_TRUE(window.importFile(QString::fromStdString(folder.file(name))))
            << prompts.lastWarning().toStdString();
        ASSERT_EQ(window.document()->size(), 2 * count);
        for (std::size_t row = 0; row < count; ++row) {
            EXPECT_EQ(window.document()->question(count + row).text,
                      window.document()->question(row).text);
            EXPECT_EQ(window.document()->question(count + row).answers,
                      window.document()->question(row).answers);
        }
        window.undoStack().undo();
    }
}

// The growth of this process's peak resident memory while `run` runs, in bytes.
std::size_t peakMemoryGrowth(const std::function<void()>& run) {
    auto kib = [](const char* field) {
        std::ifstream status("/proc/self/status");
        std::string word;
        while (status >> word && word != field) {
        }
        std::size_t value = 0;
        status >> value;
        return value * 1024;
    };
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const std::size_t before = kib("VmRSS:");
    run();
    return kib("VmHWM:") - before;
}

// A clipboard that cannot be pasted whole is refused, saying where and why, and nothing is
// added; reading one costs memory of the order of its size, and one too large is refused before
// it is copied.
TEST_F(EditorWindowTest, AHostileClipboardIsRefusedWholeInBoundedMemory) {
    ASSERT_TRUE(window.newModule(QString::fromStdString(folder.file("new.vxm")), "New"));
    std::string rows;
    for (int i = 0; i < 40000; ++i) rows += "Q" + std::to_string(i) + "\tR\tW1\tW2\tW3\n";
    const char nul[] = "Q\tR\tW1\tW2\tW3\nQ2\tR\t\0W1\tW2\tW3\n";
    constexpr std::size_t kMiB = 1 << 20;
    struct Case {
        const char* name;
        QString clipboard;
        const char* says;
        std::size_t memory;
    };
    const Case cases[] = {
        {"more rows than a module holds", QString::fromStdString(rows),
         "the clipboard holds 40000 usable questions; the game counts at most 32767.", 32 * kMiB},
        {"a NUL byte", QString::fromUtf8(nul, sizeof nul - 1),
         "the clipboard:2: a NUL byte at column 6; this is not a text file", 8 * kMiB},
        {"a row of tabs", QString(4 * kMiB, QLatin1Char('\t')) + QLatin1Char('z'),
         "No question in the clipboard can be used.\n\nthe clipboard:1: has 4194305 cells",
         16 * kMiB},
        {"more than can be pasted", QString(64 * kMiB + 1, QLatin1Char('x')),
         "the clipboard: the text is 65 MiB, more than the 64 MiB that can be pasted at once",
         32 * kMiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t growth =
            peakMemoryGrowth([&] { EXPECT_FALSE(window.pasteRows(c.clipboard)); });
        EXPECT_TRUE(prompts.lastWarning().startsWith(QStringLiteral("Paste Questions: ") + c.says))
            << prompts.lastWarning().toStdString();
        EXPECT_EQ(window.document()->size(), 0u);
        EXPECT_LT(growth, c.memory);
    }
}

// Questions copied and pasted back through the clipboard are the questions copied, whatever
// their texts hold.
TEST_F(EditorWindowTest, CopiedQuestionsPasteBackAsTheyWere) {
    testing::ModuleContent content;
    content.questions = {
        {"Question", "Reponce", "False1", "False2", "False3", "Points", "Audio"},
        {"\"Hamlet\"", "\"", "tab\there", "two\nlines", "cr\rlf\r\n", " 5 ", "\"\t\""},
        {"\xC3\xA9t\xC3\xA9 \xE2\x9C\x93", "\"a\"b", " blank ", "\"\"", "x\"", "100", ""}};
    ASSERT_TRUE(testing::writeModule(folder.file("quiz.vxm"), content));
    ASSERT_TRUE(window.openModule(QString::fromStdString(folder.file("quiz.vxm"))));
    window.findChild<QTableView*>()->selectAll();
    window.action("copyQuestions")->trigger();
    window.selectRow(2);
    window.action("pasteQuestions")->trigger();
    ASSERT_EQ(window.document()->size(), 6u) << prompts.lastWarning().toStdString();
    for (std::size_t row = 0; row < 3; ++row)
        EXPECT_EQ(window.document()->question(row + 3).fields(),
                  window.document()->question(row).fields());
}

// The search narrows the table to the questions holding a text; a problem, clicked, selects its
// question even when the search hides it.
TEST_F(EditorWindowTest, SearchNarrowsTheTableAndAProblemSelectsItsQuestion) {
    testing::ModuleContent content;
    content.questions = testing::sampleQuestions(30);
    content.questions[20].false2 = content.questions[20].right;  // two equal answers
    ASSERT_TRUE(testing::writeModule(folder.file("quiz.vxm"), content));
    ASSERT_TRUE(window.openModule(QString::fromStdString(folder.file("quiz.vxm"))));
    auto* table = window.findChild<QTableView*>();
    auto* search = window.findChild<QLineEdit*>("search");
    search->setText("wrong 1B");  // any field, any letter case
    ASSERT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(table->model()->index(0, 0).data().toInt(), 1);

    auto* problems = window.findChild<QListView*>("problems");
    ASSERT_GE(problems->model()->rowCount(), 1);
    const QModelIndex first = problems->model()->index(0, 0);
    EXPECT_TRUE(first.data().toString().startsWith("question 21:"))
        << first.data().toString().toStdString();
    emit problems->clicked(first);
    EXPECT_EQ(window.currentRow(), 20u);
    EXPECT_EQ(table->model()->rowCount(), 30);
    EXPECT_EQ(shown(QuestionField::kRight), "Right 21");

    // Mended, the problem leaves the list once typing pauses; the list is drawn in between.
    type(QuestionField::kWrong2, "Wrong 21b");
    problems->grab();
    window.refreshPreview();
    EXPECT_EQ(problems->model()->rowCount(), 0);
    problems->grab();
}

// The records the game keeps are changed only once the author confirms, and then at once.
TEST_F(EditorWindowTest, RecordsChangeOnlyWhenConfirmed) {
    testing::ModuleContent content;
    content.questions = testing::sampleQuestions(4);
    content.used = {"1", "3"};
    content.scores = {{"Ann", "Jan/07/2000", "00120"}, {"Bob", "Jan/08/2000", "00300"}};
    const std::string module = folder.file("quiz.vxm");
    ASSERT_TRUE(testing::writeModule(module, content));
    ASSERT_TRUE(window.openModule(QString::fromStdString(module)));
    auto* scores = window.findChild<QListWidget*>();
    ASSERT_EQ(scores->count(), 2);
    EXPECT_TRUE(scores->item(0)->text().contains("Bob"));  // the best first

    prompts.confirmAnswer = false;
    window.action("forgetAsked")->trigger();
    window.action("clearScores")->trigger();
    EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM Use"),
              std::vector<std::string>{"2"});
    EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM HScore"),
              std::vector<std::string>{"2"});

    prompts.confirmAnswer = true;
    window.action("forgetAsked")->trigger();
    EXPECT_EQ(testing::readColumn(module, "SELECT count(*) FROM Use"),
              std::vector<std::string>{"0"});
    scores->setCurrentRow(0);
    window.action("deleteScore")->trigger();
    EXPECT_EQ(testing::readColumn(module, "SELECT Nom FROM HScore"),
              std::vector<std::string>{"Ann"});
    ASSERT_EQ(scores->count(), 1);
    window.action("clearScores")->trigger();
    EXPECT_EQ(scores->count(), 0);
    EXPECT_FALSE(window.isWindowModified());  // records are no edits of the questions
}

// Every field and list has a name for screen readers, and every action a menu entry.
TEST_F(EditorWindowTest, EveryFieldIsNamedAndEveryActionIsInAMenu) {
    for (QWidget* field : window.findChildren<QWidget*>()) {
        const bool named =
            qobject_cast<QLineEdit*>(field) || qobject_cast<QPlainTextEdit*>(field) ||
            qobject_cast<QAbstractItemView*>(field) || qobject_cast<QPushButton*>(field);
        if (!named || qobject_cast<QAbstractItemView*>(field->parentWidget())) continue;
        // The game's own window inside the preview speaks for itself.
        if (window.preview().isAncestorOf(field)) continue;
        EXPECT_FALSE(field->accessibleName().isEmpty() &&
                     (!qobject_cast<QPushButton*>(field) ||
                      static_cast<QPushButton*>(field)->text().isEmpty()))
            << field->metaObject()->className() << " " << field->objectName().toStdString();
    }
    QSet<QAction*> inMenus;
    for (QMenu* menu : window.findChildren<QMenu*>())
        for (QAction* action : menu->actions()) inMenus.insert(action);
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->objectName().isEmpty() || action->objectName().startsWith("_q_")) continue;
        EXPECT_TRUE(inMenus.contains(action)) << action->objectName().toStdString();
    }
    for (const char* standard : {"new", "open", "save", "saveAs", "undo", "redo", "find", "quit"})
        EXPECT_FALSE(window.action(standard)->shortcut().isEmpty()) << standard;
}

// In a field, undo and redo are the window's, which know the document; Delete and the other
// editing keys stay the field's, so Delete removes a letter, not the question.
TEST_F(EditorWindowTest, UndoKeysInAFieldReachTheWindowAndEditingKeysStayInIt) {
    ASSERT_TRUE(window.openModule(QString::fromStdString(sampleCopy())));
    window.selectRow(0);
    struct Key {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool fieldKeepsIt;
    };
    const Key keys[] = {{Qt::Key_Z, Qt::ControlModifier, false},
                        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, false},
                        {Qt::Key_Delete, Qt::NoModifier, true},
                        {Qt::Key_V, Qt::ControlModifier, true}};
    for (QuestionField field : {QuestionField::kText, QuestionField::kRight}) {
        for (const Key& key : keys) {
            SCOPED_TRACE(QKeySequence(key.key | key.modifiers).toString().toStdString());
            QKeyEvent override(QEvent::ShortcutOverride, key.key, key.modifiers);
            QApplication::sendEvent(window.formField(field), &override);
            EXPECT_EQ(override.isAccepted(), key.fieldKeepsIt);
        }
    }
}

// Questions are typed one after the other: Add Question and Ctrl+Enter in the form add one at
// the end, as does Enter in Points; Insert Question puts one after the selection.
TEST_F(EditorWindowTest, AddAppendsAndInsertFollowsTheSelection) {
    ASSERT_TRUE(window.openModule(QString::fromStdString(sampleCopy())));
    authoring::Document& document = *window.document();
    const std::size_t count = document.size();
    const authoring::Question second = document.question(1);
    window.selectRow(0);
    window.action("insertQuestion")->trigger();
    ASSERT_EQ(document.size(), count + 1);
    EXPECT_EQ(document.question(1).text, "");
    EXPECT_EQ(document.question(2), second);

    window.selectRow(0);
    window.action("addQuestion")->trigger();
    EXPECT_EQ(window.currentRow(), count + 1);
    type(QuestionField::kText, "Typed last");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window.formField(QuestionField::kPoints), &enter);
    ASSERT_EQ(document.size(), count + 3);
    EXPECT_EQ(document.question(count + 1).text, "Typed last");
    EXPECT_EQ(window.currentRow(), count + 2);

    // Ctrl+Enter reaches the window from the fields where text is typed.
    EXPECT_TRUE(window.action("addQuestion")
                    ->shortcuts()
                    .contains(QKeySequence(Qt::CTRL | Qt::Key_Return)));
    for (QuestionField field : {QuestionField::kText, QuestionField::kRight}) {
        QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Return, Qt::ControlModifier);
        QApplication::sendEvent(window.formField(field), &override);
        EXPECT_FALSE(override.isAccepted());
    }
}

TEST_F(EditorWindowTest, AnOggSoundIsAttachedAsWavAndPlayWithoutADeviceSaysSo) {
    ASSERT_TRUE(window.openModule(QString::fromStdString(sampleCopy())));
    window.selectRow(0);
    const std::string ogg = folder.file("Bell.OGG");
    const auto encoded = platform::runChild(
        "/usr/bin/oggenc",
        {"-Q", "-o", ogg, std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-morse-sos.wav"});
    ASSERT_EQ(encoded.code, 0) << encoded.output;
    ASSERT_TRUE(window.attachMedia(QString::fromStdString(ogg)))
        << prompts.lastWarning().toStdString();
    EXPECT_EQ(window.document()->question(0).media, "media/Bell.wav");
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "media" / "Bell.wav"));

    sound.problemText = "No sound device: no audio driver";
    window.action(QStringLiteral("playSound"))->trigger();
    EXPECT_EQ(sound.calls.back(), "play");
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QStringLiteral("No sound device: no audio driver"));
}

}  // namespace
}  // namespace vexlor::editor
