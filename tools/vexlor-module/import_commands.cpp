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
#include "authoring/question_file.h"
#include "authoring/question_import.h"
#include "text/i18n.h"
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

// The tool's options, as the way to read a file differently from what just failed; looked up
// when a file is read, as the language is chosen after the program starts.
QuestionFileHints hints() {
    // TRANSLATORS: each is added at the end of a message on a file of questions that cannot be
    // read as it is; keep the leading "; " and the options as they are.
    return {i18n::tx("; give --format csv, aiken, gift or opentdb"),
            i18n::tx("; or give --columns auto to take the columns by their names, or --columns "
                     "LIST naming them in order"),
            i18n::tx("; give --columns LIST naming the file's columns in order, such as "
                     "question,right,wrong1,wrong2,wrong3,points"),
            i18n::tx(" (--strict)")};
}

// Reads a question file as the options ask and screens its questions, media looked up in
// `mediaFolder`, telling `report` about every question skipped or doubtful. Gives nothing, and
// says why, when the file cannot be used at all.
std::optional<QuestionFile> readAsAsked(const Arguments& arguments, const std::string& file,
                                        const fs::path& mediaFolder, std::ostream& report) {
    QuestionImportOptions options;
    if (arguments.has("--format")) options.format = formatNamed(arguments.value("--format"));
    options.encoding = encodingChoice(
        arguments.has("--encoding") ? std::optional<std::string>(arguments.value("--encoding"))
                                    : std::nullopt);
    options.columnsChoice = ColumnsChoice::kModuleHeader;
    if (arguments.has("--columns")) {
        const std::string columns = arguments.value("--columns");
        if (text::equalsIgnoringCase(columns, "auto")) {
            options.columnsChoice = ColumnsChoice::kGuess;
        } else {
            options.columnsChoice = ColumnsChoice::kGiven;
            options.columns = parseColumnList(columns).value();  // checked with the options
        }
    }
    const std::pair<const char*, int*> points[] = {
        {"--points", &options.settings.points},
        {"--easy-points", &options.settings.easyPoints},
        {"--medium-points", &options.settings.mediumPoints},
        {"--hard-points", &options.settings.hardPoints}};
    for (const auto& [option, value] : points)
        if (arguments.has(option)) *value = std::stoi(arguments.value(option));
    options.strict = arguments.has("--strict");
    options.mediaFolder = mediaFolder;

    std::vector<std::string> lines;
    auto read = authoring::readQuestionFile(file, options, hints(), lines);
    for (const std::string& line : lines) report << line << '\n';
    return read;
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
        out << i18n::fill(i18n::tx("named the module %1, as the game's Open dialog lists only "
                                   ".vxm files"),
                          {target.string()})
            << '\n';
    }
    auto imported = readAsAsked(arguments, arguments.value("--questions"), folderOf(target), err);
    if (!imported) return kExitFailure;
    const auto& questions = imported->result.questions;
    const Properties properties{arguments.value("--title"), arguments.value("--author"),
                                arguments.value("--company"), arguments.value("--year")};
    Status written = writeModule(target, properties, questions, arguments.has("--force"),
                                 imported->result.questionsNotKept);
    if (!written) return fail(err, written.error());
    // TRANSLATORS: %1 the module, %2 the count, %3 a note on questions skipped (or nothing).
    out << i18n::fill(
               i18n::txn("created %1 with %2 question%3", "created %1 with %2 questions%3",
                         questions.size()),
               {target.string(), std::to_string(questions.size()), skippedNote(imported->result)})
        << '\n';
    return kExitSuccess;
}

// --- add ------------------------------------------------------------------------------------

int runAdd(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    // The file is read first, so a module is not even opened for a file that gives nothing.
    auto imported = readAsAsked(arguments, arguments.value("--questions"),
                                folderOf(arguments.positionals[0]), err);
    if (!imported) return kExitFailure;
    auto module = ModuleStore::open(arguments.positionals[0], ModuleStore::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    const auto& questions = imported->result.questions;
    auto total = module->appendQuestions(questions, imported->result.questionsNotKept);
    if (!total) return fail(err, total.error());
    // TRANSLATORS: %1 the count, %2 a note on questions skipped (or nothing), %3 the module,
    // %4 how many questions it holds now.
    out << i18n::fill(i18n::txn("added %1 question%2 to %3, which now holds %4",
                                "added %1 questions%2 to %3, which now holds %4", questions.size()),
                      {std::to_string(questions.size()), skippedNote(imported->result),
                       module->path().string(), std::to_string(*total)})
        << '\n';
    return kExitSuccess;
}

// --- import-check ---------------------------------------------------------------------------

int runImportCheck(const Arguments& arguments, std::ostream& out, std::ostream&) {
    const std::string file = arguments.positionals[0];
    auto imported = readAsAsked(arguments, file, folderOf(file), out);
    if (!imported) return kExitFailure;
    const ImportResult& result = imported->result;
    // TRANSLATORS: %1 the file's format (CSV, GIFT...), %2 the count, %3 a note on questions
    // skipped (or nothing).
    out << file << ": "
        << i18n::fill(i18n::txn("%1, %2 question to import%3", "%1, %2 questions to import%3",
                                result.usable()),
                      {formatTitle(imported->format), std::to_string(result.usable()),
                       skippedNote(result)})
        << '\n';
    if (result.questionsNotKept > 0)
        out << file << ": "
            << i18n::fill(i18n::tx("more than the %1 questions the game counts in a module"),
                          {std::to_string(kMaxQuestions)})
            << '\n';
    if (result.categoryCounts.size() > 1 || !result.categoryCounts.begin()->first.empty())
        for (const auto& [category, count] : result.categoryCounts)
            out << "  " << (category.empty() ? std::string(i18n::tx("(no category)")) : category)
                << ": " << count << '\n';
    // A column mix-up shows here, before anything is written.
    const std::size_t shown = std::min<std::size_t>(3, result.questions.size());
    out << i18n::fill(
               i18n::txn("The first question, with the answer taken as the right one:",
                         "The first %1 questions, with the answer taken as the right one:", shown),
               {std::to_string(shown)})
        << '\n';
    for (std::size_t i = 0; i < shown; ++i) {
        const Question& question = result.questions[i];
        Problem where = i < result.places.size() ? result.places[i] : Problem{};
        where.message = quotedShort(question.text) + " -> " + quotedShort(question.answers[0]);
        out << "  " << where.describe(file) << '\n';
    }
    return result.skipped() == 0 && result.questionsNotKept == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace vexlor::authoring
