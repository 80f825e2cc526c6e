#pragma once

#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "authoring/module_file.h"
#include "platform/sound_player.h"

class QTabWidget;

namespace vexlor::app {
class MasterForm;
}
namespace vexlor::modules {
class ModuleDatabase;
}
namespace vexlor::ui {
class MainWindow;
}

namespace vexlor::editor {

/// The selected question as the game shows it: the game's own window over the game's own state,
/// holding a one-question module, started and dealt by the game's routines. One look shows the
/// question as it is asked, a second the same deal judged after a wrong answer, with the right
/// and wrong answers' colours.
class QuestionPreview : public QWidget {
    Q_OBJECT
  public:
    /// Sounds are played through `sound` only when the author presses the preview's Replay.
    explicit QuestionPreview(platform::SoundPlayer& sound, QWidget* parent = nullptr);
    ~QuestionPreview() override;

    /// Shows `question`, its media looked up in `moduleFolder` as the game looks it up. The same
    /// question is always dealt the same way, so the panels do not jump while the author types.
    void showQuestion(const authoring::Question& question,
                      const std::filesystem::path& moduleFolder, int number);
    /// Shows the game's empty board: no question is selected.
    void clear();
    /// Which look is shown: the question as asked, or judged.
    void setJudged(bool judged);
    bool judged() const;

    /// The game window of a look, and its state; null before a question was shown.
    ui::MainWindow* gameWindow(bool judged) const;
    const app::MasterForm* gameForm(bool judged) const;
    /// Why the last question could not be shown, or empty.
    const QString& problem() const { return problem_; }

  signals:
    /// The look shown changed, by setJudged or by the author's choice of tab.
    void judgedChanged(bool judged);

  private:
    struct Stage;
    struct Look;
    void rebuild(bool judged);
    bool stageQuestion();

    platform::SoundPlayer& sound_;
    QTabWidget* tabs_;
    QTemporaryDir folder_;
    std::shared_ptr<modules::ModuleDatabase> module_;  // the one-question module, kept open
    std::unique_ptr<Look> looks_[2];
    authoring::Question question_;
    std::filesystem::path moduleFolder_;
    int number_ = 0;
    bool shown_ = false;
    bool stale_[2] = {true, true};
    std::string copiedMedia_;  // what the module's folder holds, as "source|size|time"
    QString problem_;
};

}  // namespace vexlor::editor
