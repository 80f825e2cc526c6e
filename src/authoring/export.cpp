#include "authoring/export.h"

#include <nlohmann/json.hpp>

#include "authoring/csv.h"
#include "authoring/question_csv.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

using i18n::fill;
using i18n::tx;

// --- Aiken ----------------------------------------------------------------------------------

// Aiken has no escapes: a line is taken for an option when it starts with a letter and "." or
// ")", and for the answer when it starts with "ANSWER:".
bool looksLikeOption(std::string_view line) {
    return line.size() >= 2 && std::isalpha(static_cast<unsigned char>(line[0])) &&
           (line[1] == '.' || line[1] == ')') &&
           (line.size() == 2 || line[2] == ' ' || line[2] == '\t');
}

bool looksLikeAnswer(std::string_view line) {
    constexpr std::string_view kKey = "answer:";
    if (line.size() < kKey.size()) return false;
    for (std::size_t i = 0; i < kKey.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != kKey[i]) return false;
    return true;
}

// The question's lines as Aiken keeps them: trimmed, no blank ones, and a line that would read
// as an option or the answer joined to the one before. A first line that would read as the
// answer has nothing to join: it gets a blank before its colon.
std::string aikenText(std::string_view text) {
    std::string out;
    importing::Lines lines(text);
    for (std::string_view raw; lines.next(raw);) {
        const std::string_view line = importing::trim(raw);
        if (line.empty()) continue;
        if (!out.empty()) {
            out += looksLikeOption(line) || looksLikeAnswer(line) ? ' ' : '\n';
            out += line;
        } else if (looksLikeAnswer(line)) {
            out += std::string(line.substr(0, 6)) + " " + std::string(line.substr(6));
        } else {
            out += line;
        }
    }
    return out;
}

// An option is one line.
std::string aikenOption(std::string_view text) {
    std::string out(importing::trim(text));
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

std::string aikenQuestion(const Question& question) {
    std::string out = aikenText(question.text) + "\n";
    for (std::size_t i = 0; i < question.answers.size(); ++i)
        out += std::string(1, static_cast<char>('A' + i)) + ". " +
               aikenOption(question.answers[i]) + "\n";
    return out + "ANSWER: A\n\n";
}

// --- GIFT -----------------------------------------------------------------------------------

std::string giftEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (c == '\n' || c == '\r') {
            out += "\\n";
            continue;
        }
        if (std::string_view(":~=#{}\\").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// An answer, marked right or wrong. A weight marks it when its text starts like a weight
// ("%50%...") or holds "->", which after "=" makes a matching pair.
std::string giftAnswer(std::string_view text, bool right) {
    const std::string escaped = giftEscaped(importing::trim(text));
    const bool weighted =
        (!escaped.empty() && escaped.front() == '%') || escaped.find("->") != std::string::npos;
    if (!weighted) return (right ? "=" : "~") + escaped;
    return std::string(right ? "~%100%" : "~%0%") + escaped;
}

std::string giftQuestion(const Question& question, std::size_t number) {
    std::string text = giftEscaped(importing::trim(question.text));
    // A text starting with "[" could read as a format marker: it gets the plain one.
    if (!text.empty() && text.front() == '[') text = "[plain]" + text;
    std::string out = "::Q" + std::to_string(number) + ":: " + text + " {\n";
    for (std::size_t i = 0; i < question.answers.size(); ++i)
        out += "\t" + giftAnswer(question.answers[i], i == 0) + "\n";
    return out + "}\n\n";
}

// --- Open Trivia DB -------------------------------------------------------------------------

// HTML's reserved characters as references, as the site sends them. "%" is one too: a question
// whose every text looked percent-encoded ("20%OFF") would be read as the site's url3986 form.
std::string openTdbText(std::string_view text) {
    std::string out;
    for (char c : text::markupEscaped(text, true)) {
        if (c == '%')
            out += "&#037;";
        else
            out += c;
    }
    return out;
}

std::string openTdbQuestion(const Question& question, const ImportSettings& settings) {
    using json = nlohmann::ordered_json;
    json item = json::object();
    item["type"] = "multiple";
    // Points the settings do not name get no difficulty: a reader gives them its default.
    const std::pair<int, const char*> levels[] = {{settings.easyPoints, "easy"},
                                                  {settings.mediumPoints, "medium"},
                                                  {settings.hardPoints, "hard"}};
    for (const auto& [points, name] : levels) {
        if (question.points == std::to_string(points)) {
            item["difficulty"] = name;
            break;
        }
    }
    item["category"] = "";
    item["question"] = openTdbText(question.text);
    item["correct_answer"] = openTdbText(question.answers[0]);
    item["incorrect_answers"] = {openTdbText(question.answers[1]), openTdbText(question.answers[2]),
                                 openTdbText(question.answers[3])};
    return item.dump(-1, ' ', false, json::error_handler_t::replace);
}

// --- what reads back ------------------------------------------------------------------------

// A file is its head, the questions (separated for JSON) and its tail; one question between the
// same head and tail reads as it does in the whole file.
struct Layout {
    std::string head, between, tail;
};

Layout layoutOf(ImportFormat format, char separator, bool byteOrderMark) {
    switch (format) {
        case ImportFormat::kCsv:
            return {(byteOrderMark ? "\xEF\xBB\xBF" : "") + questionCsvHeader(separator), "", ""};
        case ImportFormat::kOpenTdb:
            return {"{\"response_code\":0,\"results\":[\n", ",\n", "\n]}\n"};
        default:
            return {};
    }
}

std::string written(ImportFormat format, const Question& question, std::size_t number,
                    const ImportSettings& settings, char separator) {
    switch (format) {
        case ImportFormat::kAiken:
            return aikenQuestion(question);
        case ImportFormat::kGift:
            return giftQuestion(question, number);
        case ImportFormat::kOpenTdb:
            return openTdbQuestion(question, settings);
        case ImportFormat::kCsv:
            break;
    }
    return questionCsvRecord(question, separator);
}

// What of `original` does not come back in `back`, or nothing.
std::string lossesBetween(const Question& original, const Question& back) {
    // TRANSLATORS: the texts of a question, as an export's losses name them ("%1 reads back
    // as ..."); each is feminine in French, German and Spanish alike, with its article.
    static constexpr const char* kNames[] = {VX_N("the question"), VX_N("the right answer"),
                                             VX_N("wrong answer 1"), VX_N("wrong answer 2"),
                                             VX_N("wrong answer 3")};
    const std::vector<std::string> was = original.fields(), is = back.fields();
    std::string said;
    auto say = [&](const std::string& what) { said += (said.empty() ? "" : "; ") + what; };
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (was[i] == is[i]) continue;
        if (findInvalidUtf8(was[i]))
            say(fill(tx("%1 is not UTF-8: written as %2"), {tx(kNames[i]), quotedShort(is[i])}));
        else if (importing::trim(was[i]) == importing::trim(is[i]))
            say(fill(tx("the blanks around %1 are not kept"), {tx(kNames[i])}));
        else
            say(fill(tx("%1 reads back as %2"), {tx(kNames[i]), quotedShort(is[i])}));
    }
    // TRANSLATORS: %1 and %2 are quoted points ("100").
    if (original.points != back.points)
        say(fill(tx("its points %1 are not kept: it reads back with %2"),
                 {quotedShort(original.points), quotedShort(back.points)}));
    // TRANSLATORS: %1 and %2 are quoted names of media files.
    if (original.media != back.media)
        say(back.media.empty()
                ? fill(tx("its media file %1 is not kept"), {quotedShort(original.media)})
                : fill(tx("its media file %1 reads back as %2"),
                       {quotedShort(original.media), quotedShort(back.media)}));
    return said;
}

Question withValidUtf8(Question question) {
    question.text = repairedUtf8(question.text);
    for (std::string& answer : question.answers) answer = repairedUtf8(answer);
    question.points = repairedUtf8(question.points);
    question.media = repairedUtf8(question.media);
    return question;
}

ExportResult exportWritten(ImportFormat format, const std::vector<Question>& questions,
                           const ImportSettings& settings, char separator, bool byteOrderMark) {
    const Layout layout = layoutOf(format, separator, byteOrderMark);
    ExportResult result;
    result.text = layout.head;
    for (std::size_t n = 0; n < questions.size(); ++n) {
        const Question question = withValidUtf8(questions[n]);
        // The readers of these formats skip what cannot be played; CSV keeps drafts too.
        if (format != ImportFormat::kCsv) {
            if (auto why = importing::unplayable(question)) {
                result.losses.push_back({n, fill(tx("left out: %1"), {*why}), true});
                continue;
            }
        }
        const std::string text = written(format, question, n + 1, settings, separator);
        const ImportResult back = readQuestions(format, layout.head + text + layout.tail, settings);
        if (back.questions.size() != 1) {
            const std::string why = back.fatal               ? back.fatal->message
                                    : !back.problems.empty() ? back.problems.front().message
                                                             : tx("it cannot be read back");
            result.losses.push_back({n, fill(tx("left out: %1"), {why}), true});
            continue;
        }
        if (std::string lost = lossesBetween(questions[n], back.questions.front()); !lost.empty())
            result.losses.push_back({n, std::move(lost), false});
        if (result.written++ > 0) result.text += layout.between;
        result.text += text;
    }
    result.text += layout.tail;
    return result;
}

}  // namespace

ExportResult exportQuestions(ImportFormat format, const std::vector<Question>& questions,
                             const ImportSettings& settings) {
    return exportWritten(format, questions, settings, ',', false);
}

ExportResult exportSpreadsheetCsv(const std::vector<Question>& questions, char separator) {
    return exportWritten(ImportFormat::kCsv, questions, {}, separator, true);
}

}  // namespace vexlor::authoring
