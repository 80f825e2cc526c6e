// Plays the real game, as main() starts it, to take the README's pictures: the idle window with
// a module open, a question with a picture, a right answer, the name window and the top ten with
// the score just entered. Not a test: scripts/screenshots runs it. The game chooses its language
// from the environment as it starts (ui::installTranslations), so LANGUAGE=fr takes the pictures
// in French.
//
// Usage: screenshot_tour OUT_FOLDER MODULE.vxm ANSWERS
//   ANSWERS  one line per question: its text, a tab, its right answer

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ui/game.h"
#include "ui/hscore_dialog.h"
#include "ui/main_window.h"

namespace {

using vexlor::ui::MainWindow;

QString outFolder;
std::map<QString, QString> rightAnswers;

void click(QWidget* widget) {
    const QPoint at = widget->rect().center();
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

QString textOf(const MainWindow& window, const char* name) {
    auto* label = qobject_cast<QLabel*>(window.widgetFor(QString::fromLatin1(name)));
    return label != nullptr ? label->text().simplified() : QString();
}

bool shown(const MainWindow& window, const char* name) {
    QWidget* widget = window.widgetFor(QString::fromLatin1(name));
    return widget != nullptr && widget->isVisible();
}

void save(QWidget& window, const char* name) {
    const QString path = outFolder + QLatin1Char('/') + QString::fromLatin1(name);
    if (!window.grab().save(path))
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
    std::fprintf(stderr, "screenshots: %s\n", qPrintable(path));
}

// What the tour waits for next.
enum class Step { Idle, Question, RightAnswer, GameOver, TopTen, Done };
Step step = Step::Idle;
int ticks = 0;             // polls spent on the current step
bool pictureShot = false;  // the question with a picture was taken
const char* const kAnswers[] = {"PanelRepA", "PanelRepB", "PanelRepC", "PanelRepD"};

void next(Step to) {
    step = to;
    ticks = 0;
}

void poll(MainWindow& window) {
    ++ticks;
    switch (step) {
        case Step::Idle:
            if (ticks < 20) return;  // the module's opening and the first paint
            save(window, "idle.png");
            click(window.widgetFor(QStringLiteral("Start")));
            next(Step::Question);
            return;
        case Step::Question: {
            // Counted from the question's showing, not from the wait before it.
            if (!shown(window, "PanelRepA") || textOf(window, "PanelRepA").isEmpty()) {
                ticks = 0;
                return;
            }
            const bool picture = shown(window, "Picture1");
            // The question's first paint; the picture's question with its clock running.
            if (ticks < (picture && !pictureShot ? 25 : 5)) return;
            const auto right = rightAnswers.find(textOf(window, "PanelQuestion"));
            if (right == rightAnswers.end())
                std::fprintf(stderr, "screenshots: no answer known for \"%s\"\n",
                             qPrintable(textOf(window, "PanelQuestion")));
            if (picture && !pictureShot) save(window, "question-with-picture.png");
            // Right answers until the picture's question is taken and answered; then a wrong one.
            const bool answerRight = !pictureShot || picture;
            for (const char* answer : kAnswers) {
                const bool isRight =
                    right != rightAnswers.end() && textOf(window, answer) == right->second;
                if (isRight == answerRight && shown(window, answer)) {
                    click(window.widgetFor(QString::fromLatin1(answer)));
                    break;
                }
            }
            if (picture && !pictureShot) {
                pictureShot = true;
                next(Step::RightAnswer);
            } else {
                next(answerRight ? Step::RightAnswer : Step::GameOver);
            }
            return;
        }
        case Step::RightAnswer:
            if (!shown(window, "NextQ")) {
                ticks = 0;
                return;
            }
            if (ticks < 5) return;
            if (pictureShot && !QFile::exists(outFolder + QStringLiteral("/right-answer.png")))
                save(window, "right-answer.png");
            click(window.widgetFor(QStringLiteral("NextQ")));
            next(Step::Question);
            return;
        case Step::GameOver:
            // The name-entry window of the top ten.
            if (auto* dialog =
                    qobject_cast<vexlor::ui::HScoreDialog*>(QApplication::activeModalWidget())) {
                if (ticks < 5) return;
                dialog->findChild<QLineEdit*>()->setText(QStringLiteral("Alex"));
                save(*dialog, "name-entry.png");
                // Found by its name in the code: what it is called aloud depends on the language.
                click(dialog->findChild<QAbstractButton*>(QStringLiteral("cmdOk")));
                next(Step::TopTen);
            }
            return;
        case Step::TopTen:
            if (ticks < 20) return;
            save(window, "top-ten.png");
            next(Step::Done);
            QCoreApplication::exit(0);
            return;
        case Step::Done:
            return;
    }
}

void startTour() {
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<MainWindow*>(widget);
            if (window != nullptr && window->isVisible()) poll(*window);
        }
    });
    timer->start();
    // A tour that does not end (a module without a picture) ends here.
    QTimer::singleShot(600000, [] {
        std::fprintf(stderr, "screenshots: the tour did not end\n");
        QCoreApplication::exit(1);
    });
}
Q_COREAPP_STARTUP_FUNCTION(startTour)

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OUT_FOLDER MODULE.vxm ANSWERS\n", argv[0]);
        return 2;
    }
    outFolder = QString::fromLocal8Bit(argv[1]);
    std::ifstream answers(argv[3]);
    for (std::string line; std::getline(answers, line);) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        rightAnswers[QString::fromStdString(line.substr(0, tab)).simplified()] =
            QString::fromStdString(line.substr(tab + 1)).simplified();
    }
    char name[] = "vexlor";
    char* gameArgv[] = {name, argv[2], nullptr};
    const int code = vexlor::ui::runGame(2, gameArgv);
    return step == Step::Done ? code : 1;
}
