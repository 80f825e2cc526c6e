#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "modules/module_sql.h"
#include "rules/ranking.h"

namespace vexlor::modules {

/// One table of a module: its name and its columns in table order. Every column holds text.
struct TableFormat {
    std::string_view name;
    std::span<const std::string_view> columns;
};

inline constexpr std::array<std::string_view, 7> kQuestionColumns = {
    "Question", "Reponce", "False1", "False2", "False3", "Points", "Audio"};
inline constexpr std::array<std::string_view, 4> kPropertyColumns = {"Title", "Author", "Company",
                                                                     "Year"};
inline constexpr std::array<std::string_view, 1> kAskedColumns = {"Use"};
inline constexpr std::array<std::string_view, 3> kScoreColumns = {"Nom", "Date", "Score"};

inline constexpr TableFormat kQuestionsTable{"MainData", kQuestionColumns};
inline constexpr TableFormat kPropertiesTable{"Propriete", kPropertyColumns};
inline constexpr TableFormat kAskedTable{"Use", kAskedColumns};
inline constexpr TableFormat kScoresTable{"HScore", kScoreColumns};

/// The four tables, in the order the authoring tool writes them.
inline constexpr std::array<TableFormat, 4> kModuleTables = {kQuestionsTable, kPropertiesTable,
                                                             kAskedTable, kScoresTable};

/// The numeric value of a score as the ranking reads it.
inline constexpr std::string_view kScoreValue = rules::ranking::kScoreValueSql;

/// The ranking of high scores (rules::ranking), used wherever scores are ordered. `rowId` names
/// the table's row id. Ascending puts the best entry last, the order in which the game walks
/// the top ten.
inline std::string scoreOrder(std::string_view rowId, bool bestFirst) {
    return sql::withRowId(bestFirst ? rules::ranking::kBestFirstSql : rules::ranking::kBestLastSql,
                          rowId);
}

inline constexpr std::string_view kIndexHead =
    "CREATE INDEX \"UseIndex\" ON \"Use\" (\"Use\");\n"
    "CREATE INDEX \"HScoreRank\" ON \"HScore\" (";
inline constexpr std::string_view kIndexEnd = ");\n";
/// Indexes the authoring tool adds: the asked-question lookup and the score ranking, so the
/// draw and the top ten cost a few page reads whatever the size of the tables. A module
/// without them reads the same, only slower.
inline constexpr std::string_view kIndexStatements =
    rules::ranking::joined<kIndexHead, kScoreValue, kIndexEnd>;

/// The statements that make an empty module's four tables, quoted as the store quotes names,
/// followed by the indexes when `withIndexes`.
inline std::string createStatements(bool withIndexes = true) {
    auto quoted = [](std::string_view name) { return "\"" + std::string(name) + "\""; };
    std::string sql;
    for (const TableFormat& table : kModuleTables) {
        sql += "CREATE TABLE " + quoted(table.name) + " (";
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            sql += (i ? ", " : "") + quoted(table.columns[i]) + " TEXT";
        sql += ");\n";
    }
    if (withIndexes) sql += kIndexStatements;
    return sql;
}

}  // namespace vexlor::modules
