#include "authoring/export.h"

#include <nlohmann/json.hpp>

#include "authoring/question_csv.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

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
// as an option or the answer joined to the one before.
std::string aikenText(std::string_view text) {
    std::string out;
    importing::Lines lines(text);
    for (std::string_view raw; lines.next(raw);) {
        const std::string_view line = importing::trim(raw);
        if (line.empty()) continue;
        if (!out.empty()) out += looksLikeOption(line) || looksLikeAnswer(line) ? ' ' : '\n';
        out += line;
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

// --- Open Trivia DB -------------------------------------------------------------------------

}  // namespace

std::string aikenQuestions(const std::vector<Question>& questions) {
    std::string out;
    for (const Question& question : questions) {
        out += aikenText(question.text) + "\n";
        for (std::size_t i = 0; i < question.answers.size(); ++i)
            out += std::string(1, static_cast<char>('A' + i)) + ". " +
                   aikenOption(question.answers[i]) + "\n";
        out += "ANSWER: A\n\n";
    }
    return out;
}

std::string giftQuestions(const std::vector<Question>& questions) {
    std::string out;
    for (std::size_t n = 0; n < questions.size(); ++n) {
        const Question& question = questions[n];
        std::string text = giftEscaped(importing::trim(question.text));
        // A text starting with "[" could read as a format marker: it gets the plain one.
        if (!text.empty() && text.front() == '[') text = "[plain]" + text;
        out += "::Q" + std::to_string(n + 1) + ":: " + text + " {\n";
        for (std::size_t i = 0; i < question.answers.size(); ++i)
            out += "\t" + giftAnswer(question.answers[i], i == 0) + "\n";
        out += "}\n\n";
    }
    return out;
}

std::string openTdbQuestions(const std::vector<Question>& questions,
                             const ImportSettings& settings) {
    using json = nlohmann::ordered_json;
    json results = json::array();
    for (const Question& question : questions) {
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
        item["question"] = text::markupEscaped(question.text, true);
        item["correct_answer"] = text::markupEscaped(question.answers[0], true);
        item["incorrect_answers"] = {text::markupEscaped(question.answers[1], true),
                                     text::markupEscaped(question.answers[2], true),
                                     text::markupEscaped(question.answers[3], true)};
        results.push_back(std::move(item));
    }
    json response = json::object();
    response["response_code"] = 0;
    response["results"] = std::move(results);
    // Invalid UTF-8 cannot be in a module's texts read back by the readers; it is replaced
    // rather than thrown about.
    return response.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string exportQuestions(ImportFormat format, const std::vector<Question>& questions,
                            const ImportSettings& settings) {
    switch (format) {
        case ImportFormat::kAiken:
            return aikenQuestions(questions);
        case ImportFormat::kGift:
            return giftQuestions(questions);
        case ImportFormat::kOpenTdb:
            return openTdbQuestions(questions, settings);
        default:
            return questionsCsv(questions);
    }
}

}  // namespace vexlor::authoring
