#include "ui/main_window.h"

#include <QPainter>

namespace vexlor::ui {

namespace {

void renderElement(const app::Element& element, QWidget& widget) {
    widget.setGeometry(placeOf(element));
    widget.setVisible(element.Visible);
}

}  // namespace

MainWindow::MainWindow(app::MasterForm& form) : form_(form) {
    setFixedSize(pixels(app::MasterForm::kWidth), pixels(app::MasterForm::kHeight));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, colourOf(form_.BackColor));
    setPalette(background);

    // Creation order is stacking order: the grey strip at the bottom, the buttons on top of
    // the captions that share their places.
    auto* strip = new QWidget(this);
    strip->setObjectName(QString::fromStdString(form_.Shape1.name));
    strip->setAutoFillBackground(true);
    renderers_.push_back([this, strip] {
        renderElement(form_.Shape1, *strip);
        QPalette p = strip->palette();
        p.setColor(QPalette::Window, colourOf(form_.Shape1.FillColor));
        strip->setPalette(p);
    });

    const auto centred = Qt::AlignHCenter | Qt::AlignTop;
    addLabel(form_.Label8, this, Qt::AlignCenter);
    addLabel(form_.Label7, this, Qt::AlignCenter);
    addLabel(form_.Score, this, Qt::AlignCenter);
    addLabel(form_.Horloge, this, Qt::AlignCenter);
    addLabel(form_.FiftyPanel, this, Qt::AlignCenter);
    addLabel(form_.PausePanel, this, Qt::AlignCenter);
    for (auto [element, picture] :
         {std::pair{&form_.ImaScore, QStringLiteral(":/titles/score.svg")},
          std::pair{&form_.ImaHorloge, QStringLiteral(":/titles/clock.svg")}}) {
        auto* image = new SvgPicture(picture, this);
        image->setObjectName(QString::fromStdString(element->name));
        renderers_.push_back([element, image] { renderElement(*element, *image); });
    }

    auto* topTen = new QGroupBox(QString::fromStdString(form_.TopTen.Caption), this);
    topTen->setObjectName(QString::fromStdString(form_.TopTen.name));
    topTen->setFont(fontOf(form_.TopTen.font));
    topTen->setStyleSheet(
        QStringLiteral(
            "QGroupBox { background: %1; border: 1px solid #808080; margin-top: 0px; }"
            "QGroupBox::title { color: %2; subcontrol-origin: padding; left: 6px; top: 2px; }")
            .arg(colourOf(form_.TopTen.BackColor).name(), colourOf(form_.TopTen.ForeColor).name()));
    renderers_.push_back([this, topTen] { renderElement(form_.TopTen, *topTen); });
    for (int k = 1; k <= 10; ++k) addLabel(form_.Pan(k), topTen, Qt::AlignLeft | Qt::AlignVCenter);

    addLabel(form_.PanelQuestion, this, centred)->setWordWrap(true);
    auto* picture = new QLabel(this);
    picture->setObjectName(QString::fromStdString(form_.Picture1.name));
    renderers_.push_back([this, picture] { renderElement(form_.Picture1, *picture); });
    for (app::Label* answer :
         {&form_.PanelRepA, &form_.PanelRepB, &form_.PanelRepC, &form_.PanelRepD}) {
        addLabel(*answer, this, Qt::AlignCenter);
    }
    addLabel(form_.Panel, this, centred);

    addButton(form_.Modu, QStringLiteral(":/buttons/open.svg"), [this] { form_.Modu_Click(); });
    addButton(form_.Start, QStringLiteral(":/buttons/start.svg"), nullptr);
    addButton(form_.NextQ, QStringLiteral(":/buttons/next.svg"), nullptr);
    addButton(form_.Replay, QStringLiteral(":/buttons/replay.svg"), nullptr);
    addButton(form_.Fifty, QStringLiteral(":/buttons/fifty.svg"), nullptr);
    addButton(form_.Pause, QStringLiteral(":/buttons/pause.svg"), nullptr);
    addButton(form_.About, QStringLiteral(":/buttons/about.svg"), [this] { form_.About_Click(); });
    addButton(form_.Sortie, QStringLiteral(":/buttons/exit.svg"), [this] { form_.Sortie_Click(); });

    render();
}

QLabel* MainWindow::addLabel(app::Label& element, QWidget* parent, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);  // module texts are shown as they are, never as markup
    label->setAlignment(alignment);
    label->setAutoFillBackground(true);
    label->setFont(fontOf(element.font));
    renderers_.push_back([&element, label] { renderLabel(element, *label); });
    return label;
}

PictureButton* MainWindow::addButton(app::PictureButton& element, const QString& picture,
                                     std::function<void()> handler) {
    auto* button = new PictureButton(picture, this);
    button->setObjectName(QString::fromStdString(element.name));
    if (handler) {
        connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] {
            handler();
            render();
        });
    }
    renderers_.push_back([&element, button] { renderElement(element, *button); });
    return button;
}

void MainWindow::render() {
    setWindowTitle(QString::fromStdString(form_.Caption));
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
