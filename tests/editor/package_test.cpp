// Export as a Package and opening a package in the editor.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStatusBar>
#include <filesystem>
#include <fstream>

#include "authoring/module_file.h"
#include "editor/answering_prompts.h"
#include "editor/editor_window.h"
#include "support/fakes.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;

class EditorPackageTest : public ::testing::Test, private ui::WithApplication {
  protected:
    testing::TempFolder folder;
    testing::FakeSoundPlayer sound;
    AnsweringPrompts prompts;
    EditorWindow window{prompts, sound};
};

TEST_F(EditorPackageTest, AnExportedPackageOpensWithItsMediaInAFolderOfItsOwn) {
    // Unsaved edits are saved first; the package opens from a new folder named after it, its
    // picture found; a damaged package is refused with the reason and the module stays open.
    fs::create_directory(folder.path() / "pics");
    std::ofstream(folder.file("pics/dog.gif")) << "GIF89a";
    std::vector<authoring::Question> questions = {
        {"Which dog?", {"Rex", "Max", "Bo", "Fido"}, "100", "pics/dog.gif"}};
    ASSERT_TRUE(
        authoring::writeModule(folder.file("Dogs.vxm"), {"Dogs", "", "", ""}, questions, false));
    ASSERT_TRUE(window.openModule(QString::fromStdString(folder.file("Dogs.vxm"))));
    window.propertyField(authoring::PropertyField::kAuthor)->setText(QStringLiteral("Ann"));
    ASSERT_TRUE(window.exportPackage(QString::fromStdString(folder.file("Dogs.zip"))))
        << prompts.warnings.join('\n').toStdString();
    EXPECT_EQ(window.statusBar()->currentMessage(),
              "Exported Dogs.vxm with 1 media file to Dogs.zip");

    fs::create_directory(folder.path() / "Mail");
    const QString mail = QString::fromStdString(folder.file("Mail"));
    ASSERT_TRUE(window.openPackage(QString::fromStdString(folder.file("Dogs.zip")), mail))
        << prompts.warnings.join('\n').toStdString();
    EXPECT_EQ(window.document()->path(), folder.path() / "Mail" / "Dogs" / "Dogs.vxm");
    EXPECT_EQ(window.document()->properties().author, "Ann");
    EXPECT_TRUE(window.document()->problems().empty())
        << window.document()->problems().front().describe();

    std::ofstream(folder.file("Broken.zip")) << "PK not a zip";
    EXPECT_FALSE(window.openPackage(QString::fromStdString(folder.file("Broken.zip")), mail));
    EXPECT_TRUE(prompts.warnings.back().contains("is not a package (a zip file)"))
        << prompts.warnings.back().toStdString();
    EXPECT_EQ(window.document()->path(), folder.path() / "Mail" / "Dogs" / "Dogs.vxm");
}

}  // namespace
}  // namespace vexlor::editor
