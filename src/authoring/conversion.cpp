#include "authoring/conversion.h"

#include "modules/module_database.h"
#include "modules/transaction.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using modules::ModuleDatabase;
using modules::RowInserter;
using modules::TableFormat;

namespace {

std::string tooManyQuestions(std::int64_t count) {
    // TRANSLATORS: said of an old module being converted; %1 is the most questions the game
    // counts, %2 how many were read.
    return i18n::fill(i18n::tx("it holds more than %1 questions, the most the game counts (%2 read "
                               "so far); nothing is left out, so it is not converted"),
                      {std::to_string(kMaxQuestions), std::to_string(count)});
}

Error noTitle() {
    return Error(ErrorKind::kNotAModule,
                 i18n::tx("its properties have no title, so the game does not take it as a "
                          "module"));
}

Properties propertiesOf(std::span<const Cell> cells) {
    auto text = [&](std::size_t i) { return cells[i].value_or(""); };
    return {text(0), text(1), text(2), text(3)};
}

// Copies one table, row by row; `checked` looks at each row first (and may refuse it).
Status copyTable(ModuleSource& source, ModuleDatabase& database, const TableFormat& table,
                 std::int64_t& count,
                 const std::function<Status(std::span<const Cell>)>& checked = {}) {
    RowInserter inserter(database, table);
    Status read = source.readRows(table, [&](std::span<const Cell> cells) -> Status {
        if (checked) {
            if (Status ok = checked(cells); !ok) return ok;
        }
        ++count;
        return inserter.add(cells);
    });
    if (!read) return read;
    return inserter.finish();
}

}  // namespace

Result<Converted> writeConverted(const fs::path& out, ModuleSource& source, bool replace) {
    Converted converted;
    Status built = buildNewModule(out, replace, [&](ModuleDatabase& database) -> Status {
        // The index of a million scores is sorted in memory, not in temporary files.
        if (Status set = database.execute("PRAGMA temp_store = MEMORY;"); !set) return set;
        modules::Transaction transaction(database);
        if (!transaction.active()) return transaction.begun();
        // The indexes are made after the rows: sorting once costs far less than keeping them
        // in order row by row.
        if (Status made = database.execute(modules::createStatements(false)); !made) return made;
        // The properties first: a module without a title is not converted at all.
        if (Status copied =
                copyTable(source, database, modules::kPropertiesTable, converted.properties,
                          [&](std::span<const Cell> cells) -> Status {
                              if (converted.properties == 0 && propertiesOf(cells).title.empty())
                                  return noTitle();
                              return Status::success();
                          });
            !copied)
            return copied;
        if (converted.properties == 0) return noTitle();
        if (Status copied =
                copyTable(source, database, modules::kQuestionsTable, converted.questions,
                          [&](std::span<const Cell>) -> Status {
                              if (converted.questions >= kMaxQuestions)
                                  return Error(tooManyQuestions(converted.questions + 1));
                              return Status::success();
                          });
            !copied)
            return copied;
        if (Status copied = copyTable(source, database, modules::kAskedTable, converted.asked);
            !copied)
            return copied;
        if (Status copied = copyTable(source, database, modules::kScoresTable, converted.scores);
            !copied)
            return copied;
        if (Status indexed = database.execute(std::string(modules::kIndexStatements)); !indexed)
            return indexed;
        return transaction.commit();
    });
    if (!built) return built.error();
    return converted;
}

Result<SourceContent> readSource(ModuleSource& source) {
    SourceContent content;
    Status read = source.readRows(modules::kPropertiesTable, [&](std::span<const Cell> cells) {
        content.properties.push_back(propertiesOf(cells));
        return Status::success();
    });
    if (!read) return read.error();
    read = source.readRows(modules::kQuestionsTable, [&](std::span<const Cell> cells) -> Status {
        if (static_cast<std::int64_t>(content.questions.size()) >= kMaxQuestions)
            return Error(tooManyQuestions(kMaxQuestions + 1));
        std::vector<std::string> fields;
        for (const Cell& cell : cells) fields.push_back(cell.value_or(""));
        content.questions.push_back(Question::fromFields(fields));
        return Status::success();
    });
    if (!read) return read.error();
    const std::pair<const TableFormat*, std::int64_t*> counted[] = {
        {&modules::kAskedTable, &content.asked}, {&modules::kScoresTable, &content.scores}};
    for (const auto& [table, count] : counted) {
        std::int64_t* into = count;
        read = source.readRows(*table, [into](std::span<const Cell>) {
            ++*into;
            return Status::success();
        });
        if (!read) return read.error();
    }
    return content;
}

}  // namespace vexlor::authoring
