// The commands on a module: info, check, export, reset-asked, clear-scores and scores.

#include <langinfo.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <optional>
#include <string_view>

#include "authoring/csv.h"
#include "authoring/export.h"
#include "authoring/file_write.h"
#include "authoring/import.h"
#include "authoring/module_check.h"
#include "authoring/module_file.h"
#include "authoring/question_csv.h"
#include "authoring/question_import.h"
#include "text/i18n.h"
#include "text/text.h"
#include "vexlor-module/command_line.h"
#include "vexlor-module/commands.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

// --- info -----------------------------------------------------------------------------------

namespace {

void printInfo(std::ostream& out, const Properties& shown, const std::int64_t (&counts)[3]) {
    // TRANSLATORS: the lines of "vexlor-module info"; %1 is the value.
    out << i18n::fill(i18n::tx("Title: %1"), {shown.title}) << '\n'
        << i18n::fill(i18n::tx("Author: %1"), {shown.author}) << '\n'
        << i18n::fill(i18n::tx("Company: %1"), {shown.company}) << '\n'
        << i18n::fill(i18n::tx("Year: %1"), {shown.year}) << '\n'
        << i18n::fill(i18n::tx("Questions: %1"), {std::to_string(counts[0])}) << '\n'
        << i18n::fill(i18n::tx("Asked: %1"), {std::to_string(counts[1])}) << '\n'
        << i18n::fill(i18n::tx("High scores: %1"), {std::to_string(counts[2])}) << '\n';
}

Properties firstOf(const std::vector<Properties>& properties) {
    return properties.empty() ? Properties{} : properties.front();
}

}  // namespace

int runInfo(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    EarlierContent earlier;
    if (auto read = readEarlierModule(arguments.positionals[0], err, earlier)) {
        if (*read != kExitSuccess) return *read;
        const SourceContent& content = earlier.content;
        // TRANSLATORS: %1 is "in the earlier module format (Jet 4)", %2 "vexlor-module".
        out << i18n::fill(i18n::tx("Format: %1, read as it stands; %2 convert converts it"),
                          {earlier.formatLine, kProgram})
            << '\n';
        printInfo(
            out, firstOf(content.properties),
            {static_cast<std::int64_t>(content.questions.size()), content.asked, content.scores});
        return kExitSuccess;
    }
    auto module = ModuleStore::open(arguments.positionals[0]);
    if (!module) return fail(err, module.error());
    auto properties = module->properties();
    if (!properties) return fail(err, properties.error());

    std::int64_t counts[3];
    const ModuleStore::Table tables[3] = {ModuleStore::Table::kQuestions,
                                          ModuleStore::Table::kAsked, ModuleStore::Table::kScores};
    for (int i = 0; i < 3; ++i) {
        auto count = module->rowCount(tables[i]);
        if (!count) return fail(err, count.error());
        counts[i] = *count;
    }
    printInfo(out, firstOf(*properties), counts);
    return kExitSuccess;
}

// --- check ----------------------------------------------------------------------------------

int runCheck(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path path = arguments.positionals[0];
    EarlierContent earlier;
    std::vector<Properties> properties;
    std::vector<Question> questions;
    if (auto read = readEarlierModule(path, err, earlier)) {
        if (*read != kExitSuccess) return *read;
        out << path.string() << ": "
            << i18n::fill(i18n::tx("%1, checked as it stands"), {earlier.formatLine}) << '\n';
        properties = std::move(earlier.content.properties);
        questions = std::move(earlier.content.questions);
    } else {
        auto module = ModuleStore::open(path);
        if (!module) return fail(err, module.error());
        auto readProperties = module->properties();
        if (!readProperties) return fail(err, readProperties.error());
        auto readQuestions = module->questions();
        if (!readQuestions) return fail(err, readQuestions.error());
        properties = std::move(*readProperties);
        questions = std::move(*readQuestions);
    }

    const CheckReport report = checkModule(properties, questions, folderOf(path));
    if (report.ok()) {
        out << report.summary() << '\n';
        return kExitSuccess;
    }
    for (const std::string& problem : report.problems) out << problem << '\n';
    return kExitFailure;
}

// --- export ---------------------------------------------------------------------------------

namespace {

// The separator a spreadsheet expects where the user's locale writes numbers: ';' with a
// decimal comma. Asked without changing the program's own locale.
char localeSeparator() {
    const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) return ',';
    const char separator = spreadsheetSeparator(nl_langinfo_l(RADIXCHAR, user));
    freelocale(user);
    return separator;
}

}  // namespace

int runExport(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const fs::path path = arguments.positionals[0];
    EarlierContent earlier;
    Result<std::vector<Question>> questions = std::vector<Question>{};
    if (auto read = readEarlierModule(path, err, earlier)) {
        if (*read != kExitSuccess) return *read;
        questions = std::move(earlier.content.questions);
    } else {
        auto module = ModuleStore::open(path);
        if (!module) return fail(err, module.error());
        questions = module->questions();
        if (!questions) return fail(err, questions.error());
    }
    const ImportFormat format =
        arguments.has("--format")
            ? formatNamed(arguments.value("--format")).value_or(ImportFormat::kCsv)
            : ImportFormat::kCsv;
    const bool spreadsheet = arguments.has("--spreadsheet");
    if ((spreadsheet || arguments.has("--separator")) && format != ImportFormat::kCsv)
        return fail(err, std::string(i18n::tx("--spreadsheet and --separator are for CSV only")));
    if (arguments.has("--separator") && !spreadsheet)
        return fail(err, std::string(i18n::tx("--separator is given with --spreadsheet")));
    const ExportResult exported =
        spreadsheet ? exportSpreadsheetCsv(*questions, arguments.has("--separator")
                                                           ? arguments.value("--separator")[0]
                                                           : localeSeparator())
                    : exportQuestions(format, *questions);

    const bool toFile = arguments.has("--output") && arguments.value("--output") != "-";
    if (toFile) {
        const fs::path target = arguments.value("--output");
        if (Status written = writeWholeFile(target, exported.text, path, "the module"); !written)
            return fail(err, written.error());
    }
    // Said once the file is written, as nothing is said of a file that could not be.
    for (const ExportLoss& loss : exported.losses)
        // TRANSLATORS: what an export could not keep; %1 the question's number, %2 its text
        // (shortened, in quotes), %3 what was lost.
        err << path.string() << ": "
            << i18n::fill(i18n::tx("question %1 %2: %3"),
                          {std::to_string(loss.question + 1),
                           quotedShort((*questions)[loss.question].text), loss.message})
            << '\n';
    if (!toFile) {
        out << exported.text;
        return kExitSuccess;
    }
    const std::size_t leftOut =
        static_cast<std::size_t>(std::count_if(exported.losses.begin(), exported.losses.end(),
                                               [](const auto& loss) { return loss.leftOut; }));
    const auto written = static_cast<std::int64_t>(exported.written);
    out << i18n::fill(i18n::txn("exported %1 question to %2", "exported %1 questions to %2",
                                static_cast<unsigned long>(written)),
                      {std::to_string(written), arguments.value("--output")});
    if (leftOut > 0)
        out << counted(static_cast<std::int64_t>(leftOut),
                       i18n::txn(" (%1 left out)", " (%1 left out)", leftOut));
    out << '\n';
    return kExitSuccess;
}

// --- reset-asked ----------------------------------------------------------------------------

int runResetAsked(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    auto module = ModuleStore::open(arguments.positionals[0], ModuleStore::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    auto removed = module->clearAsked();
    if (!removed) return fail(err, removed.error());
    out << counted(*removed, i18n::txn("removed %1 entry from the list of asked questions",
                                       "removed %1 entries from the list of asked questions",
                                       static_cast<unsigned long>(*removed)))
        << '\n';
    return kExitSuccess;
}

// --- clear-scores ---------------------------------------------------------------------------

int runClearScores(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    const std::string& path = arguments.positionals[0];
    if (!arguments.has("--yes")) {
        auto module = ModuleStore::open(path);
        if (!module) return fail(err, module.error());
        auto count = module->rowCount(ModuleStore::Table::kScores);
        if (!count) return fail(err, count.error());
        if (*count == 0) {
            out << i18n::tx("no high scores to clear") << '\n';
            return kExitSuccess;
        }
        // TRANSLATORS: %1 the module, %2 the count, %3 the command line to run.
        return fail(err, i18n::fill(i18n::txn("%1 holds %2 high score; nothing was cleared. To "
                                              "delete them for good, run:\n  %3",
                                              "%1 holds %2 high scores; nothing was cleared. To "
                                              "delete them for good, run:\n  %3",
                                              static_cast<unsigned long>(*count)),
                                    {path, std::to_string(*count),
                                     std::string(kProgram) + " clear-scores " + path + " --yes"}));
    }
    auto module = ModuleStore::open(path, ModuleStore::Access::kReadWrite);
    if (!module) return fail(err, module.error());
    auto removed = module->clearScores();
    if (!removed) return fail(err, removed.error());
    out << counted(*removed, i18n::txn("removed %1 high score", "removed %1 high scores",
                                       static_cast<unsigned long>(*removed)))
        << '\n';
    return kExitSuccess;
}

namespace {

// --- scores ---------------------------------------------------------------------------------

void padded(std::ostream& out, const std::string& text, std::size_t width) {
    out << text;
    for (std::size_t shown = text::utf8Length(text); shown < width; ++shown) out << ' ';
}

}  // namespace

int runScores(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    auto module = ModuleStore::open(arguments.positionals[0]);
    if (!module) return fail(err, module.error());
    auto scores = module->scoresBestFirst();
    if (!scores) return fail(err, scores.error());
    if (scores->empty()) {
        out << i18n::tx("no high scores yet") << '\n';
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

}  // namespace vexlor::authoring
