#include "vexlor-module/commands.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <optional>
#include <string_view>

#include <CLI/CLI.hpp>

#include "text/text.h"
#include "vexlor-module/csv.h"
#include "vexlor-module/import.h"
#include "vexlor-module/module_check.h"
#include "vexlor-module/module_file.h"
#include "vexlor-module/question_csv.h"

namespace vexlor::authoring {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "vexlor-module";

struct Option {
    std::string_view name;   ///< "--title"
    std::string_view alias;  ///< a short form such as "-o", or empty
    bool takesValue;
    enum class Kind { kText, kPoints, kFormat, kEncoding } kind = Kind::kText;
};

constexpr int kMaxPoints = 1000000;

/// A command line after its options have been sorted out.
struct Arguments {
    std::vector<std::string> positionals;
    std::map<std::string, std::string, std::less<>> values;  ///< by long option name

    bool has(std::string_view option) const { return values.find(option) != values.end(); }
    std::string value(std::string_view option) const {
        auto found = values.find(option);
        return found == values.end() ? std::string() : found->second;
    }
};

/// What is wrong with a command line.
struct UsageError {
    std::string message;
};

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::string_view summary;
    std::string_view details;
    std::vector<Option> options;
    int (*run)(const Arguments&, std::ostream& out, std::ostream& err);
};

int fail(std::ostream& err, const std::string& message) {
    err << message << '\n';
    return kExitFailure;
}

std::string plural(std::int64_t count, const char* singular, const char* several) {
    return std::to_string(count) + " " + (count == 1 ? singular : several);
}

// --- importing questions ---------------------------------------------------------------------

std::string formatTitle(ImportFormat format) {
    switch (format) {
        case ImportFormat::kAiken:
            return "Aiken";
        case ImportFormat::kGift:
            return "GIFT";
        case ImportFormat::kOpenTdb:
            return "Open Trivia DB JSON";
        case ImportFormat::kCsv:
            break;
    }
    return "CSV";
}

struct Imported {
    ImportFormat format;
    ImportResult result;
};

// Text in Windows-1252 (or Latin-1, whose printable characters it shares) as UTF-8: what a
// spreadsheet saves as plain "CSV" on Windows.
std::string fromWindows1252(std::string_view text) {
    // 0x80 to 0x9F; the five bytes Windows leaves undefined keep their Latin-1 meaning.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

fs::path folderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

bool isEmptyRow(const Question& question) {
    for (const std::string& field : question.fields())
        if (!importing::trim(field).empty()) return false;
    return true;
}

// Holds the questions read to the rules of check, media looked up in `mediaFolder`: an empty
// row is dropped, a question the game cannot ask as meant is skipped (or, when `strict`,
// refuses the file), anything else is a warning. Tells `report` all this and what the reader
// skipped, in file order; gives false when the file is refused.
bool screen(ImportResult& result, const std::string& file, const fs::path& mediaFolder, bool strict,
            std::ostream& report) {
    std::vector<ImportProblem> said;
    for (ImportProblem problem : result.problems) {
        problem.message += " (skipped)";
        said.push_back(std::move(problem));
    }
    std::vector<Question> kept;
    std::vector<ImportProblem> keptPlaces;
    for (std::size_t i = 0; i < result.questions.size(); ++i) {
        Question& question = result.questions[i];
        ImportProblem where = i < result.places.size() ? result.places[i] : ImportProblem{};
        if (isEmptyRow(question)) {
            where.message = "an empty row, skipped";
            said.push_back(std::move(where));
            continue;
        }
        std::string broken;
        std::vector<ImportProblem> warnings;
        for (const QuestionProblem& problem : checkQuestion(question, mediaFolder)) {
            if (problem.breaksGame)
                broken += (broken.empty() ? "" : "; ") + problem.message;
            else
                warnings.push_back({where.line, where.place, "warning: " + problem.message});
        }
        if (!broken.empty()) {
            where.message = broken;
            if (strict) {
                report << where.describe(file) << '\n'
                       << file << ": refused as a whole (--strict)\n";
                return false;
            }
            said.push_back({where.line, where.place, broken + " (skipped)"});
            result.skip(std::move(where));
            continue;
        }
        said.insert(said.end(), warnings.begin(), warnings.end());
        kept.push_back(std::move(question));
        keptPlaces.push_back(std::move(where));
    }
    result.questions = std::move(kept);
    result.places = std::move(keptPlaces);
    std::stable_sort(said.begin(), said.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    for (const ImportProblem& problem : said) report << problem.describe(file) << '\n';
    return true;
}

// Reads a question file as the options ask and screens its questions, media looked up in
// `mediaFolder`, telling `report` about every question skipped or doubtful. Gives nothing, and
// says why, when the file cannot be used at all.
std::optional<Imported> importQuestions(const Arguments& arguments, const std::string& file,
                                        const fs::path& mediaFolder, std::ostream& report) {
    auto text = readImportFile(file);
    if (!text) {
        report << text.error() << '\n';
        return std::nullopt;
    }
    if (arguments.has("--encoding") && arguments.value("--encoding") != "utf-8")
        *text = fromWindows1252(*text);
    const auto format = arguments.has("--format") ? formatNamed(arguments.value("--format"))
                                                  : guessFormat(file, *text);
    if (!format) {
        report << file << ": cannot tell its format; give --format csv, aiken, gift or opentdb\n";
        return std::nullopt;
    }
    ImportSettings settings;
    const std::pair<const char*, int*> points[] = {{"--points", &settings.points},
                                                   {"--easy-points", &settings.easyPoints},
                                                   {"--medium-points", &settings.mediumPoints},
                                                   {"--hard-points", &settings.hardPoints}};
    for (const auto& [option, value] : points)
        if (arguments.has(option)) *value = std::stoi(arguments.value(option));

    Imported imported{*format, readQuestions(*format, *text, settings)};
    ImportResult& result = imported.result;
    if (result.fatal) {
        report << result.fatal->describe(file) << '\n';
        return std::nullopt;
    }
    const bool strict = arguments.has("--strict");
    if (strict && !result.problems.empty()) {
        report << result.problems.front().describe(file) << '\n'
               << file << ": refused as a whole (--strict)\n";
        return std::nullopt;
    }
    if (!screen(result, file, mediaFolder, strict, report)) return std::nullopt;
    if (result.problemsNotKept > 0)
        report << file << ": " << result.problemsNotKept << " more questions skipped\n";
    if (result.questions.empty()) {
        report << file << ": no question in it can be used\n";
        return std::nullopt;
    }
    return imported;
}

std::string skippedNote(const ImportResult& result) {
    if (result.skipped() == 0) return "";
    return " (" + std::to_string(result.skipped()) + " skipped)";
}

// --- create ---------------------------------------------------------------------------------

// The game's Open dialog lists only files ending in .vxm.
bool hasModuleExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".vxm";
}

int runCreate(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    fs::path target = arguments.positionals[0];
    if (!hasModuleExtension(target)) {
        target += ".vxm";
        out << "named the module " << target.string()
            << ", as the game's Open dialog lists only .vxm files\n";
    }
    auto imported =
        importQuestions(arguments, arguments.value("--questions"), folderOf(target), err);
    if (!imported) return kExitFailure;
    const auto& questions = imported->result.questions;
    const Properties properties{arguments.value("--title"), arguments.value("--author"),
                                arguments.value("--company"), arguments.value("--year")};
    Status written = writeModule(target, properties, questions, arguments.has("--force"),
                                 imported->result.questionsNotKept);
    if (!written) return fail(err, written.error());
    out << "created " << target.string() << " with "
        << plural(static_cast<std::int64_t>(questions.size()), "question", "questions")
        << skippedNote(imported->result) << '\n';
    return kExitSuccess;
}

// --- add ------------------------------------------------------------------------------------

int runAdd(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    // The file is read first, so a module is not even opened for a file that gives nothing.
    auto imported = importQuestions(arguments, arguments.value("--questions"),
                                    folderOf(arguments.positionals[0]), err);
    if (!imported) return kExitFailure;
    auto module = ModuleFile::open(arguments.positionals[0], ModuleFile::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    const auto& questions = imported->result.questions;
    auto total = module->appendQuestions(questions, imported->result.questionsNotKept);
    if (!total) return fail(err, total.error());
    out << "added " << plural(static_cast<std::int64_t>(questions.size()), "question", "questions")
        << skippedNote(imported->result) << " to " << module->path().string()
        << ", which now holds " << *total << '\n';
    return kExitSuccess;
}

// --- import-check ---------------------------------------------------------------------------

// A text on one line, cut after 60 characters, in quotes.
std::string shortened(const std::string& text) {
    std::string line;
    std::size_t characters = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++characters > 60) {
            line += "...";
            break;
        }
        line += c == '\n' || c == '\r' ? ' ' : c;
    }
    return "\"" + line + "\"";
}

int runImportCheck(const Arguments& arguments, std::ostream& out, std::ostream&) {
    const std::string file = arguments.positionals[0];
    auto imported = importQuestions(arguments, file, folderOf(file), out);
    if (!imported) return kExitFailure;
    const ImportResult& result = imported->result;
    out << file << ": " << formatTitle(imported->format) << ", "
        << plural(static_cast<std::int64_t>(result.usable()), "question", "questions")
        << " to import" << skippedNote(result) << '\n';
    if (result.questionsNotKept > 0)
        out << file << ": more than the " << kMaxQuestions
            << " questions the game counts in a module\n";
    if (result.categoryCounts.size() > 1 || !result.categoryCounts.begin()->first.empty())
        for (const auto& [category, count] : result.categoryCounts)
            out << "  " << (category.empty() ? "(no category)" : category) << ": " << count << '\n';
    // A column mix-up shows here, before anything is written.
    const std::size_t shown = std::min<std::size_t>(3, result.questions.size());
    out << (shown == 1 ? std::string("The first question")
                       : "The first " + std::to_string(shown) + " questions")
        << ", with the answer taken as the right one:\n";
    for (std::size_t i = 0; i < shown; ++i) {
        const Question& question = result.questions[i];
        ImportProblem where = i < result.places.size() ? result.places[i] : ImportProblem{};
        where.message = shortened(question.text) + " -> " + shortened(question.answers[0]);
        out << "  " << where.describe(file) << '\n';
    }
    return result.skipped() == 0 && result.questionsNotKept == 0 ? kExitSuccess : kExitFailure;
}

// --- info -----------------------------------------------------------------------------------

int runInfo(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    auto module = ModuleFile::open(arguments.positionals[0]);
    if (!module) return fail(err, module.error());
    auto properties = module->properties();
    if (!properties) return fail(err, properties.error());
    const Properties shown = properties->empty() ? Properties{} : properties->front();

    std::int64_t counts[3];
    const ModuleFile::Table tables[3] = {ModuleFile::Table::kQuestions, ModuleFile::Table::kAsked,
                                         ModuleFile::Table::kScores};
    for (int i = 0; i < 3; ++i) {
        auto count = module->rowCount(tables[i]);
        if (!count) return fail(err, count.error());
        counts[i] = *count;
    }
    out << "Title: " << shown.title << '\n'
        << "Author: " << shown.author << '\n'
        << "Company: " << shown.company << '\n'
        << "Year: " << shown.year << '\n'
        << "Questions: " << counts[0] << '\n'
        << "Asked: " << counts[1] << '\n'
        << "High scores: " << counts[2] << '\n';
    return kExitSuccess;
}

// --- check ----------------------------------------------------------------------------------

int runCheck(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path path = arguments.positionals[0];
    auto module = ModuleFile::open(path);
    if (!module) return fail(err, module.error());
    auto properties = module->properties();
    if (!properties) return fail(err, properties.error());
    auto questions = module->questions();
    if (!questions) return fail(err, questions.error());

    const CheckReport report = checkModule(*properties, *questions, folderOf(path));
    if (report.ok()) {
        out << report.summary() << '\n';
        return kExitSuccess;
    }
    for (const std::string& problem : report.problems) out << problem << '\n';
    return kExitFailure;
}

// --- export ---------------------------------------------------------------------------------

int runExport(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path path = arguments.positionals[0];
    auto module = ModuleFile::open(path);
    if (!module) return fail(err, module.error());
    auto questions = module->questions();
    if (!questions) return fail(err, questions.error());
    const std::string csv = questionsCsv(*questions);

    if (!arguments.has("--output") || arguments.value("--output") == "-") {
        out << csv;
        return kExitSuccess;
    }
    const fs::path target = arguments.value("--output");
    std::error_code error;
    if (fs::equivalent(target, path, error))
        return fail(err, target.string() + ": is the module itself");
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (!file) return fail(err, target.string() + ": cannot be written");
    file << csv;
    file.close();
    if (!file) return fail(err, target.string() + ": cannot be written completely");
    out << "exported "
        << plural(static_cast<std::int64_t>(questions->size()), "question", "questions") << " to "
        << target.string() << '\n';
    return kExitSuccess;
}

// --- reset-asked ----------------------------------------------------------------------------

int runResetAsked(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    auto module = ModuleFile::open(arguments.positionals[0], ModuleFile::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    auto removed = module->clearAsked();
    if (!removed) return fail(err, removed.error());
    out << "removed " << plural(*removed, "entry", "entries")
        << " from the list of asked questions\n";
    return kExitSuccess;
}

// --- clear-scores ---------------------------------------------------------------------------

int runClearScores(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.positionals[0];
    if (!arguments.has("--yes")) {
        auto module = ModuleFile::open(path);
        if (!module) return fail(err, module.error());
        auto count = module->rowCount(ModuleFile::Table::kScores);
        if (!count) return fail(err, count.error());
        if (*count == 0) {
            out << "no high scores to clear\n";
            return kExitSuccess;
        }
        return fail(err, path + " holds " + plural(*count, "high score", "high scores") +
                             "; nothing was cleared. To delete them for good, run:\n  " +
                             std::string(kProgram) + " clear-scores " + path + " --yes");
    }
    auto module = ModuleFile::open(path, ModuleFile::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    auto removed = module->clearScores();
    if (!removed) return fail(err, removed.error());
    out << "removed " << plural(*removed, "high score", "high scores") << '\n';
    return kExitSuccess;
}

// --- scores ---------------------------------------------------------------------------------

void padded(std::ostream& out, const std::string& text, std::size_t width) {
    out << text;
    for (std::size_t shown = text::utf8Length(text); shown < width; ++shown) out << ' ';
}

int runScores(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    auto module = ModuleFile::open(arguments.positionals[0]);
    if (!module) return fail(err, module.error());
    auto scores = module->scoresBestFirst();
    if (!scores) return fail(err, scores.error());
    if (scores->empty()) {
        out << "no high scores yet\n";
        return kExitSuccess;
    }
    const std::size_t rankWidth = std::to_string(scores->size()).size();
    std::size_t nameWidth = 0;
    std::size_t dateWidth = 0;
    for (const ScoreEntry& entry : *scores) {
        nameWidth = std::max(nameWidth, text::utf8Length(entry.name));
        dateWidth = std::max(dateWidth, text::utf8Length(entry.date));
    }
    for (std::size_t i = 0; i < scores->size(); ++i) {
        const ScoreEntry& entry = (*scores)[i];
        out << std::setw(static_cast<int>(rankWidth)) << i + 1 << ". ";
        padded(out, entry.name, nameWidth);
        out << "  ";
        padded(out, entry.date, dateWidth);
        out << "  " << entry.score << '\n';
    }
    return kExitSuccess;
}

// Said by every command that only reads.
#define READ_ONLY_NOTE                                                                    \
    "The module is opened read-only; one with a journal or log of an interrupted write\n" \
    "beside it is refused, as recovering it would change it.\n"

// Said by every command that reads a file of questions.
#define QUESTION_CHECKS                                                                     \
    "Each question is held to the rules of check and told with its file and line: an\n"     \
    "empty row is skipped with a note; a question the game cannot ask as meant (no text,\n" \
    "an empty or repeated answer, Points that are not a number, media the game does not\n"  \
    "use) is skipped, or refuses the file with --strict; the rest is a warning (a media\n"  \
    "file not in the module's folder, a text too long for its panel).\n"

#define IMPORT_OPTIONS                                                                         \
    "  --format F           csv, aiken, gift or opentdb; without it the format is told by\n"   \
    "                       the extension (.csv, .json, .gift, .aiken), else by the content\n" \
    "  --encoding E         utf-8 (the default), or windows-1252 or latin-1 for a file\n"      \
    "                       saved as plain \"CSV\" by a spreadsheet on Windows\n"              \
    "  --strict             refuse the whole file at its first problem; without it, each\n"    \
    "                       question that cannot be used is reported and skipped\n"            \
    "  --points N           points of each question of a file that gives none (default 100)\n" \
    "  --easy-points N      points of an easy, medium and hard Open Trivia DB question\n"      \
    "  --medium-points N    (defaults 100, 200 and 300)\n"                                     \
    "  --hard-points N\n"

std::vector<Option> withImportOptions(std::vector<Option> options) {
    using Kind = Option::Kind;
    options.insert(options.end(), {{"--format", "", true, Kind::kFormat},
                                   {"--encoding", "", true, Kind::kEncoding},
                                   {"--strict", "", false},
                                   {"--points", "", true, Kind::kPoints},
                                   {"--easy-points", "", true, Kind::kPoints},
                                   {"--medium-points", "", true, Kind::kPoints},
                                   {"--hard-points", "", true, Kind::kPoints}});
    return options;
}

// --- the command table and the command line -------------------------------------------------

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"create",
         "create OUT.vxm --title TITLE [--author A] [--company C] [--year Y] "
         "--questions FILE [IMPORT OPTIONS] [--force]",
         "make a new module from a file of questions",
         "Makes the module OUT.vxm with the given properties and the questions of the file:\n"
         "CSV, Aiken, GIFT or Open Trivia DB JSON (see import-check). A CSV file is UTF-8 with\n"
         "the header\n"
         "    Question,Reponce,False1,False2,False3,Points,Audio\n"
         "(the Audio column may be left out). Reponce is the right answer, False1-3 the wrong\n"
         "ones, Audio the name of a picture or sound file in the module's folder. Fields holding\n"
         "commas, quotes or line breaks are written in double quotes, a quote inside doubled.\n"
         "The module is written completely or not at all; it may hold at most 32767 questions.\n"
         "A name without .vxm gets it, as the game's Open dialog lists only .vxm files.\n"
         "\n" QUESTION_CHECKS "\n"
         "Options:\n"
         "  --title TITLE        the module's title, shown by the game (required, not empty)\n"
         "  --author A           the author\n"
         "  --company C          the company\n"
         "  --year Y             the year\n"
         "  --questions FILE     the questions file (required)\n"
         "  --force              replace OUT.vxm if it exists\n" IMPORT_OPTIONS,
         withImportOptions({{"--title", "", true},
                            {"--author", "", true},
                            {"--company", "", true},
                            {"--year", "", true},
                            {"--questions", "", true},
                            {"--force", "", false}}),
         runCreate},
        {"add", "add MODULE.vxm --questions FILE [IMPORT OPTIONS]",
         "add the questions of a file to a module",
         "Adds the questions of the file after the module's own, in one transaction: all of\n"
         "them or, when anything fails, none. The properties, the list of asked questions and\n"
         "the high scores stay as they are. A module may hold at most 32767 questions.\n"
         "\n" QUESTION_CHECKS "\n"
         "Options:\n"
         "  --questions FILE     the questions file (required)\n" IMPORT_OPTIONS,
         withImportOptions({{"--questions", "", true}}), runAdd},
        {"import-check", "import-check FILE [IMPORT OPTIONS]",
         "show what a file of questions would give",
         "Reads a file of questions as create and add would, writes nothing, and lists each\n"
         "question it would skip, with its line (or its place in a JSON file) and why, then\n"
         "how many questions it would import, by category. Exits with status 1 when it skips\n"
         "anything or finds nothing to import.\n"
         "\n"
         "Formats: CSV as create describes; Aiken (a question, options \"A.\" or \"A)\", a\n"
         "line \"ANSWER: B\"); GIFT multiple-choice questions ({=right ~wrong ~wrong ~wrong});\n"
         "Open Trivia DB JSON (a response or a list of results, \"multiple\" questions, in\n"
         "any of its encodings). Only questions with one right and three wrong answers fit a\n"
         "module; the others (true/false, matching, numeric...) are skipped and listed.\n"
         "Files are UTF-8 (see --encoding), at most 64 MiB. CSV may use ';' between fields\n"
         "and a header in any case. Media are looked for beside FILE. The first three\n"
         "questions are shown with the answer taken as the right one.\n"
         "\n" QUESTION_CHECKS "\n"
         "Options:\n" IMPORT_OPTIONS,
         withImportOptions({}), runImportCheck},
        {"info",
         "info MODULE.vxm",
         "show a module's properties and counts",
         "Prints the title, author, company and year of the module, then how many questions,\n"
         "asked questions and high scores it holds. The module is not changed.\n" READ_ONLY_NOTE,
         {},
         runInfo},
        {"check",
         "check MODULE.vxm",
         "find what would spoil a game",
         "Lists, one per line, every question lacking its text or an answer, having two equal\n"
         "answers, Points that do not start with a number, or media that is missing, that lies\n"
         "outside the module's folder, or that the game does not play or show (the name must\n"
         "end in mp3, mid, wav, gif, bmp or ico, all lower or all upper case), Points with\n"
         "words after the number, and a question or answer too long for its panel in the\n"
         "game's font. Also lists an\n"
         "empty title, no questions, or more than 32767. Exits with status 1 when it finds\n"
         "anything, else prints a summary.\n" READ_ONLY_NOTE,
         {},
         runCheck},
        {"export",
         "export MODULE.vxm [-o OUT.csv]",
         "write a module's questions as CSV",
         "Writes the questions as CSV, in the layout create reads, with CRLF line "
         "ends.\n" READ_ONLY_NOTE "\n"
         "Options:\n"
         "  -o, --output FILE    write to FILE instead of the standard output (- for the\n"
         "                       standard output)\n",
         {{"--output", "-o", true}},
         runExport},
        {"reset-asked",
         "reset-asked MODULE.vxm",
         "forget which questions have been asked",
         "Empties the module's list of asked questions, so the game may ask each one again,\n"
         "and prints how many entries it removed.\n",
         {},
         runResetAsked},
        {"clear-scores",
         "clear-scores MODULE.vxm --yes",
         "empty the top ten",
         "Deletes every high score of the module, in one transaction, so the next quiz night\n"
         "starts with an empty top ten. Without --yes it only says how many there are and\n"
         "changes nothing.\n"
         "\n"
         "Options:\n"
         "  --yes                really delete them\n",
         {{"--yes", "", false}},
         runClearScores},
        {"scores",
         "scores MODULE.vxm",
         "list the high scores, best first",
         "Lists the high scores as the game ranks them: the highest score first, and among\n"
         "equal scores the one made first.\n" READ_ONLY_NOTE,
         {},
         runScores},
    };
    return list;
}

const Command* findCommand(std::string_view name) {
    for (const Command& command : commands())
        if (command.name == name) return &command;
    return nullptr;
}

void printOverview(std::ostream& out) {
    out << "Usage: " << kProgram << " COMMAND [ARGUMENTS]\n"
        << "\n"
        << "Makes and inspects Vexlor Player question modules (.vxm files).\n"
        << "\n"
        << "Commands:\n";
    for (const Command& command : commands())
        out << "  " << std::left << std::setw(14) << command.name << command.summary << '\n';
    out << "  " << std::left << std::setw(14) << "help"
        << "show help for a command\n"
        << "\n"
        << "Run '" << kProgram << " help COMMAND' or '" << kProgram
        << " COMMAND --help' for details.\n"
        << "'" << kProgram << " --version' prints the version.\n"
        << "Exit status: 0 done, 1 failed (or check found problems), 2 wrong command line.\n";
}

void printCommandHelp(const Command& command, std::ostream& out) {
    out << "Usage: " << kProgram << " " << command.synopsis << "\n\n" << command.details;
}

int usageError(std::ostream& err, std::string_view command, const std::string& message) {
    err << kProgram;
    if (!command.empty()) err << ' ' << command;
    err << ": " << message << '\n'
        << "Try '" << kProgram << (command.empty() ? " --help" : " help " + std::string(command))
        << "'.\n";
    return kExitUsage;
}

std::optional<UsageError> parseArguments(const Command& command,
                                         const std::vector<std::string>& words,
                                         Arguments& arguments) {
    CLI::App app;
    app.set_help_flag();  // help is answered before parsing, with the tool's own texts
    std::map<std::string, std::string> given;
    const CLI::Validator points(
        [](std::string& text) {
            const bool whole = !text.empty() && text.size() <= 7 &&
                               text.find_first_not_of("0123456789") == std::string::npos;
            return whole && std::stoi(text) <= kMaxPoints
                       ? std::string()
                       : "points must be a whole number from 0 to " + std::to_string(kMaxPoints);
        },
        "N");
    for (const Option& option : command.options) {
        const std::string name(option.name);
        const std::string names =
            option.alias.empty() ? name : std::string(option.alias) + "," + name;
        if (!option.takesValue) {
            app.add_flag(names);
            continue;
        }
        CLI::Option* added = app.add_option(names, given[name]);
        if (option.kind == Option::Kind::kPoints) added->check(points);
        if (option.kind == Option::Kind::kFormat)
            added->check(CLI::IsMember({"csv", "aiken", "gift", "opentdb"}));
        if (option.kind == Option::Kind::kEncoding)
            added->check(CLI::IsMember({"utf-8", "windows-1252", "latin-1"}));
    }
    app.add_option("file", arguments.positionals);
    try {
        app.parse(std::vector<std::string>(words.rbegin(), words.rend()));
    } catch (const CLI::ParseError& error) {
        return UsageError{error.what()};
    }
    for (const Option& option : command.options) {
        const std::string name(option.name);
        if (app.count(name) > 1) return UsageError{"option " + name + " given twice"};
        if (app.count(name) == 1) arguments.values[name] = given[name];
    }
    if (arguments.positionals.empty())
        return UsageError{command.name == "import-check" ? "the question file is missing"
                                                         : "the module file is missing"};
    if (arguments.positionals.size() > 1)
        return UsageError{"unexpected argument '" + arguments.positionals[1] + "'"};
    if (command.name == "create") {
        if (!arguments.has("--title")) return UsageError{"--title is required"};
        if (arguments.value("--title").empty()) return UsageError{"the title must not be empty"};
    }
    if ((command.name == "create" || command.name == "add") && !arguments.has("--questions"))
        return UsageError{"--questions is required"};
    return std::nullopt;
}

bool asksForHelp(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word == "--") return false;
        if (word == "--help" || word == "-h") return true;
    }
    return false;
}

int dispatch(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        printOverview(err);
        return kExitUsage;
    }
    const std::string& first = words[0];
    if (first == "--help" || first == "-h") {
        printOverview(out);
        return kExitSuccess;
    }
    if (first == "--version") {
        out << kProgram << " (Vexlor Player) " << VEXLOR_VERSION << '\n';
        return kExitSuccess;
    }
    if (first == "help") {
        if (words.size() == 1) {
            printOverview(out);
            return kExitSuccess;
        }
        if (words.size() > 2) return usageError(err, "help", "give one command");
        if (words[1] == "help") {
            out << "Usage: " << kProgram << " help [COMMAND]\n\nShows help for COMMAND, or the "
                << "list of commands.\n";
            return kExitSuccess;
        }
        const Command* command = findCommand(words[1]);
        if (!command) return usageError(err, "help", "unknown command '" + words[1] + "'");
        printCommandHelp(*command, out);
        return kExitSuccess;
    }
    const Command* command = findCommand(first);
    if (!command) return usageError(err, "", "unknown command '" + first + "'");

    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (asksForHelp(rest)) {
        printCommandHelp(*command, out);
        return kExitSuccess;
    }
    Arguments arguments;
    if (auto problem = parseArguments(*command, rest, arguments))
        return usageError(err, command->name, problem->message);
    return command->run(arguments, out, err);
}

}  // namespace

int runTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    try {
        return dispatch(arguments, out, err);
    } catch (const std::exception& exception) {
        err << kProgram << ": " << exception.what() << '\n';
    } catch (...) {
        err << kProgram << ": unexpected failure\n";
    }
    return kExitFailure;
}

}  // namespace vexlor::authoring
