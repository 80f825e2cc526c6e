// The game in the languages of po/LINGUAS: every text fits the element that shows it, and the
// window speaks the language the environment asks for.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/hscore_form.h"
#include "authoring/text_fit.h"
#include "support/fakes.h"
#include "support/module_files.h"
#include "text/i18n.h"
#include "ui/command_line.h"
#include "ui/lettering.h"
#include "ui/main_window.h"
#include "ui_application.h"

namespace vexlor::ui {
namespace {

std::vector<std::string> catalogLanguages() {
    std::ifstream in(VEXLOR_SOURCE_DIR "/po/LINGUAS");
    std::vector<std::string> languages;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') languages.push_back(line);
    return languages;
}

// A text of the game and the element that shows it.
struct Shown {
    std::string text;
    const app::Element& element;
    const rules::Font& font;
    bool oneLine = false;  // a frame's title never wraps, whatever the frame's height
};

// Every text the game draws into a fixed element, as the language in use words it: the
// elements' own texts as the windows make them, and the status line's texts of a game.
std::vector<Shown> gameTexts(const app::MasterForm& main, const scores::HScoreForm& name,
                             const app::AboutWindow& about) {
    using i18n::tx;
    const auto points = [](const char* value, unsigned long count) {
        return i18n::fill(i18n::txn("%1 Point Question", "%1 Points Question", count), {value});
    };
    const std::string marks(game::kWaitBarMarks, 'l');
    const auto status = [&main](std::string text) {
        return Shown{std::move(text), main.Panel, main.Panel.font};
    };
    std::vector<Shown> shown = {
        status(main.Panel.Caption),
        status(tx(app::MasterForm::kStartPrompt)),
        status(marks + tx(" Wait! ") + marks),
        status(points("1", 1)),
        status(points("1000", 1000)),
        status(tx("Correct Answer")),
        status(tx("Wrong Answer   Game Over!")),
        status(tx("Time Elapsed   Game Over!")),
        {main.Label7.Caption, main.Label7, main.Label7.font},
        {main.TopTen.Caption, main.TopTen, main.TopTen.font, true},
        {about.Label2.Caption, about.Label2, about.Label2.font},
    };
    for (const app::Label* label :
         {&main.PanelRepA, &name.Label2, &name.Label1, &name.Label6, &name.Label5})
        shown.push_back({label->Caption, *label, label->font});
    return shown;
}

// Measured as the editor and the tool's check measure a question's texts.
TEST(Translations, EveryGameTextFitsItsElementInEveryLanguage) {
    authoring::TextMeasure* measure = authoring::TextMeasure::shared();
    ASSERT_NE(measure, nullptr) << "no font for the game's face";
    const std::vector<std::string> languages = catalogLanguages();
    ASSERT_FALSE(languages.empty());
    for (const std::string& language : languages) {
        const WindowsInLanguage chosen(language);
        ASSERT_EQ(i18n::catalogLanguage(), language) << "no catalog found for " << language;
        vexlor::testing::FormFixture f;
        const scores::HScoreForm name;
        app::AboutWindow about;
        about.Form_Paint(f.form);
        for (const Shown& shown : gameTexts(f.form, name, about)) {
            using rules::panels::pixels;
            const authoring::TextLayout layout = measure->layout(
                shown.text, shown.font, pixels(shown.element.Width), pixels(shown.element.Height));
            const bool fits = shown.oneLine ? layout.lines == 1 && !layout.tooWide : layout.fits();
            EXPECT_TRUE(fits) << language << ": \"" << shown.text << "\" is cut off in "
                              << shown.element.name << " (" << layout.lines << " lines where "
                              << (shown.oneLine ? 1 : layout.linesShown) << " show"
                              << (layout.tooWide ? ", a word wider than it" : "") << ")";
        }
    }
}

// The idle text, the buttons' names, a judged answer's status and the command line's help in the
// language asked for, and with LANG=C exactly the English of before.
TEST(Translations, TheWindowSpeaksTheLanguageOfTheEnvironment) {
    vexlor::testing::TempFolder folder;
    const std::string module = folder.file("quiz.vxm");
    ASSERT_TRUE(
        vexlor::testing::writeModule(module, {.questions = vexlor::testing::sampleQuestions(3)}));
    const struct {
        const char* language;
        const char* idle;
        const char* open;
        const char* exit;
        const char* right;
        const char* rightSpoken;
        const char* usage;  // the help's first line
    } cases[] = {
        {"fr", "Choisissez un module avec Ouvrir", "Ouvrir", "Quitter", "Bonne réponse",
         "État\u00A0: Bonne réponse", "Utilisation\u00A0: vexlor [--fullscreen] [--from-menu]"},
        {"de", "Wählen Sie mit „Öffnen“ ein Modul", "Öffnen", "Beenden", "Richtige Antwort",
         "Status: Richtige Antwort", "Aufruf: vexlor [--fullscreen] [--from-menu]"},
        {"es", "Pulse Abrir para elegir un módulo", "Abrir", "Salir", "Respuesta correcta",
         "Estado: Respuesta correcta", "Uso: vexlor [--fullscreen] [--from-menu]"},
        {"C", "Press Open to select a Module", "Open", "Exit", "Correct Answer",
         "Status: Correct Answer", "Usage: vexlor [--fullscreen] [--from-menu]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const WindowsInLanguage chosen(c.language);
        vexlor::testing::FormFixture f;
        MainWindow window(f.form);
        f.form.Form_Load();
        window.show();
        const auto text = [&window](const char* name) {
            return window.findChild<QLabel*>(QString::fromLatin1(name))->text().toStdString();
        };
        const auto spoken = [&window](const char* name) {
            return QAccessible::queryAccessibleInterface(
                       window.widgetFor(QString::fromLatin1(name)))
                ->text(QAccessible::Name)
                .toStdString();
        };
        EXPECT_EQ(text("Panel"), c.idle);
        EXPECT_EQ(spoken("Modu"), c.open);
        EXPECT_EQ(spoken("Sortie"), c.exit);
        EXPECT_TRUE(usageText("vexlor").starts_with(c.usage)) << usageText("vexlor");

        f.open(module);
        f.form.Start_Click();
        f.timers.advance(3000);
        clickWidget(window.widgetFor(QString::fromStdString(f.answer().name)));
        f.timers.advance(2000);
        window.render();
        EXPECT_EQ(text("Panel"), c.right);
        EXPECT_EQ(spoken("Panel"), c.rightSpoken);
    }
}

const char* const kWordPictures[] = {
    ":/buttons/open.svg",  ":/buttons/start.svg", ":/buttons/next.svg",  ":/buttons/replay.svg",
    ":/buttons/about.svg", ":/buttons/exit.svg",  ":/buttons/pause.svg", ":/buttons/ok.svg",
    ":/titles/score.svg",  ":/titles/clock.svg"};

// Each picture's word fits its room at a readable size in every language, measured in the face it
// is drawn in; and the English laid out as a translation is lands on the picture's own outlines,
// so a translation takes the English word's place and size.
TEST(Translations, EveryPictureWordFitsItsPicture) {
    application();
    for (const char* resource : kWordPictures) {
        std::optional<Lettering> english = letteringOf(QString::fromLatin1(resource));
        ASSERT_TRUE(english) << resource;
        english->word = english->english;
        EXPECT_EQ(QFontInfo(letteringFace(*english, 100)).family(), "DejaVu Sans");
        const QRectF drawn = letteringPath(*english).boundingRect();
        const QRectF outlines = QSvgRenderer(QString::fromLatin1(resource)).boundsOnElement("t");
        for (auto edge : {&QRectF::left, &QRectF::right, &QRectF::top, &QRectF::bottom})
            EXPECT_NEAR((drawn.*edge)(), (outlines.*edge)(), 0.05) << resource;
    }
    for (const std::string& language : catalogLanguages()) {
        const WindowsInLanguage chosen(language);
        for (const char* resource : kWordPictures) {
            const Lettering lettering = *letteringOf(QString::fromLatin1(resource));
            const double size = letteringSize(lettering);
            // Qt spaces out the last letter too.
            const QFont face = letteringFace(lettering, 100);
            const double width =
                (QFontMetricsF(face).horizontalAdvance(lettering.word) - face.letterSpacing()) *
                size / 100;
            EXPECT_TRUE(size >= kSmallestLettering && width <= lettering.room.width() + 0.01)
                << language << ": \"" << lettering.word.toStdString() << "\" on " << resource
                << " is " << width << " wide at " << size << " px, in a room of "
                << lettering.room.width();
        }
    }
}

// In English the pictures are drawn from their own SVG, untouched; in French the Start button
// carries another word, and Pause, the same in French, stays as drawn.
TEST(Translations, PicturesCarryTheirWordInTheUsersLanguage) {
    const auto grab = [](const char* name) {
        const QString resource = QString::fromLatin1(name);
        std::unique_ptr<QWidget> widget;
        if (resource.startsWith(QStringLiteral(":/buttons/")))
            widget = std::make_unique<PictureButton>(resource, nullptr);
        else
            widget = std::make_unique<SvgPicture>(resource, nullptr);
        widget->resize(QSvgRenderer(resource).defaultSize());
        return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    // A window's grab has the window's background under the picture.
    const auto asDrawnBefore = [](const char* name) {
        QSvgRenderer svg(QString::fromLatin1(name));
        QImage image(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(QWidget().palette().window().color());
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(image.rect()));
        return image;
    };
    application();
    QImage englishStart;
    {
        const WindowsInLanguage english("C");
        for (const char* resource : kWordPictures)
            EXPECT_EQ(grab(resource), asDrawnBefore(resource)) << resource;
        EXPECT_EQ(grab(":/buttons/fifty.svg"), asDrawnBefore(":/buttons/fifty.svg"));
        englishStart = grab(":/buttons/start.svg");
    }
    const WindowsInLanguage french("fr");
    EXPECT_NE(grab(":/buttons/start.svg"), englishStart);
    EXPECT_EQ(grab(":/buttons/pause.svg"), asDrawnBefore(":/buttons/pause.svg"));
}

}  // namespace
}  // namespace vexlor::ui
