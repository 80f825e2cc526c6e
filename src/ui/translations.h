#pragma once

class QCoreApplication;

namespace vexlor::ui {

/// Chooses the user's language for the texts of this program (see i18n::start), with the
/// catalogs found beside the program. Call it first thing in main(): the command line's
/// messages are translated too.
void chooseLanguage();

/// Once the application exists: chooses the language again (the application sets the locale
/// from the environment), makes every tr() of the windows read the same catalogs as the rest
/// of the program, and gives Qt's own windows (file windows, standard buttons) Qt's
/// translations for that language. Called again after the environment changed, it replaces
/// the translators it installed before.
void installTranslations(QCoreApplication& application);

}  // namespace vexlor::ui
