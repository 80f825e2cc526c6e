// Rows copied from a spreadsheet and pasted into the editor's table, and the table's rows
// copied for a spreadsheet.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "authoring/document.h"
#include "authoring/question_import.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

constexpr std::size_t kCells = kQuestionFieldCount;
// Cells kept of a row: a header may name columns that are not imported between the others.
constexpr std::size_t kKept = 24;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One row of a pasted text. Only a question's worth of cells is kept: a row of millions of
// tabs costs no more memory than a short one.
struct Row {
    std::vector<std::string> cells;  // the first kKept cells
    std::size_t width = 0;  // cells up to the last one not empty, and the first kCells always
    bool empty = true;      // every cell is empty
    bool firstQuoted = false;
    int line = 0;
};

bool endsCell(std::string_view text, std::size_t at) {
    return at == text.size() || text[at] == '\t' || text[at] == '\n' || text[at] == '\r';
}

// Line breaks as rows end: LF, CRLF, or CR alone.
int lineBreaks(std::string_view text) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        count +=
            text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    return count;
}

// The rows of a pasted text, one at a time. A cell that begins with a double quote runs to the
// next quote not doubled, and may hold tabs and line breaks, when that quote ends the cell;
// otherwise its quotes are text, as spreadsheets read them. Each byte is looked at a bounded
// number of times: a failed quoted cell is scanned once, and the cells inside the stretch it
// scanned begin with a run of quotes it paired, which ends their own scan.
class Rows {
  public:
    explicit Rows(std::string_view text) : text_(text) {}

    // The next row; false at the end of the text.
    bool next(Row& row) {
        if (pos_ >= text_.size()) return false;
        row.cells.clear();
        row.width = 0;
        row.empty = true;
        row.firstQuoted = false;
        row.line = line_;
        std::size_t count = 0;
        while (true) {
            std::string* into = count < kKept ? &row.cells.emplace_back() : nullptr;
            bool quoted = false;
            const bool filled = cell(into, quoted);
            if (count == 0) row.firstQuoted = quoted;
            ++count;
            if (filled || count <= kCells) row.width = count;
            row.empty = row.empty && (!filled || (into && importing::trim(*into).empty()));
            if (pos_ >= text_.size()) return true;
            const char separator = text_[pos_++];
            if (separator == '\t') continue;
            if (separator == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
            ++line_;
            return true;
        }
    }

  private:
    // Reads one cell up to (not past) the tab or line break after it, into `into` when given.
    // True when the cell is not empty.
    bool cell(std::string* into, bool& quoted) {
        if (pos_ < text_.size() && text_[pos_] == '"') {
            std::size_t close = pos_ + 1;
            while ((close = text_.find('"', close)) != std::string_view::npos &&
                   close + 1 < text_.size() && text_[close + 1] == '"')
                close += 2;
            if (close != std::string_view::npos && endsCell(text_, close + 1)) {
                const std::string_view inside = text_.substr(pos_ + 1, close - pos_ - 1);
                line_ += lineBreaks(inside);
                pos_ = close + 1;
                quoted = true;
                if (into != nullptr) unquote(inside, *into);
                return !inside.empty();
            }
        }
        const std::size_t end = std::min(text_.find_first_of("\t\r\n", pos_), text_.size());
        const std::string_view plain = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (into != nullptr) into->assign(plain);
        return !plain.empty();
    }

    static void unquote(std::string_view inside, std::string& out) {
        out.reserve(inside.size());
        for (std::size_t at = 0; at < inside.size();) {
            const std::size_t quote = std::min(inside.find('"', at), inside.size());
            out.append(inside.substr(at, quote - at));
            if (quote == inside.size()) break;
            out += '"';
            at = quote + 2;  // doubled
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// The question a row holds, its cells taken as `columns` say.
Question mapped(std::vector<std::string>& cells, const std::vector<ColumnField>& columns) {
    Question question;
    for (std::size_t i = 0; i < cells.size() && i < columns.size(); ++i) {
        if (columns[i] == ColumnField::kSkip) continue;
        fieldOf(question, static_cast<QuestionField>(columns[i])) = std::move(cells[i]);
    }
    return question;
}

// A cell is quoted, as spreadsheets do, when it holds a tab or a line break, or when its start
// would be read otherwise: a quote, a byte-order mark, a question text that names the column.
void appendCell(std::string& out, const std::string& cell, bool questionText) {
    const bool quote = cell.find_first_of("\t\r\n") != std::string::npos || cell.starts_with('"') ||
                       cell.starts_with(kByteOrderMark) ||
                       (questionText && guessColumnField(cell).has_value());
    if (!quote) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

ImportResult readPastedRows(std::string_view text, const ImportSettings& settings) {
    ImportResult result;
    if (text.size() > kMaxImportBytes) {
        result.fatal = Problem::atLine(
            0, i18n::fill(i18n::tx("the text is %1 MiB, more than the %2 MiB that can be pasted "
                                   "at once"),
                          {std::to_string((text.size() + (1u << 20) - 1) >> 20),
                           std::to_string(kMaxImportBytes >> 20)}));
        return result;
    }
    if (auto fault = importing::encodingFault(text)) {
        result.fatal = std::move(fault);
        return result;
    }
    Rows rows(importing::withoutByteOrderMark(text));
    Row row;
    bool headerPossible = true;
    std::vector<ColumnField> columns;  // told by a header; by position without one
    while (rows.next(row)) {
        if (row.empty) continue;
        if (std::exchange(headerPossible, false) && !row.firstQuoted &&
            looksLikeHeader(row.cells)) {
            result.headerLine = row.line;
            columns = guessColumns(row.cells);
            // Columns in the module's own order are read as rows without a header are.
            if (missingColumn(columns) || columns == columnsByPosition(columns.size()))
                columns.clear();
            continue;
        }
        Problem where = Problem::atLine(row.line);
        if (!columns.empty()) {
            Question question = mapped(row.cells, columns);
            if (importing::trim(question.points).empty())
                question.points = std::to_string(settings.points);
            importing::keep(result, std::move(question), std::move(where));
            continue;
        }
        // Cells past the media are taken only when empty: a spreadsheet copies the empty ones
        // of a selection wider than the questions.
        if (row.width < 5 || row.width > kCells) {
            // TRANSLATORS: said of a pasted row, after its line's number. English says "cells"
            // even of one, as it always has.
            where.message = i18n::fill(
                i18n::txn("has %1 cells where 5 to 7 are read: question, right answer, three "
                          "wrong answers, points, media",
                          "has %1 cells where 5 to 7 are read: question, right answer, three "
                          "wrong answers, points, media",
                          row.width),
                {std::to_string(row.width)});
            result.skip(std::move(where));
            continue;
        }
        row.cells.resize(std::min(row.cells.size(), kCells));
        Question question = mapped(row.cells, columnsByPosition(kCells));
        if (importing::trim(question.points).empty())
            question.points = std::to_string(settings.points);
        importing::keep(result, std::move(question), std::move(where));
    }
    return result;
}

std::string pastedRows(const std::vector<Question>& questions) {
    std::string out;
    for (const Question& question : questions) {
        for (std::size_t i = 0; i < kCells; ++i) {
            if (i) out += '\t';
            appendCell(out, fieldOf(question, static_cast<QuestionField>(i)), i == 0);
        }
        out += '\n';
    }
    return out;
}

}  // namespace vexlor::authoring
