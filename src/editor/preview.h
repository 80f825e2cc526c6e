#pragma once

#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>

#include "authoring/module_file.h"
#include "platform/sound_player.h"

class QTabWidget;

namespace vexlor::app {
class MasterForm;
}
namespace vexlor::ui {
class MainWindow;
}

namespace vexlor::editor {

/// The selected question as the game shows it: the game's own window over the game's own state,
/// started on the question as edited and dealt by the game's routines. One look shows the
/// question as it is asked and plays it: a click on an answer is judged by the game, the verdict
/// shown for a moment, then the question is asked again. A second look is a picture of the same
/// deal judged after a wrong answer. With no question selected the board is a picture too.
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

    /// Moves the preview's own time on by `ms`: the judgement of a clicked answer, the
    /// fifty-fifty, and the verdict's time on the board. The game's clock stands still here.
    /// A real timer calls it while something is due.
    void advance(int ms);
    /// Whether the asked look shows a verdict, until it is asked again.
    bool showsVerdict() const { return resetIn_.has_value(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    /// The look shown changed, by setJudged or by the author's choice of tab.
    void judgedChanged(bool judged);

  private:
    struct Stage;
    struct Look;
    void rebuild(bool judged);
    /// Makes a look a picture: nothing on it answers the mouse.
    static void makePicture(QWidget& window);
    /// Asks the question again once a verdict was seen.
    void askAgain();

    platform::SoundPlayer& sound_;
    QTabWidget* tabs_;
    std::unique_ptr<Look> looks_[2];
    authoring::Question question_;
    std::filesystem::path moduleFolder_;
    int number_ = 0;
    bool shown_ = false;
    bool stale_[2] = {true, true};
    QString problem_;
    QTimer ticker_;               // real time for advance(), running only while something is due
    std::optional<int> resetIn_;  // milliseconds until a verdict leaves the board
};

}  // namespace vexlor::editor
