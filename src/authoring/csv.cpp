#include "authoring/csv.h"

#include <algorithm>

#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int linesBefore(std::string_view text, std::size_t end) {
    int count = 0;
    for (std::size_t i = 0; i < end && i < text.size(); ++i)
        if (text[i] == '\n') ++count;
    return count;
}

}  // namespace

CsvReader::CsvReader(std::string_view text, std::size_t maxFields, char separator)
    : text_(text), maxFields_(maxFields), separator_(separator) {
    if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) pos_ = kByteOrderMark.size();
    // Found once: asking at every record whether only line breaks are left rescans the rest of
    // the text each time.
    const std::size_t last = text_.find_last_not_of("\r\n");
    contentEnd_ = last == std::string_view::npos ? 0 : last + 1;
}

bool CsvReader::next(CsvRecord& record) {
    record.fields.clear();
    record.fieldsNotKept = 0;
    if (error_ || pos_ >= contentEnd_) return false;
    const std::size_t start = pos_;
    record.line = line_;
    if (!readRecord(record)) {
        error_ = Error(ErrorKind::kFailed, std::move(message_), {}, record.line);
        return false;
    }
    if (auto invalid = findInvalidUtf8(text_.substr(start, pos_ - start))) {
        error_ = Error(ErrorKind::kFailed, encodingMessage(start, *invalid, record.line), {},
                       record.line);
        return false;
    }
    return true;
}

std::string CsvReader::encodingMessage(std::size_t recordStart, std::size_t offset,
                                       int recordLine) const {
    const std::size_t at = recordStart + offset;
    const int line = recordLine + linesBefore(text_.substr(recordStart), offset);
    const std::size_t lineStart =
        text_.rfind('\n', at) == std::string_view::npos ? 0 : text_.rfind('\n', at) + 1;
    const std::string column =
        std::to_string(text::utf8Length(text_.substr(lineStart, at - lineStart)) + 1);
    // TRANSLATORS: where a bad byte is in a file: "a NUL byte at %1", "the byte 0x%1 at %2".
    std::string where = i18n::fill(i18n::tx("column %1"), {column});
    if (line != recordLine)
        where = i18n::fill(i18n::tx("line %1, column %2"), {std::to_string(line), column});
    if (text_[at] == '\0')
        return i18n::fill(i18n::tx("a NUL byte at %1; this is not a text file"), {where});
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(text_[at]);
    const char hex[] = {kHex[byte >> 4], kHex[byte & 15], '\0'};
    // TRANSLATORS: %1 is a byte in hexadecimal, %2 where it is; "CSV UTF-8" is the name a
    // spreadsheet gives the format, and --encoding windows-1252 an option of the tool.
    return i18n::fill(i18n::tx("the byte 0x%1 at %2 is not UTF-8: save the file as \"CSV UTF-8\", "
                               "or give --encoding windows-1252"),
                      {hex, where});
}

bool CsvReader::fail(std::string message) {
    message_ = std::move(message);
    return false;
}

// Reads fields up to and including the record's line end (or the end of the text).
bool CsvReader::readRecord(CsvRecord& record) {
    std::string field;
    while (true) {
        field.clear();
        if (pos_ < text_.size() && text_[pos_] == '"') {
            if (!readQuoted(field)) return false;
        } else if (!readPlain(field)) {
            return false;
        }
        if (record.fields.size() < maxFields_)
            record.fields.push_back(std::move(field));
        else
            ++record.fieldsNotKept;
        if (pos_ >= text_.size()) return true;
        const char c = text_[pos_];
        if (c == separator_) {
            ++pos_;
            continue;
        }
        if (c == '\n') {
            ++pos_;
            ++line_;
            return true;
        }
        if (c == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '\n')) {
            pos_ = std::min(pos_ + 2, text_.size());
            ++line_;
            return true;
        }
        if (c == '\r')
            return fail(
                i18n::tx("a carriage return without a line feed (quote fields with line breaks)"));
        return fail(i18n::tx("a closing quote must be followed by a comma or the end of the line"));
    }
}

bool CsvReader::readPlain(std::string& field) {
    const char stops[] = {separator_, '\r', '\n', '"', '\0'};
    const std::size_t end = text_.find_first_of(stops, pos_);
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    field.assign(text_.substr(pos_, stop - pos_));
    pos_ = stop;
    if (pos_ < text_.size() && text_[pos_] == '"')
        return fail(
            i18n::tx("a quote inside an unquoted field (quote the field and double the quote)"));
    return true;
}

bool CsvReader::readQuoted(std::string& field) {
    const int openedOn = line_;
    ++pos_;
    while (pos_ < text_.size()) {
        // Runs up to the next quote are copied whole, and the field grows once per run.
        const std::size_t quote = text_.find('"', pos_);
        const std::size_t stop = quote == std::string_view::npos ? text_.size() : quote;
        const std::string_view run = text_.substr(pos_, stop - pos_);
        line_ += static_cast<int>(std::count(run.begin(), run.end(), '\n'));
        field.append(run);
        pos_ = stop;
        if (quote == std::string_view::npos) break;
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            field += '"';
            ++pos_;
            continue;
        }
        return true;
    }
    return fail(i18n::fill(i18n::tx("the quoted field opened on line %1 is never closed"),
                           {std::to_string(openedOn)}));
}

CsvParse parseCsv(std::string_view text) {
    CsvParse result;
    CsvReader reader(text);
    for (CsvRecord record; reader.next(record);) result.records.push_back(record);
    result.error = reader.error();
    return result;
}

std::optional<std::size_t> findInvalidUtf8(std::string_view text) {
    const auto invalid = text::firstInvalidUtf8(text);
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos && (!invalid || nul < *invalid)) return nul;
    return invalid;
}

void appendCsvRecord(std::string& out, const std::vector<std::string>& fields, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += separator;
        const std::string& field = fields[i];
        if (field.find_first_of(special) == std::string::npos) {
            out += field;
            continue;
        }
        out += '"';
        for (char c : field) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

}  // namespace vexlor::authoring
