#include "ui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/sample_modules.h"
#include "text/i18n.h"

namespace vexlor::ui {

namespace {

const QString kInstalledName = QStringLiteral("vexlorTranslator");

// Every tr() of the windows, looked up in the program's catalogs by its English text alone:
// one catalog for the whole program, whatever class shows a text.
class CatalogTranslator final : public QTranslator {
  public:
    using QTranslator::QTranslator;

    QString translate(const char* /*context*/, const char* source, const char* /*disambiguation*/,
                      int n) const override {
        if (source == nullptr || *source == '\0') return {};
        const char* translated =
            n >= 0 ? i18n::txn(source, source, static_cast<unsigned long>(n)) : i18n::tx(source);
        // An empty answer tells Qt there is no translation, and it keeps the source.
        return translated == source ? QString() : QString::fromUtf8(translated);
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

void chooseLanguage() {
    i18n::start(platform::catalogFolder(platform::executableFolder()));
}

void installTranslations(QCoreApplication& application) {
    chooseLanguage();
    // Called again (a test switching languages), it replaces what it installed before.
    for (QTranslator* old :
         application.findChildren<QTranslator*>(kInstalledName, Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    auto* catalog = new CatalogTranslator(&application);
    catalog->setObjectName(kInstalledName);
    QCoreApplication::installTranslator(catalog);
    const QString language = QString::fromStdString(i18n::catalogLanguage());
    if (language.isEmpty()) return;
    // Installed last, so asked first: it answers only for Qt's own classes.
    auto* qt = new QTranslator(&application);
    qt->setObjectName(kInstalledName);
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}

}  // namespace vexlor::ui
