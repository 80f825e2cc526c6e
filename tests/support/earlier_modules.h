#pragma once

// Modules in the earlier Jet format for tests: the four tables with every kind of value a
// conversion must keep, and the rows of a converted module read back with their NULLs.

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "support/jet_writer.h"
#include "support/module_files.h"

namespace vexlor::testing {

/// A table's rows as stored: each cell a text or NULL.
using StoredRows = std::vector<std::vector<std::optional<std::string>>>;

/// The rows a module's table holds, in row order, NULLs as nothing.
inline StoredRows storedRows(const std::string& path, const std::string& table) {
    const Connection db = connect(path, SQLITE_OPEN_READONLY);
    StoredRows rows;
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY rowid";
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            auto& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                    row.emplace_back();
                    continue;
                }
                const auto* text = sqlite3_column_text(statement, c);
                row.emplace_back(
                    std::string(reinterpret_cast<const char*>(text),
                                static_cast<std::size_t>(sqlite3_column_bytes(statement, c))));
            }
        }
    }
    sqlite3_finalize(statement);
    return rows;
}

/// Where two tables' rows first differ, shortly; empty when they are the same.
inline std::string firstDifference(const StoredRows& actual, const StoredRows& expected) {
    auto shown = [](const std::optional<std::string>& cell) {
        if (!cell) return std::string("NULL");
        return "\"" +
               (cell->size() > 60
                    ? cell->substr(0, 60) + "...(" + std::to_string(cell->size()) + " bytes)"
                    : *cell) +
               "\"";
    };
    for (std::size_t r = 0; r < std::min(actual.size(), expected.size()); ++r)
        for (std::size_t c = 0; c < std::max(actual[r].size(), expected[r].size()); ++c) {
            const auto got = c < actual[r].size() ? actual[r][c] : std::nullopt;
            const auto want = c < expected[r].size() ? expected[r][c] : std::nullopt;
            if (got != want || actual[r].size() != expected[r].size())
                return "row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1) + ": " +
                       shown(got) + " instead of " + shown(want);
        }
    if (actual.size() != expected.size())
        return std::to_string(actual.size()) + " rows instead of " +
               std::to_string(expected.size());
    return {};
}

/// The rows of a fixture table that are not deleted: what a conversion must give.
inline StoredRows liveRows(const jet::Table& table) {
    StoredRows rows;
    for (const jet::Row& row : table.rows)
        if (!row.deleted) rows.push_back(row.cells);
    return rows;
}

/// The four tables of a module with every kind of value: texts of the format's character set
/// (beyond Latin letters when `unicode`), NULLs beside empty texts, a memo of 10,000 characters
/// spanning pages, `questions` questions over many pages, and deleted rows among them.
inline std::vector<jet::Table> richModuleTables(int questions, bool unicode) {
    const std::string accented = unicode ? "Ελληνικά — ☃ été" : "Qu'est-ce qu'un élève — ½ œ €";
    jet::Table main{"MainData", jet::moduleColumns("MainData"), {}};
    for (int i = 1; i <= questions; ++i) {
        const std::string n = std::to_string(i);
        jet::Row row{{"Question " + n + " " + accented, "Right " + n, "Wrong " + n + "a",
                      "Wrong " + n + "b", "Wrong " + n + "c", std::to_string(i * 10), ""},
                     i % 7 == 3};
        if (i == 2) row.cells[6] = std::nullopt;                        // no media, as NULL
        if (i == 4) row.cells[6] = "picture" + n + ".gif";              // media
        if (i == 5) row.cells[0] = std::string(10000, 'm') + accented;  // a long memo
        if (i == 6) row.cells[3] = "";            // an empty answer stays empty
        if (i == 8) row.cells[5] = std::nullopt;  // NULL points
        main.rows.push_back(row);
    }
    jet::Table properties{"Propriete",
                          jet::moduleColumns("Propriete"),
                          {{{"Quiz d'été " + accented, std::nullopt, "", "1999"}}}};
    jet::Table asked{"Use", jet::moduleColumns("Use"), {{{"2"}}, {{"5"}, true}, {{"4"}}}};
    jet::Table scores{"HScore", jet::moduleColumns("HScore"), {}};
    const char* names[] = {"Zoë", "José", "Anaïs", "Björn", "Łukasz"};
    for (int i = 0; i < 12; ++i)
        scores.rows.push_back(
            {{std::string(unicode || i % 5 != 4 ? names[i % 5] : "Lukasz"),
              "Jan/" + std::to_string(10 + i) + "/2003", "00" + std::to_string(100 + i * 37)},
             i == 6});
    return {main, properties, asked, scores};
}

}  // namespace vexlor::testing
