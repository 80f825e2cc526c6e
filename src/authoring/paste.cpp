// Rows copied from a spreadsheet and pasted into the editor's table, and the table's rows
// copied for a spreadsheet.

#include <algorithm>

#include "authoring/document.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

// The cells of a pasted text, one row at a time. A cell that begins with a double quote runs
// to the next quote not doubled, and may hold tabs and line breaks.
class Cells {
  public:
    explicit Cells(std::string_view text) : text_(text) {}

    /// The next row and the line it starts on; false at the end of the text.
    bool next(std::vector<std::string>& cells, int& line) {
        if (pos_ >= text_.size()) return false;
        cells.clear();
        line = line_;
        while (true) {
            cells.push_back(cell());
            if (pos_ >= text_.size()) return true;
            const char separator = text_[pos_++];
            if (separator == '\t') continue;
            // A line ends the row: LF, CRLF, or CR alone.
            if (separator == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
            ++line_;
            return true;
        }
    }

  private:
    // One cell, up to (not past) the tab or line break after it.
    std::string cell() {
        std::string value;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            // Quoted only when the closing quote ends the cell; else the quote is text.
            std::size_t at = pos_ + 1;
            std::string quoted;
            int lines = 0;
            while (at < text_.size()) {
                if (text_[at] == '"') {
                    if (at + 1 < text_.size() && text_[at + 1] == '"') {
                        quoted += '"';
                        at += 2;
                        continue;
                    }
                    break;
                }
                lines += text_[at] == '\n';
                quoted += text_[at++];
            }
            const std::size_t after = at + 1;
            if (at < text_.size() && (after == text_.size() || text_[after] == '\t' ||
                                      text_[after] == '\n' || text_[after] == '\r')) {
                pos_ = after;
                line_ += lines;
                return quoted;
            }
        }
        const std::size_t end = text_.find_first_of("\t\r\n", pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        value.assign(text_.substr(pos_, stop - pos_));
        pos_ = stop;
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

constexpr std::size_t kCells = 7;

bool isHeader(const std::vector<std::string>& cells) {
    return cells.size() >= 2 && text::equalsIgnoringCase(importing::trim(cells[0]), "Question") &&
           text::equalsIgnoringCase(importing::trim(cells[1]), "Reponce");
}

// A cell holding a tab, a line break or a quote at its start is quoted, as spreadsheets do.
void appendCell(std::string& out, const std::string& cell) {
    const bool quote =
        cell.find_first_of("\t\r\n") != std::string::npos || (!cell.empty() && cell.front() == '"');
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
        result.fatal = ImportProblem{0, "", "the pasted text is larger than 64 MiB"};
        return result;
    }
    if (auto fault = importing::encodingFault(text)) {
        result.fatal = std::move(fault);
        return result;
    }
    Cells rows(importing::withoutByteOrderMark(text));
    std::vector<std::string> cells;
    int line = 0;
    bool first = true;
    while (rows.next(cells, line)) {
        const bool wasFirst = std::exchange(first, false);
        // Cells past the media are taken only when empty: a spreadsheet copies the empty ones
        // of a selection wider than the questions.
        while (cells.size() > kCells && cells.back().empty()) cells.pop_back();
        if (std::all_of(cells.begin(), cells.end(), [](const auto& c) { return c.empty(); }))
            continue;
        if (wasFirst && isHeader(cells)) continue;
        ImportProblem where{line, "", ""};
        if (cells.size() < 5 || cells.size() > kCells) {
            where.message = "has " + std::to_string(cells.size()) +
                            " cells where 5 to 7 are read: question, right answer, three wrong "
                            "answers, points, media";
            result.skip(std::move(where));
            continue;
        }
        Question question = Question::fromFields(cells);
        if (cells.size() < 6 || importing::trim(question.points).empty())
            question.points = std::to_string(settings.points);
        importing::keep(result, std::move(question), std::move(where));
    }
    return result;
}

std::string pastedRows(const std::vector<Question>& questions) {
    std::string out;
    for (const Question& question : questions) {
        const std::vector<std::string> fields = question.fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) out += '\t';
            appendCell(out, fields[i]);
        }
        out += '\n';
    }
    return out;
}

}  // namespace vexlor::authoring
