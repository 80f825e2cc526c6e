#include "ui/hscore_dialog.h"

#include <QKeyEvent>
#include <QValidator>

#include "text/i18n.h"
#include "ui/widgets.h"

namespace vexlor::ui {

namespace {

// The window's client area at its own size.
QSize ownSize() {
    return {pixels(scores::HScoreForm::kWidth), pixels(scores::HScoreForm::kHeight)};
}

// The name box counts characters as the top ten pads them, not UTF-16 units: a name of twenty
// characters outside the basic plane still fits. What would make it longer is refused whole.
class NameValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return scores::HScoreForm::NameH_Accepts(input.toStdString()) ? Acceptable : Invalid;
    }
};

Qt::Alignment alignmentOf(app::Alignment alignment) {
    switch (alignment) {
        case app::Alignment::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case app::Alignment::Centre:
            return Qt::AlignCenter;
        case app::Alignment::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QLabel* addLabel(const app::Label& element, QWidget* parent, double scale) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromStdString(element.name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignmentOf(element.alignment));
    label->setAutoFillBackground(true);
    label->setFont(fontOf(element.font, scale));
    renderLabel(element, *label, scale);
    return label;
}

}  // namespace

HScoreDialog::HScoreDialog(app::MasterForm& main, QWidget* parent, double scale)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      main_(main),
      scale_(fittingScale(ownSize(), scale, parent)) {
    setWindowTitle(QString::fromUtf8(i18n::tx(scores::HScoreForm::kCaption)));
    setModal(true);
    setWindowIcon(applicationIcon());
    setFixedSize(scaled(QRect(QPoint(), ownSize()), scale_).size());
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    addLabel(window_.Label2, this, scale_);
    addLabel(window_.Label1, this, scale_);
    addLabel(window_.Label6, this, scale_);
    addLabel(window_.Label5, this, scale_);
    date_ = addLabel(window_.DateH, this, scale_);
    score_ = addLabel(window_.ScoreH, this, scale_);

    name_ = new QLineEdit(this);
    name_->setObjectName(QString::fromStdString(window_.NameH.name));
    name_->setGeometry(scaled(placeOf(window_.NameH), scale_));
    // Twenty characters take at most forty UTF-16 units; the validator counts characters.
    name_->setMaxLength(2 * static_cast<int>(scores::HScoreForm::kNameLimit));
    name_->setValidator(new NameValidator(name_));
    app::Font bold = window_.DateH.font;
    name_->setFont(fontOf(bold, scale_));
    const auto px = [this](int pixels) {
        return QString::number(std::max(1, qRound(pixels * scale_)));
    };
    name_->setStyleSheet(QStringLiteral("QLineEdit { color: white; background: black; "
                                        "border: %1px solid #FF8000; padding: 0 %2px; }")
                             .arg(px(1), px(3)));
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString& text) { window_.NameH.Text = text.toStdString(); });

    auto* ok = new PictureButton(QStringLiteral(":/buttons/ok.svg"), this);
    ok->setObjectName(QString::fromStdString(window_.cmdOk.name));
    ok->setGeometry(scaled(placeOf(window_.cmdOk), scale_));
    connect(ok, &QAbstractButton::clicked, this, &HScoreDialog::cmdOkClicked);
    // Reached with Tab and pressed with Space, so a player without a mouse can store the name;
    // Enter still does nothing here.
    ok->setFocusPolicy(Qt::TabFocus);
    ok->setAccessibleName(QString::fromUtf8(i18n::txc("accessible name", "OK")));
    name_->setAccessibleName(QString::fromUtf8(i18n::txc("accessible name", "Your name")));

    // The name box is the only control that takes the focus: the player types at once.
    name_->setFocus();
    render();
}

void HScoreDialog::render() {
    window_.Form_Paint(main_);
    renderLabel(window_.DateH, *date_, scale_);
    renderLabel(window_.ScoreH, *score_, scale_);
}

void HScoreDialog::keyPressEvent(QKeyEvent* event) {
    // A host presses Escape after an Enter that did nothing: that must not throw the name away.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void HScoreDialog::paintEvent(QPaintEvent* event) {
    render();
    QDialog::paintEvent(event);
}

void HScoreDialog::cmdOkClicked() {
    entry_ = window_.cmdOk_Click(main_);
    accept();
}

}  // namespace vexlor::ui
