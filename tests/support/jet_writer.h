#pragma once

// Writes database files in the earlier Jet 3 / Jet 4 page format from plain data, so that the
// tests of the reader of old modules have files to open without a Jet engine. Only what a reader
// needs is written: the header page, the object catalog, one definition page per table, data
// pages, long-value pages and usage maps; no indexes, no relationships, no properties.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexlor::testing::jet {

enum class Version { kJet3, kJet4 };

/// kText holds up to 255 characters; kMemo any length; kLong and kDouble take their value as
/// decimal text in the cell ("42", "-2.5").
enum class ColumnType { kText, kMemo, kLong, kDouble };

struct Column {
    std::string name;
    ColumnType type = ColumnType::kText;
};

/// UTF-8; nullopt writes a NULL, an empty string a present, empty value.
using Cell = std::optional<std::string>;

/// A deleted row is written with its data and flagged deleted, as an engine leaves it.
struct Row {
    std::vector<Cell> cells;
    bool deleted = false;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<Row> rows;
};

struct Options {
    Version version = Version::kJet4;
    /// At most 20 characters; empty: no password.
    std::string password = "tov3ralu";
    /// Non-zero: every page after the first is encoded with a key made of it and the page number.
    std::uint32_t databaseKey = 0;
    /// Jet 4: texts whose characters allow it are stored in the one-byte-per-character form.
    bool compressText = true;
    /// Jet 3: the code page the header names. Texts are stored in Windows-1252 whatever it says.
    std::uint16_t codePage = 1252;
    /// Jet 4: the creation date in the header (days since 1899-12-30); it masks the password.
    double creationDate = 45000.5;
    /// Deleted rows carry Jet's mark, 0x8000 in their row offset. libmdb 1.0 reads that bit and
    /// the moved-row bit (0x4000) the other way round: it returns rows marked as Jet marks them
    /// as live rows, and skips rows with 0x4000. true sets both bits, so that it skips them too.
    bool deletedBothBits = false;
};

/// The file's bytes. Throws std::invalid_argument, naming the table, row and column, for data
/// the format cannot hold as given (a character outside Windows-1252 in Jet 3 or outside UCS-2
/// in Jet 4, a text over 255 characters, a number that does not parse, a row wider than a page,
/// a cell count that does not match the columns) rather than storing something else.
std::string writeJet(const std::vector<Table>& tables, const Options& options = {});

/// writeJet() into a file; throws std::runtime_error when the file cannot be written.
void writeJetFile(const std::string& path, const std::vector<Table>& tables,
                  const Options& options = {});

/// The columns of one of a module's four tables ("MainData", "Propriete", "Use", "HScore"), every
/// one a text and the question a memo, as modules keep them; no columns for any other name.
std::vector<Column> moduleColumns(const std::string& table);

/// The four tables of a small playable module: title "Jet Sample", `questions` questions with
/// accented texts, the asked list "2" and a top ten.
std::vector<Table> sampleModuleTables(int questions = 5);

}  // namespace vexlor::testing::jet
