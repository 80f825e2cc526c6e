// GIFT: questions separated by blank lines, "::title::", "// comments", "$CATEGORY:" lines, and
// answers in braces. Only multiple-choice questions with one right answer and three wrong ones
// fit a module; the other kinds are reported.

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "authoring/import.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace {

using i18n::fill;
using i18n::tx;
using i18n::txn;
using importing::trim;

constexpr std::string_view kSpecial = ":~=#{}\\";

// The position of the first `wanted` character not escaped with a backslash, from `from`.
std::size_t findUnescaped(std::string_view text, std::string_view wanted, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (wanted.find(text[i]) != std::string_view::npos) return i;
    }
    return std::string_view::npos;
}

std::size_t findUnescapedPair(std::string_view text, std::string_view pair, std::size_t from) {
    for (std::size_t i = findUnescaped(text, pair.substr(0, 1), from); i != std::string_view::npos;
         i = findUnescaped(text, pair.substr(0, 1), i + 1))
        if (text.substr(i, pair.size()) == pair) return i;
    return std::string_view::npos;
}

std::string unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (kSpecial.find(next) != std::string_view::npos) {
                out += next;
                ++i;
                continue;
            }
            if (next == 'n') {
                out += '\n';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return std::string(trim(out));
}

// The text without a leading [html], [markdown], [plain] or [moodle] marker; taken as plain.
std::string_view withoutMarker(std::string_view text) {
    text = trim(text);
    for (std::string_view marker : {"[html]", "[markdown]", "[plain]", "[moodle]"})
        if (text.substr(0, marker.size()) == marker) return trim(text.substr(marker.size()));
    return text;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct Answers {
    std::vector<std::string> right, wrong;
    std::optional<std::string> problem;
};

// The answers inside the braces, feedback dropped.
Answers readAnswers(std::string_view block) {
    Answers answers;
    const std::string_view content = trim(block);
    const std::string head = upper(trim(content.substr(0, findUnescaped(content, "#"))));
    if (content.empty()) return {{}, {}, tx("an essay question (no answers); it cannot be played")};
    if (head == "T" || head == "F" || head == "TRUE" || head == "FALSE")
        return {{}, {}, tx("a true/false question; a question needs four answers")};
    if (content.front() == '#')
        return {{}, {}, tx("a numeric question; it has no answers to pick")};

    std::size_t pos = findUnescaped(content, "=~");
    while (pos != std::string_view::npos) {
        const char kind = content[pos];
        const std::size_t end = findUnescaped(content, "=~#", pos + 1);
        std::string_view text = trim(content.substr(pos + 1, end - pos - 1));
        std::optional<double> weight;
        std::string_view weightText;
        if (text.size() > 2 && text.front() == '%') {
            const std::size_t close = text.find('%', 1);
            if (close != std::string_view::npos) {
                weightText = text.substr(0, close + 1);
                weight = std::strtod(std::string(text.substr(1, close - 1)).c_str(), nullptr);
                text = trim(text.substr(close + 1));
            }
        }
        if (kind == '=' && findUnescapedPair(text, "->", 0) != std::string_view::npos)
            return {{}, {}, tx("a matching question; it cannot be played")};
        const bool right = weight ? *weight >= 100 : kind == '=';
        const bool wrong = weight ? *weight <= 0 : kind == '~';
        if (!right && !wrong)
            return {{},
                    {},
                    // TRANSLATORS: %1 is the answer's mark as written, such as "~%50%".
                    fill(tx("an answer with partial credit (%1); each answer must be right or "
                            "wrong"),
                         {std::string(1, kind) + std::string(weightText)})};
        (right ? answers.right : answers.wrong).push_back(unescaped(text));
        pos = end;
        // Feedback after "#" runs to the next answer; "####" starts the general feedback.
        if (pos != std::string_view::npos && content[pos] == '#') {
            if (content.substr(pos, 4) == "####") break;
            pos = findUnescaped(content, "=~", pos + 1);
        }
    }
    if (answers.right.empty() && answers.wrong.empty())
        answers.problem = tx("no answers marked with = or ~");
    else if (answers.wrong.empty())
        answers.problem = tx("a short-answer question (no wrong answers); it cannot be played");
    else if (answers.right.empty())
        answers.problem = tx("no right answer (marked with =)");
    else if (answers.right.size() > 1)
        answers.problem = fill(txn("%1 right answers; a question has one",
                                   "%1 right answers; a question has one", answers.right.size()),
                               {std::to_string(answers.right.size())});
    else if (answers.wrong.size() != 3)
        // English says "answers" even of one, as it always has.
        answers.problem =
            fill(txn("%1 wrong answers; a question needs three",
                     "%1 wrong answers; a question needs three", answers.wrong.size()),
                 {std::to_string(answers.wrong.size())});
    return answers;
}

// No question is this long; a file that seems to hold one lacks its blank lines.
constexpr std::size_t kMaxQuestionLines = 10000;

// Lines of one question, joined, and where each starts.
struct Block {
    std::string text;
    bool tooLong = false;
    std::vector<std::pair<std::size_t, int>> lineStarts;  ///< offset in text, line number

    int lineAt(std::size_t offset) const {
        auto after = std::upper_bound(
            lineStarts.begin(), lineStarts.end(), offset,
            [](std::size_t value, const auto& start) { return value < start.first; });
        return std::prev(after)->second;
    }
};

void readQuestion(ImportResult& result, const Block& block, const std::string& category,
                  const ImportSettings& settings) {
    const std::string_view text = block.text;
    Problem where = Problem::atLine(block.lineStarts.front().second);
    auto problem = [&](std::string message, std::size_t at = 0) {
        where.line = block.lineAt(at);
        where.message = std::move(message);
        result.skip(where);
    };

    if (block.tooLong)
        return problem(fill(tx("the question runs over more than %1 lines; are the blank lines "
                               "between questions missing?"),
                            {std::to_string(kMaxQuestionLines)}));
    std::size_t bodyStart = 0;
    const std::size_t first = text.find_first_not_of(" \t\n");
    if (text.substr(first, 2) == "::") {
        const std::size_t close = findUnescapedPair(text, "::", first + 2);
        if (close == std::string_view::npos) return problem(tx("the title after :: is not closed"));
        bodyStart = close + 2;
    }
    const std::size_t open = findUnescaped(text, "{", bodyStart);
    if (open == std::string_view::npos)
        return problem(tx("no answers in braces { }; a description is not a question"));
    const std::size_t close = findUnescaped(text, "}", open + 1);
    if (close == std::string_view::npos)
        return problem(tx("the answers opened with { are not closed with }"), open);
    if (findUnescaped(text, "{", close + 1) != std::string_view::npos)
        return problem(
            tx("more than one set of answers in braces (a blank line must separate questions)"));
    const Answers answers = readAnswers(text.substr(open + 1, close - open - 1));
    if (answers.problem) return problem(*answers.problem);

    Question question;
    // Text after the braces makes a missing-word question: the blank stands for the answer.
    const std::string_view after = trim(text.substr(close + 1));
    question.text = unescaped(withoutMarker(text.substr(bodyStart, open - bodyStart)));
    if (!after.empty()) {
        const bool punctuation =
            std::string_view(".,;:!?").find(after.front()) != std::string_view::npos;
        question.text = std::string(trim(question.text + " _____")) + (punctuation ? "" : " ") +
                        unescaped(after);
    }
    question.answers = {answers.right[0], answers.wrong[0], answers.wrong[1], answers.wrong[2]};
    question.points = std::to_string(settings.points);
    importing::keep(result, std::move(question), where, category);
}

// "$course$/top/History/Rome" as "History/Rome".
std::string categoryPath(std::string_view path) {
    path = trim(path);
    if (!path.empty() && path.front() == '$') {
        const std::size_t end = path.find("$/", 1);
        if (end != std::string_view::npos) path.remove_prefix(end + 2);
    }
    if (path.substr(0, 4) == "top/") path.remove_prefix(4);
    return std::string(path);
}

}  // namespace

ImportResult readGift(std::string_view text, const ImportSettings& settings) {
    ImportResult result;
    if ((result.fatal = importing::encodingFault(text))) return result;
    importing::Lines lines(importing::withoutByteOrderMark(text));
    std::string category;
    Block block;
    auto flush = [&] {
        if (!block.lineStarts.empty()) readQuestion(result, block, category, settings);
        block = Block{};
    };
    for (std::string_view raw; lines.next(raw);) {
        const std::string_view line = trim(raw);
        if (line.substr(0, 2) == "//") continue;
        if (line.empty()) {
            flush();
            continue;
        }
        if (line.substr(0, 10) == "$CATEGORY:") {
            flush();
            category = categoryPath(line.substr(10));
            continue;
        }
        if (block.lineStarts.size() == kMaxQuestionLines) block.tooLong = true;
        if (block.tooLong) continue;
        if (!block.text.empty()) block.text += '\n';
        block.lineStarts.emplace_back(block.text.size(), lines.number());
        block.text += line;
    }
    flush();
    return result;
}

}  // namespace vexlor::authoring
