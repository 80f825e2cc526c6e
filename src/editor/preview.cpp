#include "editor/preview.h"

#include <QEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <system_error>

#include "app/master_form.h"
#include "modules/module_database.h"
#include "modules/module_sql.h"
#include "platform/file_system.h"
#include "platform/random.h"
#include "platform/timer.h"
#include "rules/media.h"
#include "ui/main_window.h"
#include "ui/qt_adapters.h"

namespace vexlor::editor {

namespace fs = std::filesystem;

namespace {

// The game's services as the preview needs them: a fixed day and time, every dialog answered at
// once and nothing written to the desktop.
class StillClock final : public platform::Clock {
  public:
    double secondsSinceMidnight() const override { return 0; }
    platform::Date today() const override { return {2000, 1, 1}; }
};

class ChosenFile final : public platform::FileDialog {
  public:
    std::optional<std::string> showOpen(const platform::OpenFileRequest&) override { return path; }
    std::string path;
};

class SilentMessages final : public platform::MessageBox {
  public:
    void show(const std::string& text, int, const std::string&) override { last = text; }
    bool ask(const std::string& text, const std::string&) override {
        last = text;
        return false;
    }
    std::string last;
};

// The preview opens modules of the current format only.
class NoConversion final : public platform::ModuleConverter {
  public:
    bool isEarlierModule(const std::string&) override { return false; }
    Result<Prepared> prepare(const std::string&) override { return Error("not converted here"); }
    Result<std::string> place(const std::string&, const Prepared&) override {
        return Error("not converted here");
    }
    void discard(const Prepared&) override {}
};

class NoWindows final : public platform::Windows {
  public:
    void showAbout() override {}
    platform::HighScoreEntry showHighScoreEntry() override {
        return platform::HighScoreEntry::Closed;
    }
    void endProgram() override {}
};

class NoFileTypes final : public platform::FileTypes {
  public:
    std::optional<std::string> defaultValue(const std::string&) const override {
        return std::string();
    }
    bool setDefaultValue(const std::string&, const std::string&) override { return false; }
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

// One look: a game window of its own, over a form of its own, on virtual time.
struct QuestionPreview::Look {
    Look(platform::SoundPlayer& player, int seed)
        : random(static_cast<std::uint64_t>(seed) * 0x9E3779B97F4A7C15ull + 1), sound(player) {}
    StillClock clock;
    platform::MixingRandom random;
    ChosenFile fileDialog;
    SilentMessages messages;
    NoWindows windows;
    NoFileTypes fileTypes;
    platform::StdFileSystem fileSystem;
    ReplayOnly sound;
    ui::QtPictureLoader pictures;
    NoConversion conversion;
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

bool QuestionPreview::stageQuestion() {
    const fs::path module = fs::path(folder_.path().toStdString()) / "preview.vxm";
    if (!module_) {
        if (!folder_.isValid()) {
            problem_ = tr("The preview has no folder to work in");
            return false;
        }
        const Status made = authoring::writeModule(module, {"Preview", "", "", ""}, {question_},
                                                   /*replace=*/true);
        if (!made) {
            problem_ = QString::fromStdString(made.error().what());
            return false;
        }
        auto opened = modules::ModuleDatabase::open(module.string(), modules::kModuleKey);
        if (!opened) {
            problem_ = QString::fromStdString(opened.error().message());
            return false;
        }
        module_ = std::move(*opened);
    }
    const auto& q = question_;
    Status written = module_->write(
        "UPDATE MainData SET Question = ?, Reponce = ?, False1 = ?, False2 = ?, "
        "False3 = ?, Points = ?, Audio = ?",
        {q.text, q.answers[0], q.answers[1], q.answers[2], q.answers[3], q.points, q.media});
    if (written) written = module_->write(std::string(modules::sql::kAsked.clear), {});
    if (!written) {
        problem_ = QString::fromStdString(written.error().message());
        return false;
    }

    // The media file goes beside the preview's module under the same name, found by the game's
    // rule in the author's folder; a name the game would not find finds nothing here either.
    const platform::StdFileSystem files;
    const auto source = q.media.empty()
                            ? std::nullopt
                            : rules::findMedia(files, moduleFolder_.string() + "/", q.media);
    std::error_code error;
    std::string stamp;
    if (source) {
        stamp = *source + "|" + std::to_string(fs::file_size(*source, error)) + "|" +
                std::to_string(fs::last_write_time(*source, error).time_since_epoch().count()) +
                "|" + q.media;
    }
    if (stamp != copiedMedia_) {
        for (const auto& entry : fs::directory_iterator(module.parent_path(), error))
            if (entry.path().filename().string().rfind("preview.vxm", 0) != 0)
                fs::remove_all(entry.path(), error);
        copiedMedia_.clear();
        if (source) {
            std::string name = q.media;
            for (char& c : name)
                if (c == '\\') c = '/';
            const std::size_t start = std::min(name.find_first_not_of('/'), name.size());
            const fs::path relative = fs::path(name.substr(start)).lexically_normal();
            const fs::path target = module.parent_path() / relative;
            fs::create_directories(target.parent_path(), error);
            if (fs::copy_file(*source, target, fs::copy_options::overwrite_existing, error))
                copiedMedia_ = stamp;
        }
    }
    return true;
}

void QuestionPreview::rebuild(bool judgedLook) {
    const int index = judgedLook ? 1 : 0;
    problem_.clear();
    if (!stageQuestion()) return;

    auto& slot = looks_[index];
    if (slot) slot->window.reset();
    if (index == 0) {
        resetIn_.reset();
        ticker_.stop();
    }
    slot = std::make_unique<Look>(sound_, number_);
    Look& look = *slot;
    for (platform::Timer* timer : look.form.timers()) timer->attach(&look.timers);
    look.fileDialog.path = module_->path();
    // The game's own opening, start and deal, then the wait before the question and the first
    // tick of its clock, which tells the question's points.
    look.form.Modu_Click();
    look.form.Start_Click();
    look.timers.time.advance(4000);
    if (judgedLook) {
        // A wrong answer pressed: the game marks it and the right one.
        app::Label* panels[] = {&look.form.PanelRepA, &look.form.PanelRepB, &look.form.PanelRepC,
                                &look.form.PanelRepD};
        void (app::MasterForm::*clicks[])() = {
            &app::MasterForm::PanelRepA_Click, &app::MasterForm::PanelRepB_Click,
            &app::MasterForm::PanelRepC_Click, &app::MasterForm::PanelRepD_Click};
        for (int i = 0; i < 4; ++i) {
            if (panels[i]->DataField != "Reponce") {
                (look.form.*clicks[i])();
                break;
            }
        }
        look.timers.time.advance(2000);
    }
    if (!look.messages.last.empty()) problem_ = QString::fromStdString(look.messages.last);
    if (!judgedLook) {
        // Played here: the judgement and the fifty-fifty run on the preview's time; the clock,
        // the end of a game and the next question have no place in a one-question board.
        for (platform::Timer* timer : {&look.form.TimerStart, &look.form.TimerGOver,
                                       &look.form.TimerTrente, &look.form.TempBar})
            timer->attach(nullptr);
        look.timers.onArmed = [this] { ticker_.start(); };
        // A pause of a clock that stands still would do nothing.
        look.form.Pause.Visible = false;
        look.form.PausePanel.Visible = false;
    }
    look.sound.live = true;
    look.window = std::make_unique<ui::MainWindow>(look.form);
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
