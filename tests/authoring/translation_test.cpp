// The problems of a question, of a module and of a question file read in the user's language
// from the build tree's catalogs, and exactly as before in the C locale.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "authoring/import.h"
#include "authoring/module_check.h"
#include "authoring/question_file.h"
#include "support/language.h"

namespace vexlor::authoring::testing {
namespace {

struct Case {
    const char* what;
    std::function<std::string()> said;
    std::array<const char*, 4> expected;  ///< C, fr, de, es
};

TEST(TranslationTest, ProblemsComeInTheUsersLanguageAndInEnglishWithoutOne) {
    const ImportSettings settings;
    const Case cases[] = {
        {"a field named inside a sentence",
         [] {
             const Question question{
                 "Capital of France?", {"Paris", "Lyon", "", "Nice"}, "100", ""};
             return checkQuestion(question, ".").front().message;
         },
         {"Wrong answer 2 is empty", "Le champ «\u00a0Mauvaise réponse 2\u00a0» est vide",
          "Das Feld „Falsche Antwort 2“ ist leer", "El campo «Respuesta incorrecta 2» está vacío"}},
        // French takes 0 as singular, German and Spanish do not.
        {"counts in each language's plural forms",
         [] {
             CheckReport report;
             report.questions = 1;
             report.pictures = 2;
             report.sounds = 0;
             return report.summary();
         },
         {"ok: 1 question, 2 pictures, 0 sounds", "ok\u00a0: 1 question, 2 images, 0 son",
          "ok: 1 Frage, 2 Bilder, 0 Töne", "ok: 1 pregunta, 2 imágenes, 0 sonidos"}},
        {"a reader's problem at a line of its file",
         [&] {
             return readAiken("Capital of France?\nA. Paris\nB. Lyon\nANSWER: A\n", settings)
                 .problems.front()
                 .describe("quiz.txt");
         },
         {"quiz.txt:1: 2 options; a question needs four: the right answer and three wrong ones",
          "quiz.txt:1: 2 options\u00a0; une question en demande quatre\u00a0: la bonne réponse et "
          "trois mauvaises",
          "quiz.txt:1: 2 Optionen; eine Frage braucht vier: die richtige Antwort und drei falsche",
          "quiz.txt:1: 2 opciones; una pregunta necesita cuatro: la respuesta correcta y tres "
          "incorrectas"}},
        {"a problem of the whole module",
         [] {
             const std::vector<Properties> untitled(1);
             return checkModuleWhole(untitled, 40000).back().describe();
         },
         {"module: there are 40000 questions; the game counts at most 32767",
          "module\u00a0: il y a 40000 questions\u00a0; le jeu en compte au plus 32767",
          "Modul: es gibt 40000 Fragen; das Spiel zählt höchstens 32767",
          "módulo: hay 40000 preguntas; el juego cuenta como máximo 32767"}},
        // Told apart by the program in every language: the note, and the hint after a fault
        // of the module's own header.
        {"a file read as Windows-1252",
         [] {
             return importQuestions("Caf\xE9 ou th\xE9?,Caf\xE9,Th\xE9,Eau,Lait\n", "quiz.csv", {})
                 .notUtf8->message;
         },
         {"not UTF-8 (the byte 0xE9 at column 4): read as Windows-1252",
          "pas de l'UTF-8 (l'octet 0xE9 à la colonne 4)\u00a0: lu comme du Windows-1252",
          "kein UTF-8 (das Byte 0xE9 in Spalte 4): als Windows-1252 gelesen",
          "no es UTF-8 (el byte 0xE9 en la columna 4): se lee como Windows-1252"}},
        {"a fault of the module's header",
         [] {
             QuestionImportOptions options;
             options.columnsChoice = ColumnsChoice::kModuleHeader;
             const auto fault =
                 importQuestions("Question,Right,Wrong1\nx,y,z\n", "quiz.csv", options)
                     .result.fatal;
             return std::string(fault && namesHeader(*fault) ? "names the header" : "does not");
         },
         {"names the header", "names the header", "names the header", "names the header"}},
    };
    const std::array<const char*, 4> languages = {"C", "fr", "de", "es"};
    for (std::size_t language = 0; language < languages.size(); ++language) {
        const vexlor::testing::InLanguage speaking(languages[language]);
        for (const Case& c : cases)
            EXPECT_EQ(c.said(), c.expected[language])
                << c.what << ", language \"" << languages[language] << "\"";
    }
}

}  // namespace
}  // namespace vexlor::authoring::testing
