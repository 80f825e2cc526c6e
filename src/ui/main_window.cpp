#include "ui/main_window.h"

#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "text/i18n.h"

namespace vexlor::ui {

namespace {

const QSize kWindowSize(pixels(app::MasterForm::kWidth), pixels(app::MasterForm::kHeight));

}  // namespace

MainWindow::MainWindow(app::MasterForm& form) : form_(form), surface_(new QWidget(this)) {
    setFixedSize(kWindowSize);
    setWindowIcon(applicationIcon());
    // Only seen around the surface in full screen.
    setAutoFillBackground(true);
    setBackground(*this, app::Rgb::hex(0x000000));
    surface_->setAutoFillBackground(true);
    surface_->installEventFilter(this);
    QWidget* const on = surface_;

    // Creation order is stacking order: the grey strip at the bottom, the buttons on top of
    // the captions that share their places.
    auto* strip = new QWidget(on);
    strip->setObjectName(QString::fromStdString(form_.Shape1.name));
    strip->setAutoFillBackground(true);
    renderers_.push_back([this, strip] { renderShape(form_.Shape1, *strip, scale_); });

    for (app::Label* caption : {&form_.Label8, &form_.Label7}) addLabel(*caption, on);
    // Numbers alone mean nothing to a listener: these are read with what they count.
    // TRANSLATORS: the names a screen reader gives the game's elements, before what they show.
    for (auto [caption, spoken] :
         {std::pair{&form_.Score, i18n::txc("accessible name", "Score")},
          std::pair{&form_.Horloge, i18n::txc("accessible name", "Time left")},
          std::pair{&form_.FiftyPanel, i18n::txc("accessible name", "Fifty-fifty left")},
          std::pair{&form_.PausePanel, i18n::txc("accessible name", "Pauses left")}})
        speakWithText(*addLabel(*caption, on), QString::fromUtf8(spoken));
    for (auto [element, picture] :
         {std::pair{&form_.ImaScore, QStringLiteral(":/titles/score.svg")},
          std::pair{&form_.ImaHorloge, QStringLiteral(":/titles/clock.svg")}}) {
        auto* image = new SvgPicture(picture, on);
        image->setObjectName(QString::fromStdString(element->name));
        renderers_.push_back(
            [this, shown = element, image] { renderImage(*shown, *image, scale_); });
    }

    auto* topTen = new QGroupBox(on);
    topTen->setObjectName(QString::fromStdString(form_.TopTen.name));
    renderers_.push_back([this, topTen] { renderFrame(form_.TopTen, *topTen, scale_); });
    for (int k = 1; k <= 10; ++k) addLabel(form_.Pan(k), topTen);

    speakWithText(*addLabel(form_.PanelQuestion, on),
                  QString::fromUtf8(i18n::txc("accessible name", "Question")));
    auto* picture = new PictureView(on);
    picture->setObjectName(QString::fromStdString(form_.Picture1.name));
    picture->setAccessibleName(QString::fromUtf8(i18n::txc("accessible name", "Question picture")));
    renderers_.push_back([this, picture] { renderPictureBox(form_.Picture1, *picture, scale_); });
    // TRANSLATORS: an answer panel's name; %1 is its letter, A to D, which is also its key.
    const QString answer = QString::fromUtf8(i18n::txc("accessible name", "Answer %1"));
    addAnswer(form_.PanelRepA, answer.arg(QLatin1Char('A')), &app::MasterForm::PanelRepA_Click);
    addAnswer(form_.PanelRepB, answer.arg(QLatin1Char('B')), &app::MasterForm::PanelRepB_Click);
    addAnswer(form_.PanelRepC, answer.arg(QLatin1Char('C')), &app::MasterForm::PanelRepC_Click);
    addAnswer(form_.PanelRepD, answer.arg(QLatin1Char('D')), &app::MasterForm::PanelRepD_Click);
    speakWithText(*addLabel(form_.Panel, on),
                  QString::fromUtf8(i18n::txc("accessible name", "Status")));

    using Form = app::MasterForm;
    // TRANSLATORS: the buttons' names, read aloud.
    addButton(form_.Modu, QStringLiteral("open"),
              QString::fromUtf8(i18n::txc("accessible name", "Open")), &Form::Modu_Click);
    addButton(form_.Start, QStringLiteral("start"),
              QString::fromUtf8(i18n::txc("accessible name", "Start")), &Form::Start_Click);
    addButton(form_.NextQ, QStringLiteral("next"),
              QString::fromUtf8(i18n::txc("accessible name", "Next")), &Form::NextQ_Click);
    addButton(form_.Replay, QStringLiteral("replay"),
              QString::fromUtf8(i18n::txc("accessible name", "Replay sound")), &Form::Replay_Click);
    addButton(form_.Fifty, QStringLiteral("fifty"),
              QString::fromUtf8(i18n::txc("accessible name", "Fifty-fifty")), &Form::Fifty_Click);
    addButton(form_.Pause, QStringLiteral("pause"),
              QString::fromUtf8(i18n::txc("accessible name", "Pause")), &Form::Pause_Click);
    addButton(form_.About, QStringLiteral("about"),
              QString::fromUtf8(i18n::txc("accessible name", "About")), &Form::About_Click);
    addButton(form_.Sortie, QStringLiteral("exit"),
              QString::fromUtf8(i18n::txc("accessible name", "Exit")), &Form::Sortie_Click);
    // Keys reach the window itself: no child takes the focus.
    setFocusPolicy(Qt::StrongFocus);

    render();
}

QLabel* MainWindow::addLabel(app::Label& element, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);  // module texts are shown as they are, never as markup
    label->setAutoFillBackground(true);
    renderers_.push_back([this, &element, label] { renderLabel(element, *label, scale_); });
    return label;
}

ClickableLabel* MainWindow::addAnswer(app::Label& element, const QString& spoken,
                                      void (app::MasterForm::*handler)()) {
    auto* label = new ClickableLabel(surface_);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    label->setCursor(Qt::PointingHandCursor);
    connect(label, &ClickableLabel::clicked, this, [this, handler] { handle(handler); });
    renderers_.push_back([this, &element, label] { renderLabel(element, *label, scale_); });
    speakWithText(*label, spoken);
    clickables_[&element] = {label, handler};
    return label;
}

void MainWindow::addButton(app::PictureButton& element, const QString& picture,
                           const QString& spoken, void (app::MasterForm::*handler)()) {
    auto* button = new PictureButton(QStringLiteral(":/buttons/%1.svg").arg(picture), surface_);
    button->setObjectName(QString::fromStdString(element.name));
    button->setAccessibleName(spoken);
    connect(button, &QAbstractButton::clicked, this, [this, handler] { handle(handler); });
    renderers_.push_back([this, &element, button] { renderButton(element, *button, scale_); });
    clickables_[&element] = {button, handler};
}

void MainWindow::speakWithText(QLabel& label, const QString& spoken) {
    // Runs after the label's own renderer, so it reads the text just drawn.
    renderers_.push_back([&label, spoken] {
        // TRANSLATORS: an element's name (%1) and the text it shows (%2), read together.
        const QString name = label.text().isEmpty()
                                 ? spoken
                                 : QString::fromUtf8(i18n::txc("accessible name", "%1: %2"))
                                       .arg(spoken, label.text());
        if (label.accessibleName() != name) label.setAccessibleName(name);
    });
}

namespace {

// The elements a key presses, tried in order: Enter and Space press whichever of Start and Next
// is offered. Shift and the keypad do not change a key; other modifiers make it no game key.
std::vector<const app::Element*> elementsForKey(const app::MasterForm& form,
                                                const QKeyEvent& event) {
    const Qt::KeyboardModifiers held =
        event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const int key = event.key();
    if (held == Qt::ControlModifier && key == Qt::Key_Q) return {&form.Sortie};
    if (held != Qt::NoModifier) return {};
    switch (key) {
        case Qt::Key_1:
        case Qt::Key_A:
            return {&form.PanelRepA};
        case Qt::Key_2:
        case Qt::Key_B:
            return {&form.PanelRepB};
        case Qt::Key_3:
        case Qt::Key_C:
            return {&form.PanelRepC};
        case Qt::Key_4:
        case Qt::Key_D:
            return {&form.PanelRepD};
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return {&form.Start, &form.NextQ};
        case Qt::Key_F:
            return {&form.Fifty};
        case Qt::Key_P:
            return {&form.Pause};
        case Qt::Key_R:
            return {&form.Replay};
        case Qt::Key_O:
            return {&form.Modu};
        case Qt::Key_F1:
            return {&form.About};
        default:
            return {};
    }
}

}  // namespace

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape is pressed to get out of things: it never ends the game, only full screen.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain &&
        (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen()))) {
        event->accept();
        if (!event->isAutoRepeat()) setFullScreen(!isFullScreen());
        return;
    }
    const auto elements = elementsForKey(form_, *event);
    if (elements.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A held key clicks once: Enter held past a judgement would otherwise press Next before
    // the player has seen it.
    if (event->isAutoRepeat()) return;
    for (const app::Element* element : elements) {
        const Clickable& target = clickables_.at(element);
        if (target.widget->isVisibleTo(this) && target.widget->isEnabled()) {
            handle(target.handler);
            return;
        }
    }
}

void MainWindow::handle(void (app::MasterForm::*handler)()) {
    (form_.*handler)();
    render();
}

void MainWindow::render() {
    const QString title = QString::fromStdString(form_.Caption);
    if (windowTitle() != title) setWindowTitle(title);
    setBackground(*surface_, form_.BackColor);
    for (const auto& renderer : renderers_) renderer();
}

void MainWindow::setFullScreen(bool on) {
    if (on == isFullScreen()) return;
    if (on) {
        normalPlace_ = isVisible() ? geometry() : QRect();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // Without a window manager the full-screen state alone changes nothing: the window
        // takes the screen's place itself.
        setGeometry(screen()->geometry());
        showFullScreen();
    } else {
        showNormal();
        setFixedSize(kWindowSize);
        placeOnScreen();
    }
}

void MainWindow::placeOnScreen() {
    // Started filling the screen, the window has no place of its own to go back to, and the
    // screen's corner would put its title bar above the edge, out of reach of the mouse: it
    // goes to the middle, frame and all. So does a place that is no longer on any screen.
    const QRect available = screen()->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(),
                         geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    if (normalPlace_.isValid() && available.contains(normalPlace_ + frame)) {
        setGeometry(normalPlace_);
        return;
    }
    QRect place(QPoint(), kWindowSize.grownBy(frame));
    place.moveCenter(available.center());
    place.moveTopLeft(
        QPoint(std::max(place.left(), available.left()), std::max(place.top(), available.top())));
    setGeometry(place - frame);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    // Every element is placed and its text drawn at the scaled size, rather than a picture of
    // the window stretched: text stays sharp, and clicks land on real widgets.
    scale_ =
        std::min(double(width()) / kWindowSize.width(), double(height()) / kWindowSize.height());
    const QSize size(qRound(kWindowSize.width() * scale_), qRound(kWindowSize.height() * scale_));
    surface_->setGeometry(
        QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    render();
    QWidget::resizeEvent(event);
}

QWidget* MainWindow::widgetFor(const QString& name) const {
    return findChild<QWidget*>(name);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The surface covers the window, which Qt then never paints itself.
    if (watched == surface_ && event->type() == QEvent::Paint) form_.Form_Paint();
    return QWidget::eventFilter(watched, event);
}

}  // namespace vexlor::ui
