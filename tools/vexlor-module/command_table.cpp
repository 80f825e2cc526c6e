// The table of commands with their options and help texts.

#include <iomanip>

#include "vexlor-module/command_line.h"

namespace vexlor::authoring {

namespace {

// TRANSLATORS: the help texts of vexlor-module (its --help and each command's). Keep the
// option names (--title, -o), the command names and the words in capitals that stand for a value
// (FILE, OUT.vxm, TITLE) as they are; keep lines under 80 characters, and the options' column.
constexpr const char* kReadOnlyNote = VX_N(
    "The module is opened read-only; one with a journal or log of an interrupted write\n"
    "beside it is refused, as recovering it would change it.\n");

constexpr const char* kOptions = VX_N("Options:\n");

// Said by every command that reads a file of questions.
constexpr const char* kQuestionChecks = VX_N(
    "Each question is held to the rules of check and told with its file and line: an\n"
    "empty row is skipped with a note; a question the game cannot ask as meant (no text,\n"
    "an empty or repeated answer, Points that are not a number, media the game does not\n"
    "use) is skipped, or refuses the file with --strict; the rest is a warning (a media\n"
    "file not in the module's folder, a text too long for its panel).\n");

constexpr const char* kImportOptions = VX_N(
    "  --format F           csv, aiken, gift or opentdb; without it the format is told by\n"
    "                       the extension (.csv, .json, .gift, .aiken), else by the content\n"
    "  --encoding E         utf-8 (the default), or windows-1252 or latin-1 for a file\n"
    "                       saved as plain \"CSV\" by a spreadsheet on Windows; in any\n"
    "                       letter case, and utf8, cp1252, latin1 or iso-8859-1 too\n"
    "  --columns C          CSV without the header above: auto takes the columns by\n"
    "                       their names (English or French: Question, Answer, Bonne\n"
    "                       reponse, Wrong 2, Mauvaise reponse, Points, Score, Image,\n"
    "                       Son...) or, without a header, by position; or a list naming\n"
    "                       the file's columns in order from question, right, wrong1,\n"
    "                       wrong2, wrong3, points, media and skip (a column left out),\n"
    "                       such as question,right,wrong1,wrong2,wrong3,skip,points\n"
    "  --strict             refuse the whole file at its first problem; without it, each\n"
    "                       question that cannot be used is reported and skipped\n"
    "  --points N           points of each question of a file that gives none (default 100)\n"
    "  --easy-points N      points of an easy, medium and hard Open Trivia DB question\n"
    "  --medium-points N    (defaults 100, 200 and 300)\n"
    "  --hard-points N\n");

std::vector<Option> withImportOptions(std::vector<Option> options) {
    using Kind = Option::Kind;
    options.insert(options.end(), {{"--format", "", true, Kind::kFormat},
                                   {"--encoding", "", true, Kind::kEncoding},
                                   {"--columns", "", true, Kind::kColumns},
                                   {"--strict", "", false},
                                   {"--points", "", true, Kind::kPoints},
                                   {"--easy-points", "", true, Kind::kPoints},
                                   {"--medium-points", "", true, Kind::kPoints},
                                   {"--hard-points", "", true, Kind::kPoints}});
    return options;
}

// --- the command table and the command line -------------------------------------------------

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"create",
         "create OUT.vxm --title TITLE [--author A] [--company C] [--year Y] "
         "--questions FILE [IMPORT OPTIONS] [--force]",
         VX_N("make a new module from a file of questions"),
         {VX_N("Makes the module OUT.vxm with the given properties and the questions of the file:\n"
               "CSV, Aiken, GIFT or Open Trivia DB JSON (see import-check). A CSV file is UTF-8 "
               "with\n"
               "the header\n"
               "    Question,Reponce,False1,False2,False3,Points,Audio\n"
               "(the Audio column may be left out). Reponce is the right answer, False1-3 the "
               "wrong\n"
               "ones, Audio the name of a picture or sound file in the module's folder. Fields "
               "holding\n"
               "commas, quotes or line breaks are written in double quotes, a quote inside "
               "doubled.\n"
               "An apostrophe starting a field before =, +, -, @, another apostrophe, a tab or a\n"
               "carriage return is dropped: export writes it so that spreadsheets run no formula.\n"
               "The module is written completely or not at all; it may hold at most 32767 "
               "questions.\n"
               "A name without .vxm gets it, as the game's Open dialog lists only .vxm files.\n"),
          "\n", kQuestionChecks, "\n", kOptions,
          VX_N(
              "  --title TITLE        the module's title, shown by the game (required, not empty)\n"
              "  --author A           the author\n"
              "  --company C          the company\n"
              "  --year Y             the year\n"
              "  --questions FILE     the questions file (required)\n"
              "  --force              replace OUT.vxm if it exists\n"),
          kImportOptions},
         withImportOptions({{"--title", "", true, Option::Kind::kText, true, true},
                            {"--author", "", true},
                            {"--company", "", true},
                            {"--year", "", true},
                            {"--questions", "", true, Option::Kind::kText, true},
                            {"--force", "", false}}),
         runCreate},
        {"add",
         "add MODULE.vxm --questions FILE [IMPORT OPTIONS]",
         VX_N("add the questions of a file to a module"),
         {VX_N("Adds the questions of the file after the module's own, in one transaction: all of\n"
               "them or, when anything fails, none. The properties, the list of asked questions "
               "and\n"
               "the high scores stay as they are. A module may hold at most 32767 questions.\n"),
          "\n", kQuestionChecks, "\n", kOptions,
          VX_N("  --questions FILE     the questions file (required)\n"), kImportOptions},
         withImportOptions({{"--questions", "", true, Option::Kind::kText, true}}),
         runAdd},
        {"import-check",
         "import-check FILE [IMPORT OPTIONS]",
         VX_N("show what a file of questions would give"),
         {VX_N(
              "Reads a file of questions as create and add would, writes nothing, and lists each\n"
              "question it would skip, with its line (or its place in a JSON file) and why, then\n"
              "how many questions it would import, by category. Exits with status 1 when it skips\n"
              "anything or finds nothing to import.\n"),
          "\n",
          VX_N(
              "Formats: CSV as create describes; Aiken (a question, options \"A.\" or \"A)\", a\n"
              "line \"ANSWER: B\"); GIFT multiple-choice questions ({=right ~wrong ~wrong "
              "~wrong});\n"
              "Open Trivia DB JSON (a response or a list of results, \"multiple\" questions, in\n"
              "any of its encodings). Only questions with one right and three wrong answers fit a\n"
              "module; the others (true/false, matching, numeric...) are skipped and listed.\n"
              "Files are UTF-8 (see --encoding), at most 64 MiB. CSV may use ';' between fields\n"
              "and a header in any case. Media are looked for beside FILE. The first three\n"
              "questions are shown with the answer taken as the right one.\n"),
          "\n", kQuestionChecks, "\n", kOptions, kImportOptions},
         withImportOptions({}),
         runImportCheck,
         VX_N("the question file")},
        {"convert",
         "convert MODULE.vxm... | convert OLD -o NEW [--force]",
         VX_N("convert modules in the earlier Jet format"),
         {VX_N("Modules made for the earlier version of the game are Jet database files (Jet 3 or\n"
               "Jet 4) with the module password. convert turns each MODULE into a module of the\n"
               "current format under its own name, so the media beside it and links to it keep\n"
               "working, and keeps the original byte for byte beside it as MODULE.jet (or\n"
               "MODULE.2.jet, ... when that name is taken; an existing file is never replaced).\n"
               "Every row of the four tables is kept in its order: the questions (whose order is\n"
               "their number), the properties, the asked list and the high scores; texts become\n"
               "UTF-8 and an empty field stays apart from a field with no value.\n"),
          "\n",
          VX_N(
              "The new module is written under a hidden temporary name and put in place only when\n"
              "complete: an interrupted run leaves the original where it was. A module with more\n"
              "than 32767 questions, or a text longer than 16 MiB, is not converted (nothing is\n"
              "cut). A folder or file that cannot be written is told and left as it is; a file\n"
              "that is already a module of the current format is reported and left alone.\n"
              "info, check and export read a module in the earlier format as it stands.\n"),
          "\n",
          VX_N("Exit status: 0 every module converted (or already current), 1 a failure, 3 a file\n"
               "that is not a module (another database password, no title, no properties).\n"),
          "\n", kOptions,
          VX_N("  -o, --output NEW     write the converted module to NEW and leave OLD untouched\n"
               "  --force              with -o: replace NEW if it exists\n")},
         {{"--output", "-o", true, Option::Kind::kText, false, true}, {"--force", "", false}},
         runConvert,
         VX_N("the module file"),
         true},
        {"info",
         "info MODULE.vxm",
         VX_N("show a module's properties and counts"),
         {VX_N(
              "Prints the title, author, company and year of the module, then how many questions,\n"
              "asked questions and high scores it holds. The module is not changed. A module in\n"
              "the earlier Jet format is read as it stands, and its format and Jet version "
              "told.\n"),
          kReadOnlyNote},
         {},
         runInfo},
        {"check",
         "check MODULE.vxm",
         VX_N("find what would spoil a game"),
         {VX_N(
              "Lists, one per line, every question lacking its text or an answer, having two "
              "equal\n"
              "answers, Points that do not start with a number, or media that is missing, that "
              "lies\n"
              "outside the module's folder, or that the game does not play or show (the name must\n"
              "end in mp3, mid, wav, gif, bmp or ico, all lower or all upper case), Points with\n"
              "words after the number, and a question or answer too long for its panel in the\n"
              "game's font. Also lists an\n"
              "empty title, no questions, or more than 32767. Exits with status 1 when it finds\n"
              "anything, else prints a summary.\n"),
          kReadOnlyNote},
         {},
         runCheck},
        {"export",
         "export MODULE.vxm [--format F] [--spreadsheet [--separator S]] [-o OUT]",
         VX_N("write a module's questions as CSV, Aiken, GIFT or Open Trivia DB JSON"),
         {VX_N("Writes the questions in a format the import commands read back: CSV (the default)\n"
               "in the layout create reads, with CRLF line ends; Aiken and GIFT, which keep no\n"
               "points and no media (import gives each question --points); Open Trivia DB JSON,\n"
               "whose difficulty stands for 100, 200 or 300 points (other points get none, and no\n"
               "media are kept). Each question is read back as it is written, and what a format\n"
               "cannot keep of it is told on the standard error, question by question: points,\n"
               "media, blanks around a text, Aiken's lines that would read as an option or the\n"
               "answer (Aiken has no escapes), bytes that are not UTF-8 (written as Windows-1252\n"
               "characters), or the whole question when the format cannot hold it. The rest is\n"
               "exported all the same.\n"),
          "\n",
          VX_N("CSV is safe to open in a spreadsheet: a text starting with =, +, -, @, a tab or a\n"
               "carriage return, which a spreadsheet would run as a formula, is written after an\n"
               "apostrophe ('), and so is a text starting with an apostrophe of its own; import\n"
               "removes that one apostrophe again. A number such as -5 is written as it is and\n"
               "stays a number. A spreadsheet may show the apostrophe.\n"),
          "\n",
          VX_N("With -o the file is written under a hidden temporary name beside OUT and renamed\n"
               "over it once complete, so OUT is replaced whole or left as it was. OUT may not be\n"
               "the module by any name, nor a folder, a pipe or a device.\n"),
          kReadOnlyNote, "\n", kOptions,
          VX_N("  --format F           csv (the default), aiken, gift or opentdb\n"
               "  --spreadsheet        CSV for spreadsheets: UTF-8 after a byte-order mark, which\n"
               "                       spreadsheets need to show accents right, and fields\n"
               "                       separated by ';' where the locale writes a decimal comma\n"
               "                       (LC_NUMERIC), by ',' elsewhere; import reads it back\n"
               "  --separator S        with --spreadsheet: ';' or ',' whatever the locale\n"
               "  -o, --output FILE    write to FILE instead of the standard output (- for the\n"
               "                       standard output)\n")},
         {{"--format", "", true, Option::Kind::kFormat},
          {"--spreadsheet", "", false},
          {"--separator", "", true, Option::Kind::kSeparator},
          {"--output", "-o", true}},
         runExport},
        {"reset-asked",
         "reset-asked MODULE.vxm",
         VX_N("forget which questions have been asked"),
         {VX_N("Empties the module's list of asked questions, so the game may ask each one "
               "again,\nand prints how many entries it removed.\n")},
         {},
         runResetAsked},
        {"clear-scores",
         "clear-scores MODULE.vxm --yes",
         VX_N("empty the top ten"),
         {VX_N(
              "Deletes every high score of the module, in one transaction, so the next quiz night\n"
              "starts with an empty top ten. Without --yes it only says how many there are and\n"
              "changes nothing.\n"),
          "\n", kOptions, VX_N("  --yes                really delete them\n")},
         {{"--yes", "", false}},
         runClearScores},
        {"pack",
         "pack MODULE.vxm -o QUIZ.zip [--force]",
         VX_N("put a module and its media into one zip file"),
         {VX_N("Writes a package: a zip file holding the module and every picture and sound its\n"
               "questions use, each under its name relative to the module's folder, to send by "
               "mail\n"
               "or carry on a stick. A media name that gives no file (missing, outside the folder, "
               "a\n"
               "link leading out of it) is told and left out. A media file past 64 MiB, or media\n"
               "past 1 GiB together, refuse the package. The zip is written under a hidden name "
               "and\n"
               "put in place only when complete. A name without .zip gets it.\n"),
          "\n", kOptions,
          VX_N("  -o, --output ZIP     the package to write (required)\n"
               "  --force              replace ZIP if it exists\n")},
         {{"--output", "-o", true, Option::Kind::kText, true, true}, {"--force", "", false}},
         runPack},
        {"unpack",
         "unpack QUIZ.zip -o FOLDER",
         VX_N("unpack a package into a folder"),
         {VX_N(
              "Unpacks a package made by pack (or any zip holding exactly one module and its\n"
              "media) into FOLDER, made when missing, and prints the module's path on a line\n"
              "\"Module: PATH\". A package is read as hostile: it is refused, with nothing "
              "written,\n"
              "when an entry's name is absolute or holds \"..\", a backslash or a control\n"
              "character, when an entry is a link or anything but a file or a folder, encrypted,\n"
              "or damaged, when it holds no module or more than one, more than 40000 entries, a\n"
              "module past 512 MiB, a media file past 64 MiB or more than 1.5 GiB in all (counted\n"
              "as unpacked, not as its headers claim), or when any of its names is in FOLDER\n"
              "already: nothing is ever replaced. Files that are neither the module nor a picture\n"
              "or sound are skipped and told.\n"),
          "\n", kOptions, VX_N("  -o, --output FOLDER  the folder to unpack into (required)\n")},
         {{"--output", "-o", true, Option::Kind::kText, true, true}},
         runUnpack,
         VX_N("the package")},
        {"scores",
         "scores MODULE.vxm",
         VX_N("list the high scores, best first"),
         {VX_N("Lists the high scores as the game ranks them: the highest score first, and "
               "among\nequal scores the one made first.\n"),
          kReadOnlyNote},
         {},
         runScores},
    };
    return list;
}

}  // namespace vexlor::authoring
