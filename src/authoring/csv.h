#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "text/i18n.h"

namespace vexlor::authoring {

/// One record of a CSV text and the line it starts on (counted from 1).
struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t fieldsNotKept = 0;  ///< fields past the reader's limit, counted only
    int line = 0;

    std::size_t width() const { return fields.size() + fieldsNotKept; }
};

/// A CSV text that could not be read: why, at the line where the faulty record starts.
using CsvError = Error;

/// The records of a CSV text, or the first error in it.
struct CsvParse {
    std::vector<CsvRecord> records;
    std::optional<CsvError> error;
};

/// Reads the records of a CSV text one at a time, as parseCsv describes, so a long text never
/// needs its records in memory at once.
class CsvReader {
  public:
    /// Fields of a record past `maxFields` are counted, not kept. Fields are separated by
    /// `separator`: spreadsheets set to a language that writes decimal commas write ';'.
    explicit CsvReader(std::string_view text, std::size_t maxFields = SIZE_MAX,
                       char separator = ',');
    /// The next record; false at the end of the text or at an error.
    bool next(CsvRecord& record);
    const std::optional<CsvError>& error() const { return error_; }

  private:
    bool readRecord(CsvRecord& record);
    bool readPlain(std::string& field);
    bool readQuoted(std::string& field);
    bool fail(std::string message);
    std::string encodingMessage(std::size_t recordStart, std::size_t offset, int recordLine) const;

    std::string_view text_;
    std::size_t maxFields_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t contentEnd_ = 0;  ///< past the last byte that is not a line break
    int line_ = 1;
    std::string message_;
    std::optional<CsvError> error_;
};

/// Reads CSV as RFC 4180 has it: fields in double quotes may hold commas, line breaks and
/// doubled quotes; records end with CRLF or LF. The text must be UTF-8 (a leading byte-order
/// mark is skipped) without NUL bytes. Line breaks inside quoted fields are kept as written.
/// Blank lines at the very end are ignored; a blank line elsewhere is a record of one empty
/// field.
CsvParse parseCsv(std::string_view text);

/// How a CSV file's bytes that are not UTF-8 end their problem: the tool's option to read them
/// as Windows-1252 (the editor offers the same in its own words).
// TRANSLATORS: ends "the byte 0x.. at .. is not UTF-8: save the file as "CSV UTF-8"".
inline constexpr const char* kEncodingHint = VX_N(", or give --encoding windows-1252");

/// Where the first NUL byte, or byte that is not part of valid UTF-8, is, if any. Overlong
/// forms, UTF-16 surrogates and code points past U+10FFFF are invalid.
std::optional<std::size_t> findInvalidUtf8(std::string_view text);

/// Appends one record in the form parseCsv reads back to the same fields: a field is quoted
/// only when it holds the separator, a quote or a line break, and the record ends with CRLF.
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields,
                     char separator = ',');

}  // namespace vexlor::authoring
