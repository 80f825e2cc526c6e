#pragma once

// Crafted module files: each has the four tables' names, but one of them is not an ordinary
// table, or the file holds something the program must not run. Shared by the regression tests
// (as encrypted modules) and the fuzzers' seed corpus (as plain files).

#include <sqlite3.h>

#include <string>
#include <vector>

namespace vexlor::testing {

struct HostileModule {
    std::string name;
    std::string sql;
    /// Whether a sound program may also accept the file, and then must handle it correctly.
    bool mayBeAccepted = false;
};

/// The four tables of a good module with a few rows, leaving out those whose names are given.
inline std::string ordinaryTables(const std::vector<std::string>& leftOut = {}) {
    auto wanted = [&](const std::string& table) {
        for (const auto& name : leftOut)
            if (name == table) return false;
        return true;
    };
    std::string sql;
    if (wanted("MainData"))
        sql +=
            "CREATE TABLE MainData (Question TEXT, Reponce TEXT, False1 TEXT, False2 TEXT, "
            "False3 TEXT, Points TEXT, Audio TEXT);"
            "INSERT INTO MainData VALUES ('Question 1', 'Right', 'A', 'B', 'C', '10', ''),"
            "('Question 2', 'Right', 'A', 'B', 'C', '20', '');";
    if (wanted("Propriete"))
        sql +=
            "CREATE TABLE Propriete (Title TEXT, Author TEXT, Company TEXT, Year TEXT);"
            "INSERT INTO Propriete VALUES ('Crafted', 'Ann', 'Quiz Co', '2024');";
    if (wanted("Use")) sql += "CREATE TABLE Use (Use TEXT); INSERT INTO Use VALUES ('1');";
    if (wanted("HScore"))
        sql +=
            "CREATE TABLE HScore (Nom TEXT, Date TEXT, Score TEXT);"
            "INSERT INTO HScore VALUES ('Ann', 'Jan/07/2000', '00120');";
    return sql;
}

/// A view of `rows` numbered rows (endless when `rows` is 0) with the columns of `table` and a
/// column named rowid, so that addressing records by rowid reads the view.
inline std::string numberedView(const std::string& table, const std::string& columns, long rows) {
    return "CREATE VIEW " + table +
           " AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n" +
           (rows > 0 ? " WHERE i < " + std::to_string(rows) : std::string()) +
           ") SELECT i AS rowid, " + columns + " FROM n;";
}

inline std::vector<HostileModule> hostileModules() {
    const std::string questionColumns =
        "'Question ' || i AS Question, 'Right' AS Reponce, 'A' AS False1, 'B' AS False2, "
        "'C' AS False3, '10' AS Points, '' AS Audio";
    const std::string scoreColumns =
        "'Name' AS Nom, 'Jan/07/2000' AS Date, printf('%05d', i % 100000) AS Score";
    return {
        {"propriete-view",
         ordinaryTables({"Propriete"}) +
             "CREATE TABLE props (Title TEXT, Author TEXT, Company TEXT, Year TEXT);"
             "INSERT INTO props VALUES ('Crafted', 'Ann', 'Quiz Co', '2024');"
             "CREATE VIEW Propriete AS SELECT * FROM props;"},
        {"propriete-fts-virtual-table",
         ordinaryTables({"Propriete"}) +
             "CREATE VIRTUAL TABLE Propriete USING fts4(Title, Author, Company, Year);"
             "INSERT INTO Propriete VALUES ('Crafted', 'Ann', 'Quiz Co', '2024');"},
        // A full-text index whose stored segments have been cut short and overwritten.
        {"propriete-view-over-damaged-fts",
         ordinaryTables({"Propriete"}) +
             "CREATE VIRTUAL TABLE words USING fts4(Title, Author, Company, Year);"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
             "INSERT INTO words SELECT 'Crafted quiz ' || i, 'Ann quiz', 'Quiz Co', '2024' "
             "FROM n;"
             "UPDATE words_segments SET block = substr(block, 1, length(block) / 2) || "
             "x'ffffffffff7f0000ffff';"
             "UPDATE words_segdir SET root = x'00ff' || substr(root, 3) WHERE level = 0;"
             "CREATE VIEW Propriete AS SELECT docid AS rowid, Title, Author, Company, Year "
             "FROM words "
             "WHERE words MATCH 'quiz';"},
        {"maindata-endless-view",
         ordinaryTables({"MainData"}) + numberedView("MainData", questionColumns, 0)},
        {"use-endless-view", ordinaryTables({"Use"}) + numberedView("Use", "i AS Use", 0)},
        {"hscore-endless-view",
         ordinaryTables({"HScore"}) + numberedView("HScore", scoreColumns, 0)},
        {"hscore-millions-of-sorted-rows",
         ordinaryTables({"HScore"}) + numberedView("HScore", scoreColumns, 3000000)},
        {"maindata-plain-view",
         ordinaryTables({"MainData"}) +
             "CREATE TABLE questions (Question TEXT, Reponce TEXT, False1 TEXT, False2 TEXT, "
             "False3 TEXT, Points TEXT, Audio TEXT);"
             "INSERT INTO questions VALUES ('Question 1', 'Right', 'A', 'B', 'C', '10', '');"
             "CREATE VIEW MainData AS SELECT * FROM questions;"},
        {"hscore-rtree-virtual-table",
         ordinaryTables({"HScore"}) + "CREATE VIRTUAL TABLE HScore USING rtree(id, Nom, Date);"},
        {"use-trigger-wipes-scores",
         ordinaryTables() +
             "CREATE TRIGGER wipe AFTER INSERT ON Use BEGIN DELETE FROM HScore; END;"},
        {"trigger-on-another-table",
         ordinaryTables() + "CREATE TABLE notes (text TEXT);"
                            "CREATE TRIGGER noted AFTER INSERT ON notes BEGIN SELECT 1; END;"},
        {"use-lower-case-view", ordinaryTables({"Use"}) + "CREATE VIEW use AS SELECT 1 AS Use;"},
        {"maindata-virtual-table-behind-a-comment",
         ordinaryTables({"MainData"}) +
             "CREATE VIRTUAL /* a table */ TABLE MainData USING fts4(Question, Reponce);"},
        {"hscore-without-rowid",
         ordinaryTables({"HScore"}) +
             "CREATE TABLE HScore (Nom TEXT PRIMARY KEY, Date TEXT, Score TEXT) WITHOUT ROWID;"},
        {"use-without-rowid",
         ordinaryTables({"Use"}) + "CREATE TABLE Use (Use TEXT PRIMARY KEY) WITHOUT ROWID;"
                                   "INSERT INTO Use VALUES ('1'), ('2');",
         true},
        {"use-with-rowid-column",
         ordinaryTables({"Use"}) + "CREATE TABLE Use (Use TEXT, rowid TEXT);"
                                   "INSERT INTO Use VALUES ('1', '7'), ('2', '7');",
         true},
    };
}

/// Writes a crafted module; an empty key makes a plain, unencrypted database.
inline bool writeHostileModule(const std::string& path, const HostileModule& module,
                               const std::string& key = "tov3ralu") {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    if (!key.empty()) sqlite3_key(db, key.data(), static_cast<int>(key.size()));
    const bool ok = sqlite3_exec(db, ("BEGIN;" + module.sql + "COMMIT;").c_str(), nullptr, nullptr,
                                 nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

}  // namespace vexlor::testing
