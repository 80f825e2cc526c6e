#include "ui/main_window.h"

namespace vexlor::ui {

MainWindow::MainWindow(app::MasterForm& form) : form_(form) {
    setFixedSize(pixels(app::MasterForm::kWidth), pixels(app::MasterForm::kHeight));
    setAutoFillBackground(true);

    // Creation order is stacking order: the grey strip at the bottom, the buttons on top of
    // the captions that share their places.
    auto* strip = new QWidget(this);
    strip->setObjectName(QString::fromStdString(form_.Shape1.name));
    strip->setAutoFillBackground(true);
    renderers_.push_back([this, strip] { renderShape(form_.Shape1, *strip); });

    for (app::Label* caption : {&form_.Label8, &form_.Label7, &form_.Score, &form_.Horloge,
                                &form_.FiftyPanel, &form_.PausePanel})
        addLabel(*caption, this);
    for (auto [element, picture] :
         {std::pair{&form_.ImaScore, QStringLiteral(":/titles/score.svg")},
          std::pair{&form_.ImaHorloge, QStringLiteral(":/titles/clock.svg")}}) {
        auto* image = new SvgPicture(picture, this);
        image->setObjectName(QString::fromStdString(element->name));
        renderers_.push_back([element, image] { renderImage(*element, *image); });
    }

    auto* topTen = new QGroupBox(this);
    topTen->setObjectName(QString::fromStdString(form_.TopTen.name));
    renderers_.push_back([this, topTen] { renderFrame(form_.TopTen, *topTen); });
    for (int k = 1; k <= 10; ++k) addLabel(form_.Pan(k), topTen);

    addLabel(form_.PanelQuestion, this);
    auto* picture = new PictureView(this);
    picture->setObjectName(QString::fromStdString(form_.Picture1.name));
    renderers_.push_back([this, picture] { renderPictureBox(form_.Picture1, *picture); });
    addAnswer(form_.PanelRepA, &app::MasterForm::PanelRepA_Click);
    addAnswer(form_.PanelRepB, &app::MasterForm::PanelRepB_Click);
    addAnswer(form_.PanelRepC, &app::MasterForm::PanelRepC_Click);
    addAnswer(form_.PanelRepD, &app::MasterForm::PanelRepD_Click);
    addLabel(form_.Panel, this);

    addButton(form_.Modu, QStringLiteral(":/buttons/open.svg"), &app::MasterForm::Modu_Click);
    addButton(form_.Start, QStringLiteral(":/buttons/start.svg"), &app::MasterForm::Start_Click);
    addButton(form_.NextQ, QStringLiteral(":/buttons/next.svg"), &app::MasterForm::NextQ_Click);
    addButton(form_.Replay, QStringLiteral(":/buttons/replay.svg"), &app::MasterForm::Replay_Click);
    addButton(form_.Fifty, QStringLiteral(":/buttons/fifty.svg"), &app::MasterForm::Fifty_Click);
    addButton(form_.Pause, QStringLiteral(":/buttons/pause.svg"), &app::MasterForm::Pause_Click);
    addButton(form_.About, QStringLiteral(":/buttons/about.svg"), &app::MasterForm::About_Click);
    addButton(form_.Sortie, QStringLiteral(":/buttons/exit.svg"), &app::MasterForm::Sortie_Click);

    render();
}

QLabel* MainWindow::addLabel(app::Label& element, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);  // module texts are shown as they are, never as markup
    label->setAutoFillBackground(true);
    renderers_.push_back([&element, label] { renderLabel(element, *label); });
    return label;
}

ClickableLabel* MainWindow::addAnswer(app::Label& element, void (app::MasterForm::*handler)()) {
    auto* label = new ClickableLabel(this);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    label->setCursor(Qt::PointingHandCursor);
    connect(label, &ClickableLabel::clicked, this, [this, handler] { handle(handler); });
    renderers_.push_back([&element, label] { renderLabel(element, *label); });
    return label;
}

void MainWindow::addButton(app::PictureButton& element, const QString& picture,
                           void (app::MasterForm::*handler)()) {
    auto* button = new PictureButton(picture, this);
    button->setObjectName(QString::fromStdString(element.name));
    connect(button, &QAbstractButton::clicked, this, [this, handler] { handle(handler); });
    renderers_.push_back([&element, button] { renderButton(element, *button); });
}

void MainWindow::handle(void (app::MasterForm::*handler)()) {
    (form_.*handler)();
    render();
}

void MainWindow::render() {
    const QString title = QString::fromStdString(form_.Caption);
    if (windowTitle() != title) setWindowTitle(title);
    setBackground(*this, form_.BackColor);
    for (const auto& renderer : renderers_) renderer();
}

QWidget* MainWindow::widgetFor(const QString& name) const {
    return findChild<QWidget*>(name);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    form_.Form_Paint();
    QWidget::paintEvent(event);
}

}  // namespace vexlor::ui
