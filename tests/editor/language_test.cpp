// The editor in each language it ships, chosen from the environment as the program chooses it:
// its menus and its command line's help translated, today's English with the C locale, no two
// entries of a menu (nor two menus of the menu bar) sharing a mnemonic, and no title cut off.

#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTableView>
#include <map>
#include <string>
#include <vector>

#include "editor/editor_app.h"
#include "editor/editor_window.h"
#include "support/fakes.h"
#include "ui/ui_application.h"

namespace vexlor::editor {
namespace {

using Texts = std::vector<std::string>;

Texts texts(const QList<QAction*>& actions) {
    Texts out;
    for (const QAction* action : actions)
        if (!action->isSeparator()) out.push_back(action->text().toStdString());
    return out;
}

// Where a mnemonic is shared: "menu: letter", for the menu bar and every menu under it.
Texts sharedMnemonics(const QString& where, const QList<QAction*>& actions) {
    Texts shared;
    std::map<QKeySequence, int> seen;
    for (QAction* action : actions) {
        const QKeySequence key = QKeySequence::mnemonic(action->text());
        if (!key.isEmpty() && ++seen[key] == 2)
            shared.push_back(
                (where + QStringLiteral(": ") + key.toString().right(1)).toStdString());
        if (QMenu* menu = action->menu()) {
            const Texts inside = sharedMnemonics(action->text(), menu->actions());
            shared.insert(shared.end(), inside.begin(), inside.end());
        }
    }
    return shared;
}

struct Language {
    const char* language;  // "C": the C locale
    Texts menuBar;
    Texts fileMenu;
    Texts shared;       // mnemonics shared by two entries of a menu
    std::string usage;  // the first line of --help
};

TEST(EditorLanguage, MenusAndHelpAreInTheChosenLanguageWithMnemonicsUniqueInEachMenu) {
    ui::application();
    testing::TempFolder folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder.file("settings")));
    const Language languages[] = {
        {"C",
         {"&File", "&Edit", "&Question", "&Module", "&Help"},
         {"&New Module...", "&Open...", "Open &Recent", "&Save", "Save &As...", "Re&vert",
          "&Import Questions...", "&Export Questions...", "Export as a Pac&kage...",
          "Print Previe&w...", "&Print...", "Export as P&DF...", "&Quit"},
         {},
         "Usage: editor_tests [MODULE.vxm]"},
        {"fr",
         {"&Fichier", "É&dition", "&Question", "&Module", "&Aide"},
         {"&Nouveau module...", "&Ouvrir...", "Ouvrir un module &récent", "&Enregistrer",
          "Enregistrer &sous...", "Re&venir à la version enregistrée", "&Importer des questions...",
          "E&xporter des questions...", "Exporter en &paquet...", "&Aperçu avant impression...",
          "I&mprimer...", "Exporter en P&DF...", "&Quitter"},
         {},
         "Utilisation\u00A0: editor_tests [MODULE.vxm]"},
        {"de",
         {"&Datei", "&Bearbeiten", "&Frage", "&Modul", "&Hilfe"},
         {"&Neues Modul...", "Ö&ffnen...", "&Zuletzt geöffnet", "&Speichern", "Speichern &unter...",
          "Zu&rücksetzen", "Fragen &importieren...", "Fragen e&xportieren...",
          "Als &Paket exportieren...", "Druck&vorschau...", "&Drucken...",
          "&Als PDF exportieren...", "&Beenden"},
         {},
         "Aufruf: editor_tests [MODUL.vxm]"},
        {"es",
         {"&Archivo", "&Editar", "&Pregunta", "&Módulo", "Ay&uda"},
         {"&Nuevo módulo...", "&Abrir...", "Abrir &reciente", "&Guardar", "Guardar &como...",
          "Re&vertir", "&Importar preguntas...", "&Exportar preguntas...",
          "Exportar como &paquete...", "Vis&ta previa de impresión...", "I&mprimir...",
          "Exportar como P&DF...", "&Salir"},
         {},
         "Uso: editor_tests [MÓDULO.vxm]"},
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(language.language);
        const ui::WindowsInLanguage chosen(language.language);
        testing::FakeSoundPlayer sound;
        QtPrompts prompts;
        const EditorWindow window(prompts, sound);
        const QList<QAction*> menus = window.menuBar()->actions();
        EXPECT_EQ(texts(menus), language.menuBar);
        ASSERT_FALSE(menus.isEmpty());
        EXPECT_EQ(texts(menus.front()->menu()->actions()), language.fileMenu);
        EXPECT_EQ(sharedMnemonics(QStringLiteral("menu bar"), menus), language.shared);
        // The question list's titles are whole, however long the language makes them.
        const QHeaderView* titles = window.findChild<QTableView*>()->horizontalHeader();
        for (int column = 0; column < titles->count(); ++column)
            EXPECT_GE(titles->sectionSize(column), titles->sectionSizeHint(column)) << column;

        char program[] = "editor_tests";
        char help[] = "--help";
        char* argv[] = {program, help, nullptr};
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(runEditor(2, argv), 0);
        const std::string usage = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(usage.substr(0, usage.find('\n')), language.usage);
    }
}

}  // namespace
}  // namespace vexlor::editor
