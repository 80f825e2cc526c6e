#pragma once

// Module files written straight through the SQLCipher C API, not through the program's own
// module store, so the tests see the store read what any writer of the format makes.

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexlor::testing {

struct Question {
    std::string question, right, false1, false2, false3, points, audio;
};

struct ModuleContent {
    std::optional<std::vector<std::string>> properties = std::vector<std::string>{
        "Test Module", "Ann Author", "Quiz Co", "2024"};  // Title, Author, Company, Year
    std::vector<Question> questions = {};
    std::vector<std::string> used = {};
    std::vector<std::vector<std::string>> scores = {};  // Nom, Date, Score
    bool withMainData = true;
};

/// Numbered sample questions "Question 1".."Question n".
inline std::vector<Question> sampleQuestions(int n) {
    std::vector<Question> questions = {};
    for (int i = 1; i <= n; ++i) {
        const std::string k = std::to_string(i);
        questions.push_back({"Question " + k, "Right " + k, "Wrong " + k + "a", "Wrong " + k + "b",
                             "Wrong " + k + "c", std::to_string(i * 5), ""});
    }
    return questions;
}

inline bool run(sqlite3* db, const std::string& sql, const std::vector<std::string>& values = {}) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        sqlite3_bind_text(statement, static_cast<int>(i + 1), values[i].c_str(), -1,
                          SQLITE_TRANSIENT);
    const int step = sqlite3_step(statement);
    sqlite3_finalize(statement);
    return step == SQLITE_DONE || step == SQLITE_ROW;
}

/// Another program's connection to a module file, with the module key.
using Connection = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;
inline Connection connect(const std::string& path,
                          int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    sqlite3_key(db, "tov3ralu", 8);
    return Connection(db, sqlite3_close);
}

/// Every row a query gives on a connection, each column as text (NULL as empty).
inline std::vector<std::vector<std::string>> readRows(sqlite3* db, const std::string& sql) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string>& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
            }
        }
    }
    sqlite3_finalize(statement);
    return rows;
}

/// The first column of every row a query gives on a module file, read with a read-only
/// connection of its own.
inline std::vector<std::string> readColumn(const std::string& path, const std::string& sql) {
    std::vector<std::string> values;
    const Connection db = connect(path, SQLITE_OPEN_READONLY);
    for (auto& row : readRows(db.get(), sql)) values.push_back(std::move(row.at(0)));
    return values;
}

/// Runs statements on a module file as another program would; false at the first that fails.
inline bool alterModule(const std::string& path, const std::vector<std::string>& statements) {
    const Connection db = connect(path);
    bool ok = true;
    for (const auto& sql : statements) ok = ok && run(db.get(), sql);
    return ok;
}

/// Writes a module file; an empty key makes a plain, unencrypted database.
inline bool writeModule(const std::string& path, const ModuleContent& content,
                        const std::string& key = "tov3ralu") {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    if (!key.empty()) sqlite3_key(db, key.data(), static_cast<int>(key.size()));
    bool ok = run(db, "BEGIN");
    if (content.withMainData) {
        ok = ok &&
             run(db,
                 "CREATE TABLE MainData (Question TEXT, Reponce TEXT, False1 TEXT, False2 TEXT, "
                 "False3 TEXT, Points TEXT, Audio TEXT)");
        for (const auto& q : content.questions)
            ok = ok && run(db, "INSERT INTO MainData VALUES (?, ?, ?, ?, ?, ?, ?)",
                           {q.question, q.right, q.false1, q.false2, q.false3, q.points, q.audio});
    }
    if (content.properties) {
        ok = ok &&
             run(db, "CREATE TABLE Propriete (Title TEXT, Author TEXT, Company TEXT, Year TEXT)");
        if (!content.properties->empty())
            ok = ok && run(db, "INSERT INTO Propriete VALUES (?, ?, ?, ?)", *content.properties);
    }
    ok = ok && run(db, "CREATE TABLE Use (Use TEXT)");
    for (const auto& u : content.used) ok = ok && run(db, "INSERT INTO Use VALUES (?)", {u});
    ok = ok && run(db, "CREATE TABLE HScore (Nom TEXT, Date TEXT, Score TEXT)");
    for (const auto& s : content.scores)
        ok = ok && run(db, "INSERT INTO HScore VALUES (?, ?, ?)", s);
    ok = ok && run(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

}  // namespace vexlor::testing
