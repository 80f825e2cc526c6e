#pragma once

// The statements run on a module's own four tables, written out once. Values are always bound
// as parameters; the only thing put into a statement is the name of a table's row id, which is
// one of three fixed words (see ModuleDatabase::rowIdName).

#include <array>
#include <string>
#include <string_view>

#include "rules/ranking.h"

namespace vexlor::modules::sql {

/// What stands for the row id's name in the statements below.
inline constexpr std::string_view kRowIdMarker = rules::ranking::kRowIdMarker;
using rules::ranking::joined;

/// The statements of one table.
struct TableStatements {
    std::string_view insert;  ///< one row: a parameter per column, in table order
    std::string_view select;  ///< every row, every column in table order, in row order
    std::string_view count;   ///< the number of rows
    std::string_view clear;   ///< removes every row
};

inline constexpr TableStatements kQuestions{
    R"(INSERT INTO "MainData" ("Question", "Reponce", "False1", "False2", "False3", "Points", )"
    R"("Audio") VALUES (?, ?, ?, ?, ?, ?, ?);)",
    R"(SELECT "Question", "Reponce", "False1", "False2", "False3", "Points", "Audio" )"
    R"(FROM "MainData" ORDER BY {rowid};)",
    R"(SELECT count(*) FROM "MainData";)",
    R"(DELETE FROM "MainData";)",
};
inline constexpr TableStatements kProperties{
    R"(INSERT INTO "Propriete" ("Title", "Author", "Company", "Year") VALUES (?, ?, ?, ?);)",
    R"(SELECT "Title", "Author", "Company", "Year" FROM "Propriete" ORDER BY {rowid};)",
    R"(SELECT count(*) FROM "Propriete";)",
    R"(DELETE FROM "Propriete";)",
};
inline constexpr TableStatements kAsked{
    R"(INSERT INTO "Use" ("Use") VALUES (?);)",
    R"(SELECT "Use" FROM "Use" ORDER BY {rowid};)",
    R"(SELECT count(*) FROM "Use";)",
    R"(DELETE FROM "Use";)",
};
inline constexpr std::string_view kEnd = ";";
inline constexpr std::string_view kScoresRanked = R"(SELECT "Nom", "Date", "Score" FROM "HScore" )"
                                                  R"(ORDER BY )";
/// High scores are selected in the game's ranking, the best first.
inline constexpr TableStatements kScores{
    R"(INSERT INTO "HScore" ("Nom", "Date", "Score") VALUES (?, ?, ?);)",
    joined<kScoresRanked, rules::ranking::kBestFirstSql, kEnd>,
    R"(SELECT count(*) FROM "HScore";)",
    R"(DELETE FROM "HScore";)",
};

/// The four tables' statements, in the order of kModuleTables.
inline constexpr std::array<TableStatements, 4> kTableStatements = {kQuestions, kProperties, kAsked,
                                                                    kScores};

/// High scores with their row ids, in row order, and the best `?` of them, best first.
inline constexpr std::string_view kScoresInRowOrder =
    R"(SELECT "Nom", "Date", "Score", {rowid} FROM "HScore" ORDER BY {rowid};)";
inline constexpr std::string_view kBestScoresHead =
    R"(SELECT "Nom", "Date", "Score", {rowid} FROM "HScore" ORDER BY )";
inline constexpr std::string_view kLimitEnd = " LIMIT ?;";
inline constexpr std::string_view kBestScores =
    joined<kBestScoresHead, rules::ranking::kBestFirstSql, kLimitEnd>;

/// The questions with their row ids, in row order.
inline constexpr std::string_view kQuestionsWithRowIds =
    R"(SELECT "Question", "Reponce", "False1", "False2", "False3", "Points", "Audio", {rowid} )"
    R"(FROM "MainData" ORDER BY {rowid};)";

/// The number of questions and the largest question row id (0 without questions).
inline constexpr std::string_view kQuestionCountAndLastRow =
    R"(SELECT count(*) FROM "MainData" UNION ALL SELECT coalesce(max({rowid}), 0) FROM "MainData";)";

/// The row ids of the questions in order, and those past a row id.
inline constexpr std::string_view kQuestionRowIds =
    R"(SELECT {rowid} FROM "MainData" ORDER BY {rowid};)";
inline constexpr std::string_view kQuestionRowIdsAfter =
    R"(SELECT {rowid} FROM "MainData" WHERE {rowid} > ? ORDER BY {rowid};)";

/// What the game reads. It plays a module whatever columns it has: {columns} stands for those of
/// the table's own columns (module_format.h) that the file has, each quoted, and a field the
/// file lacks reads as empty.
inline constexpr std::string_view kColumnsMarker = "{columns}";
inline constexpr std::string_view kFirstPropertiesRow =
    R"(SELECT {columns} FROM "Propriete" ORDER BY {rowid} LIMIT 1;)";
inline constexpr std::string_view kQuestionAtRow =
    R"(SELECT {columns} FROM "MainData" WHERE {rowid} = ?;)";

/// The editor's writes: the first properties row, a question by its row id, and questions
/// deleted many to a statement (the head, one `?` per row id separated by ", ", then kListEnd).
inline constexpr std::string_view kFirstPropertiesRowId =
    R"(SELECT {rowid} FROM "Propriete" ORDER BY {rowid} LIMIT 1;)";
inline constexpr std::string_view kUpdateProperties =
    R"(UPDATE "Propriete" SET "Title" = ?, "Author" = ?, "Company" = ?, "Year" = ? )"
    R"(WHERE {rowid} = ?;)";
inline constexpr std::string_view kUpdateQuestion =
    R"(UPDATE "MainData" SET "Question" = ?, "Reponce" = ?, "False1" = ?, "False2" = ?, )"
    R"("False3" = ?, "Points" = ?, "Audio" = ? WHERE {rowid} = ?;)";
inline constexpr std::string_view kDeleteQuestionsHead =
    R"(DELETE FROM "MainData" WHERE {rowid} IN ()";
inline constexpr std::string_view kListEnd = ");";

/// A high score deleted only while its row holds what was read.
inline constexpr std::string_view kScoreStillStored =
    R"(SELECT count(*) FROM "HScore" WHERE {rowid} = ? AND coalesce("Nom", '') = ? AND )"
    R"(coalesce("Date", '') = ? AND coalesce("Score", '') = ?;)";
inline constexpr std::string_view kDeleteScore = R"(DELETE FROM "HScore" WHERE {rowid} = ?;)";

/// The pragmas the store reads.
inline constexpr std::string_view kJournalMode = "PRAGMA journal_mode;";
inline constexpr std::string_view kDataVersion = "PRAGMA data_version;";
inline constexpr std::string_view kSchema = "SELECT type, name, rootpage FROM sqlite_master;";
inline constexpr std::string_view kQuickCheck = "PRAGMA quick_check;";

/// `statement` with `value` in place of every `marker`.
inline std::string withMarked(std::string_view statement, std::string_view marker,
                              std::string_view value) {
    std::string sql(statement);
    for (auto at = sql.find(marker); at != std::string::npos;
         at = sql.find(marker, at + value.size()))
        sql.replace(at, marker.size(), value);
    return sql;
}

/// `statement` with the row id's name in place of every kRowIdMarker.
inline std::string withRowId(std::string_view statement, std::string_view rowId) {
    return withMarked(statement, kRowIdMarker, rowId);
}

}  // namespace vexlor::modules::sql
