// The commands that read a file of questions: create, add and import-check.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <optional>
#include <string_view>

#include "authoring/csv.h"
#include "authoring/import.h"
#include "authoring/module_check.h"
#include "authoring/module_file.h"
#include "authoring/question_csv.h"
#include "text/text.h"
#include "vexlor-module/command_line.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

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
            if (problem.breaksGame && !problem.mediaMissing)
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
    if (arguments.has("--encoding") &&
        encodingNamed(arguments.value("--encoding")) == TextEncoding::kWindows1252)
        *text = utf8FromWindows1252(*text);
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

}  // namespace

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
        where.message = quotedShort(question.text) + " -> " + quotedShort(question.answers[0]);
        out << "  " << where.describe(file) << '\n';
    }
    return result.skipped() == 0 && result.questionsNotKept == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace vexlor::authoring
