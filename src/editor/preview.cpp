#include "editor/preview.h"

#include <QEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "app/master_form.h"
#include "platform/file_system.h"
#include "platform/random.h"
#include "platform/stand_ins.h"
#include "platform/timer.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"

namespace vexlor::editor {

namespace fs = std::filesystem;

namespace {

// The preview's question comes from no module file: its media are looked up as the game looks
// them up beside a module in the author's folder, `module`, which need not exist.
class AuthorsFolder final : public platform::FileSystem {
  public:
    std::string fileName(const std::string& path) const override {
        return path == module ? fs::path(path).filename().string() : files_.fileName(path);
    }
    std::string currentFolder() const override { return files_.currentFolder(); }
    std::vector<std::string> folderEntries(const std::string& folder) const override {
        return files_.folderEntries(folder);
    }
    std::string realPath(const std::string& path) const override { return files_.realPath(path); }

    std::string module;

  private:
    platform::StdFileSystem files_;
};

// The game starts a question's sound as it deals it; the preview keeps quiet until the author
// presses Replay, which then plays through the editor's player.
class ReplayOnly final : public platform::SoundPlayer {
  public:
    explicit ReplayOnly(platform::SoundPlayer& player) : player_(player) {}
    void SoundFile(const std::string& path) override { file_ = path; }
    void Play() override {
        if (!live) return;
        player_.SoundFile(file_);
        player_.Play();
    }
    void Stop() override {
        if (live) player_.Stop();
    }
    bool live = false;

  private:
    platform::SoundPlayer& player_;
    std::string file_;
};

// Virtual time that tells when a timer is switched on, so real time runs only while one is due.
class PreviewTimers final : public platform::TimerDriver {
  public:
    void armed(platform::Timer& timer) override {
        time.armed(timer);
        if (onArmed) onArmed();
    }
    void disarmed(platform::Timer& timer) override { time.disarmed(timer); }
    platform::VirtualTimerDriver time;
    std::function<void()> onArmed;
};

constexpr int kTickMs = 50;
// Long enough to read the verdict, short enough not to wait for the next try.
constexpr int kVerdictMs = 3000;

}  // namespace

// One look: a game window of its own, over a form of its own, on virtual time. A fixed day and
// time, every dialog answered at once and nothing written to the desktop.
struct QuestionPreview::Look {
    Look(platform::SoundPlayer& player, int seed)
        : random(static_cast<std::uint64_t>(seed) * 0x9E3779B97F4A7C15ull + 1), sound(player) {}
    platform::FixedClock clock;
    platform::MixingRandom random;
    platform::AnsweringFileDialog fileDialog;
    platform::RecordingMessageBox messages;
    platform::ClosedWindows windows;
    platform::MemoryFileTypes fileTypes;
    AuthorsFolder fileSystem;
    ReplayOnly sound;
    ui::QtPictureLoader pictures;
    platform::NoConversion conversion;
    PreviewTimers timers;
    app::MasterForm form{{clock, random, fileDialog, messages, windows, fileTypes, fileSystem,
                          sound, pictures, conversion}};
    std::unique_ptr<ui::MainWindow> window;
};

QuestionPreview::QuestionPreview(platform::SoundPlayer& sound, QWidget* parent)
    : QWidget(parent), sound_(sound), tabs_(new QTabWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_);
    for (const QString& name : {tr("As asked"), tr("Judged")}) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        tabs_->addTab(page, name);
    }
    tabs_->setTabToolTip(1, tr("The same deal after a wrong answer: the right answer in green, "
                               "the wrong one in red"));
    tabs_->setTabToolTip(0, tr("Click an answer to have the game judge it; the clock stands "
                               "still here"));
    tabs_->setAccessibleName(tr("Preview"));
    ticker_.setInterval(kTickMs);
    connect(&ticker_, &QTimer::timeout, this, [this] { advance(kTickMs); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (shown_ && stale_[index]) rebuild(index == 1);
        emit judgedChanged(index == 1);
    });
    clear();
}

QuestionPreview::~QuestionPreview() {
    // The windows first: each draws its form until it goes.
    for (auto& look : looks_)
        if (look) look->window.reset();
}

void QuestionPreview::clear() {
    shown_ = false;
    problem_.clear();
    ticker_.stop();
    resetIn_.reset();
    for (int i = 0; i < 2; ++i) {
        looks_[i].reset();
        looks_[i] = std::make_unique<Look>(sound_, 0);
        // The idle board without its buttons, which would open and end games here.
        app::MasterForm& form = looks_[i]->form;
        for (app::PictureButton* button : {&form.Start, &form.Modu, &form.About, &form.Sortie})
            button->Visible = false;
        form.Panel.Caption = tr("Select a question to see it here").toStdString();
        looks_[i]->window = std::make_unique<ui::MainWindow>(form);
        tabs_->widget(i)->layout()->addWidget(looks_[i]->window.get());
        makePicture(*looks_[i]->window);
        looks_[i]->window->show();
        stale_[i] = true;
    }
}

void QuestionPreview::makePicture(QWidget& window) {
    // Transparent to the mouse, the window and its children take no click and show no hand.
    window.setAttribute(Qt::WA_TransparentForMouseEvents);
    window.setFocusPolicy(Qt::NoFocus);
}

void QuestionPreview::showQuestion(const authoring::Question& question,
                                   const fs::path& moduleFolder, int number) {
    question_ = question;
    moduleFolder_ = moduleFolder;
    number_ = number;
    shown_ = true;
    stale_[0] = stale_[1] = true;
    rebuild(judged());
}

void QuestionPreview::setJudged(bool on) {
    tabs_->setCurrentIndex(on ? 1 : 0);
}

bool QuestionPreview::judged() const {
    return tabs_->currentIndex() == 1;
}

ui::MainWindow* QuestionPreview::gameWindow(bool on) const {
    return looks_[on ? 1 : 0] ? looks_[on ? 1 : 0]->window.get() : nullptr;
}

const app::MasterForm* QuestionPreview::gameForm(bool on) const {
    return looks_[on ? 1 : 0] ? &looks_[on ? 1 : 0]->form : nullptr;
}

void QuestionPreview::rebuild(bool judgedLook) {
    const int index = judgedLook ? 1 : 0;
    problem_.clear();
    auto& slot = looks_[index];
    if (slot) slot->window.reset();
    if (index == 0) {
        resetIn_.reset();
        ticker_.stop();
    }
    slot = std::make_unique<Look>(sound_, number_);
    Look& look = *slot;
    app::MasterForm& form = look.form;
    // The game's own routines on the question as edited: the start and the deal, the reveal
    // and the first second of its clock, which tells the question's points. The media are
    // found beside a module in the author's folder.
    look.fileSystem.module = form.Data1.DatabaseName = (moduleFolder_ / "preview.vxm").string();
    form.Caption = std::string(app::MasterForm::kTitle) + "Preview";
    const auto& q = question_;
    form.startWith(
        {q.text, {q.answers[0], q.answers[1], q.answers[2], q.answers[3]}, q.points, q.media});
    form.TimerStart_Timer();
    form.TimerTrente_Timer();
    if (judgedLook) {
        // A wrong answer, judged: the game marks it and the right one.
        form.answerClick(form.quiz.rightSlot() == 1 ? 2 : 1);
        form.TimerReponce_Timer();
    } else {
        // Played here: the judgement and the fifty-fifty run on the preview's time; the clock,
        // the end of a game and the next question have no place in a one-question board. A
        // pause of a clock that stands still would do nothing.
        for (platform::Timer* timer : {&form.TimerReponce, &form.TimerFifty})
            timer->attach(&look.timers);
        look.timers.onArmed = [this] { ticker_.start(); };
        form.quiz.pauseOffered = false;
        form.PausePanel.Visible = false;
        form.draw();
    }
    look.sound.live = true;
    look.window = std::make_unique<ui::MainWindow>(form);
    look.window->setFocusPolicy(Qt::NoFocus);  // the game's keys belong to the editor here
    tabs_->widget(index)->layout()->addWidget(look.window.get());
    if (judgedLook) {
        makePicture(*look.window);
    } else {
        for (QWidget* widget : look.window->findChildren<QWidget*>())
            widget->installEventFilter(this);
    }
    look.window->render();
    look.window->show();
    stale_[index] = false;
}

void QuestionPreview::advance(int ms) {
    Look* look = looks_[0].get();
    if (!shown_ || stale_[0] || !look || !look->window) {
        ticker_.stop();
        return;
    }
    if (resetIn_) {
        *resetIn_ -= ms;
        if (*resetIn_ <= 0) askAgain();
        return;
    }
    look->timers.time.advance(ms);
    app::MasterForm& form = look->form;
    const auto phase = form.phase();
    if (phase == app::MasterForm::Phase::kNextOffered ||
        phase == app::MasterForm::Phase::kGameOver) {
        // The verdict stays up for a moment; Next, About and Exit lead nowhere from here.
        for (app::PictureButton* button : {&form.NextQ, &form.About, &form.Sortie})
            button->Visible = false;
        resetIn_ = kVerdictMs;
    } else if (!look->timers.time.isArmed(form.TimerReponce) &&
               !look->timers.time.isArmed(form.TimerFifty)) {
        ticker_.stop();
    }
    look->window->render();
}

void QuestionPreview::askAgain() {
    if (!resetIn_) return;
    resetIn_.reset();
    ticker_.stop();
    rebuild(false);
}

bool QuestionPreview::eventFilter(QObject* watched, QEvent* event) {
    // Once a verdict is seen, a click anywhere on the board asks the question again; later,
    // as the click's widget goes with the board.
    if (resetIn_ && event->type() == QEvent::MouseButtonPress) {
        QMetaObject::invokeMethod(this, &QuestionPreview::askAgain, Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vexlor::editor
