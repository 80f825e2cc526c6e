#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexlor::authoring {

/// One record of a CSV text and the line it starts on (counted from 1).
struct CsvRecord {
    std::vector<std::string> fields;
    int line = 0;
};

/// A CSV text that could not be read: the line where the faulty record starts, and why.
struct CsvError {
    int line = 0;
    std::string message;
};

/// The records of a CSV text, or the first error in it.
struct CsvParse {
    std::vector<CsvRecord> records;
    std::optional<CsvError> error;
};

/// Reads CSV as RFC 4180 has it: fields in double quotes may hold commas, line breaks and
/// doubled quotes; records end with CRLF or LF. The text must be UTF-8 (a leading byte-order
/// mark is skipped) without NUL bytes. Line breaks inside quoted fields are kept as written.
/// Blank lines at the very end are ignored; a blank line elsewhere is a record of one empty
/// field.
CsvParse parseCsv(std::string_view text);

/// Where the first byte that is not part of valid UTF-8 is, if any. Overlong forms, UTF-16
/// surrogates and code points past U+10FFFF are invalid.
std::optional<std::size_t> findInvalidUtf8(std::string_view text);

/// Number of characters (code points) in UTF-8 text.
std::size_t utf8Length(std::string_view text);

/// Appends one record in the form parseCsv reads back to the same fields: a field is quoted
/// only when it holds a comma, a quote or a line break, and the record ends with CRLF.
void appendCsvRecord(std::string& out, const std::vector<std::string>& fields);

}  // namespace vexlor::authoring
