// Recovery of unsaved edits: an editor killed outright leaves a copy that the next editor
// offers and rebuilds, and the copy goes once the changes are saved or dropped.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "authoring/document.h"
#include "editor/answering_prompts.h"
#include "editor/editor_window.h"
#include "editor/recovery.h"
#include "support/fakes.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

namespace fs = std::filesystem;
using authoring::QuestionField;

class RecoveryTest : public ::testing::Test, private ui::WithApplication {
  protected:
    QString sampleCopy() {
        const fs::path copy = folder.path() / "Quiz.vxm";
        fs::copy_file(VEXLOR_SAMPLE_MODULE, copy);
        return QString::fromStdString(copy.string());
    }

    testing::TempFolder folder;
    const fs::path copies = folder.path() / "recovery";
    testing::FakeSoundPlayer sound;
    AnsweringPrompts prompts;
};

TEST_F(RecoveryTest, AKilledEditorsEditsAreOfferedAgainAndRecovered) {
    const QString module = sampleCopy();
    const auto original = authoring::Document::open(module.toStdString());
    ASSERT_TRUE(original.ok());

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(VEXLOR_RECOVERY_CHILD),
                {QString::fromStdString(copies.string()), module});
    QByteArray said;
    while (!said.contains("kept") && child.waitForReadyRead(30000)) said += child.readAll();
    ASSERT_TRUE(said.contains("kept")) << "the editor wrote no copy";

    {
        // Its editor runs: another editor leaves the copy alone.
        EditorWindow other(prompts, sound);
        EXPECT_FALSE(offerRecovery(other, prompts, copies));
        EXPECT_TRUE(prompts.asked.isEmpty());
    }
    std::ofstream(copies / "0000000000000000-0.json") << "{\"format\": \"vexlor-recovery\"";
    child.kill();  // SIGKILL: nothing is saved or cleaned up
    ASSERT_TRUE(child.waitForFinished(10000));

    EditorWindow window(prompts, sound);
    window.keepRecovery(copies);
    ASSERT_TRUE(offerRecovery(window, prompts, copies));
    EXPECT_EQ(prompts.asked, QStringList{QStringLiteral("Quiz.vxm")});
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_TRUE(prompts.warnings[0].contains(QStringLiteral("set aside")))
        << prompts.warnings[0].toStdString();
    EXPECT_TRUE(fs::exists(copies / "0000000000000000-0.json.damaged"));

    const authoring::Document* recovered = window.document();
    ASSERT_NE(recovered, nullptr);
    EXPECT_TRUE(recovered->modified());
    ASSERT_EQ(recovered->size(), original->size() + 1);
    std::vector<authoring::Question> expected = original->questions();
    expected[1].answers[0] = "Typed answer";
    expected.push_back({"A question typed last", {}, "100", {}});
    EXPECT_EQ(recovered->questions(), expected);
    EXPECT_EQ(recovered->properties().author, "Ms Field");
    EXPECT_EQ(authoring::recoveryCopies(copies).size(), 1u) << "the copy stays until saved";

    ASSERT_TRUE(window.save());
    EXPECT_TRUE(authoring::recoveryCopies(copies).empty());
    EXPECT_EQ(authoring::Document::open(module.toStdString())->questions(), expected);
}

TEST_F(RecoveryTest, TheCopyGoesOnceTheChangesAreUndoneDroppedOrDiscarded) {
    const QString module = sampleCopy();
    EditorWindow window(prompts, sound);
    window.keepRecovery(copies);
    window.recovery()->setDelay(std::chrono::milliseconds(0));
    // True once the copy is written again, within seconds.
    auto written = [&] {
        QEventLoop loop;
        bool done = false;
        QObject::connect(window.recovery(), &Recovery::written, &loop, [&] {
            done = true;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        return done;
    };
    ASSERT_TRUE(window.openModule(module));
    auto* right = qobject_cast<QLineEdit*>(window.formField(QuestionField::kRight));
    auto typed = [&](const QString& text) {
        right->setText(text);
        EXPECT_TRUE(written());
        EXPECT_EQ(authoring::recoveryCopies(copies).size(), 1u);
    };

    // Undone to the saved state, reverted, dropped for the module opened again, and closed with
    // the changes discarded.
    const std::vector<std::function<void()>> drops = {
        [&] { window.undoStack().undo(); },
        [&] { window.action(QStringLiteral("revert"))->trigger(); },
        [&] { window.openModule(module); },
        [&] { EXPECT_TRUE(window.close()); },
    };
    for (const auto& drop : drops) {
        typed(QStringLiteral("Typed"));
        drop();
        EXPECT_TRUE(authoring::recoveryCopies(copies).empty());
    }

    // A copy left behind: Decide Later keeps it, Discard deletes it.
    auto left = authoring::RecoverySlot::claim(copies, module.toStdString());
    ASSERT_TRUE(left.ok());
    ASSERT_TRUE(left->write({module.toStdString(), {}}).ok());
    left = Error("gone");
    for (const auto answer : {Prompts::Recover::kKeep, Prompts::Recover::kDiscard}) {
        prompts.answer = answer;
        EditorWindow next(prompts, sound);
        EXPECT_FALSE(offerRecovery(next, prompts, copies));
        EXPECT_EQ(authoring::recoveryCopies(copies).size(),
                  answer == Prompts::Recover::kKeep ? 1u : 0u);
    }
    EXPECT_EQ(prompts.asked.size(), 2);
}

}  // namespace
}  // namespace vexlor::editor
