#include "ui/about_dialog.h"

#include <QKeyEvent>

#include "text/i18n.h"
#include "ui/widgets.h"

namespace vexlor::ui {

namespace {

// The window's client area at its own size.
QSize ownSize() {
    return {pixels(app::AboutWindow::kWidth), pixels(app::AboutWindow::kHeight)};
}

}  // namespace

AboutDialog::AboutDialog(const app::MasterForm& main, QWidget* parent, double scale)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      main_(main),
      scale_(fittingScale(ownSize(), scale, parent)) {
    // The window has no title. Qt fills an empty title with the application's name, which a
    // lone blank is not.
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    setWindowIcon(applicationIcon());
    setFixedSize(scaled(QRect(QPoint(), ownSize()), scale_).size());
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    auto* logo = new SvgPicture(QStringLiteral(":/logo.svg"), this);
    logo->setGeometry(scaled(placeOf(window_.Image1), scale_));
    const app::Label* elements[] = {&window_.Label2, &window_.Label1, &window_.Label6};
    for (int i = 0; i < 3; ++i) {
        lines_[i] = new QLabel(this);
        lines_[i]->setObjectName(QString::fromStdString(elements[i]->name));
        lines_[i]->setTextFormat(Qt::PlainText);
        lines_[i]->setAutoFillBackground(true);
    }
    auto* ok = new PictureButton(QStringLiteral(":/buttons/ok.svg"), this);
    ok->setObjectName(QString::fromStdString(window_.cmdOk.name));
    ok->setGeometry(scaled(placeOf(window_.cmdOk), scale_));
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    ok->setAccessibleName(QString::fromUtf8(i18n::txc("accessible name", "OK")));
    render();
}

void AboutDialog::render() {
    window_.Form_Paint(main_);
    const app::Label* elements[] = {&window_.Label2, &window_.Label1, &window_.Label6};
    for (int i = 0; i < 3; ++i) renderLabel(*elements[i], *lines_[i], scale_);
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        event->accept();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    render();
    QDialog::paintEvent(event);
}

}  // namespace vexlor::ui
