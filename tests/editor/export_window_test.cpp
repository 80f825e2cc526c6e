// File > Export Questions in the editor's window offscreen: never over the open module, by any
// of its names, and what a format cannot keep is shown to the author.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QSettings>
#include <QStatusBar>
#include <filesystem>

#include "authoring/import.h"
#include "editor/editor_window.h"
#include "support/fakes.h"
#include "support/module_files.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;

/// Chooses `savePath` with `filter` in the save dialog and remembers the warnings.
class FakePrompts final : public Prompts {
  public:
    void warn(QWidget*, const QString&, const QString& text) override { warnings.push_back(text); }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    Unsaved askUnsaved(QWidget*, const QString&) override { return Unsaved::kDiscard; }
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
    bool reviewImport(QWidget*, const QString&, const QStringList&) override { return true; }

    QString savePath;
    QString filter = QStringLiteral("CSV (*.csv)");
    std::vector<QString> warnings;
};

class ExportWindowTest : public ::testing::Test, private ui::WithApplication {
  protected:
    ExportWindowTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder.file("settings")));
        QCoreApplication::setOrganizationName(QStringLiteral("vexlor-tests"));
    }

    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    FakePrompts prompts;
    EditorWindow window{prompts, sound};
};

// The open module named by its path, a hard link, a symbolic link, "./" or "sub/.." is refused
// even with "replace it?" answered yes, and stays byte for byte; another file gets the export,
// and the losses of its format are shown.
TEST_F(ExportWindowTest, ExportNeverWritesOverTheOpenModuleAndShowsWhatIsLost) {
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
        EXPECT_TRUE(prompts.warnings[0].contains(QStringLiteral("is the module itself")))
            << prompts.warnings[0].toStdString();
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
    EXPECT_TRUE(prompts.warnings[0].contains(QStringLiteral(
        "Question 2: the question reads back as \"Answer : the first line reads as")))
        << prompts.warnings[0].toStdString();
    const auto back = authoring::readAiken(testing::readBytes(folder.file("bank.txt")), {});
    EXPECT_EQ(back.questions.size(), 4u);
    EXPECT_TRUE(back.problems.empty());
}

}  // namespace
}  // namespace vexlor::editor
