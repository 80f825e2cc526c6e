// Open Trivia DB JSON: the API's response object or a plain array of its results, with its
// texts as HTML character references (the default), percent-encoded (url3986) or in base64.

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>

#include "authoring/csv.h"
#include "authoring/import.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace {

using nlohmann::json;

enum class Encoding { kHtml, kUrl3986, kBase64 };

// The parsed document costs many times the text's size per value: a file of a few million tiny
// values would need gigabytes. A hundred thousand questions hold about a million. Arrays and
// objects are values too: nested empty brackets hold no commas but cost as much.
constexpr std::size_t kMaxJsonValues = 2'000'000;

// No question can hold a longer text, even in base64, and the parser copies each text twice
// over as it reads it.
constexpr std::size_t kMaxJsonTextBytes = 2 * kMaxQuestionBytes;

// TRANSLATORS: %1 is where the text starts ("column 12").
constexpr const char* kTooLongText =
    VX_N("a text longer than a module can store for one question at %1");

using i18n::fill;
using i18n::tx;

// A fault at a byte of the text, with its line and column: `what` has %1 for the column.
Problem faultAt(std::string_view text, std::size_t at, const char* what) {
    const std::string_view before = text.substr(0, at);
    const std::size_t newline = before.rfind('\n');
    const std::size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
    return Problem::atLine(
        1 + static_cast<int>(std::count(before.begin(), before.end(), '\n')),
        fill(what, {fill(tx("column %1"),
                         {std::to_string(text::utf8Length(before.substr(lineStart)) + 1)})}));
}

// Bracket depth, the number of values, texts too long for a module and NUL characters, found
// outside and inside strings before anything is parsed.
std::optional<Problem> shapeFault(std::string_view text) {
    std::size_t values = 1;
    std::size_t stringStart = 0;
    int depth = 0;
    int line = 1;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') ++line;
        if (inString) {
            if (c == '\\') {
                // Every other NUL refuses the file; one written as an escape is no different.
                if (text.substr(i, 6) == "\\u0000")
                    // TRANSLATORS: %1 is where it is ("column 12").
                    return faultAt(text, i, tx("a NUL character (\\u0000) at %1"));
                ++i;
            } else if (c == '"') {
                inString = false;
                if (i - stringStart > kMaxJsonTextBytes)
                    return faultAt(text, stringStart, tx(kTooLongText));
            }
        } else if (c == '"') {
            inString = true;
            stringStart = i;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return Problem::atLine(
                    line, fill(tx("nested more than %1 levels deep; this is no question list"),
                               {std::to_string(kMaxJsonDepth)}));
        } else if (c == ']' || c == '}') {
            --depth;
        }
        if (!inString && (c == ',' || c == '[' || c == '{') && ++values > kMaxJsonValues)
            return Problem::atLine(line,
                                   fill(tx("more than %1 values; split the file into smaller ones"),
                                        {std::to_string(kMaxJsonValues)}));
    }
    if (inString && text.size() - stringStart > kMaxJsonTextBytes)
        return faultAt(text, stringStart, tx(kTooLongText));
    return std::nullopt;
}

// The text for the parser with each run of blanks between tokens given as one blank: the parser
// keeps every byte read since its last token for its messages, so a file of blank lines would
// cost it several times its size. Remembers how far it has read, for the line of an error.
class CompactBlanks {
  public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CompactBlanks() = default;
    CompactBlanks(const char* at, const char* end, const char** read)
        : at_(at), end_(end), read_(read) {}

    reference operator*() const { return *at_; }
    CompactBlanks& operator++() {
        const char c = *at_++;
        if (escaped_) {
            escaped_ = false;
        } else if (inString_) {
            escaped_ = c == '\\';
            inString_ = c != '"';
        } else if (c == '"') {
            inString_ = true;
        } else if (isBlank(c)) {
            while (at_ != end_ && isBlank(*at_)) ++at_;
        }
        *read_ = at_;
        return *this;
    }
    CompactBlanks operator++(int) {
        CompactBlanks before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CompactBlanks& other) const { return at_ == other.at_; }
    bool operator!=(const CompactBlanks& other) const { return at_ != other.at_; }

  private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    const char* at_ = nullptr;
    const char* end_ = nullptr;
    const char** read_ = nullptr;
    bool inString_ = false;
    bool escaped_ = false;
};

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::optional<std::string> fromBase64(std::string_view text) {
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        const int value = base64Value(c);
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

bool isPercentEncoded(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("-._~%").find(c) != std::string_view::npos;
    });
}

// Every text of a result, however it is encoded.
void eachText(const json& result, const std::function<void(const std::string&)>& visit) {
    for (const auto& [key, value] : result.items()) {
        if (value.is_string()) visit(value.get_ref<const std::string&>());
        if (value.is_array())
            for (const json& item : value)
                if (item.is_string()) visit(item.get_ref<const std::string&>());
    }
}

Encoding encodingOf(const json& result) {
    const auto type = result.find("type");
    if (type != result.end() && type->is_string() &&
        (*type == "bXVsdGlwbGU=" || *type == "Ym9vbGVhbg=="))
        return Encoding::kBase64;
    bool allEncoded = true, anyPercent = false;
    eachText(result, [&](const std::string& text) {
        allEncoded = allEncoded && isPercentEncoded(text);
        anyPercent = anyPercent || text.find('%') != std::string::npos;
    });
    return allEncoded && anyPercent ? Encoding::kUrl3986 : Encoding::kHtml;
}

// One result's texts, decoded; the first failure is kept as its problem.
class Fields {
  public:
    Fields(const json& result, Encoding encoding) : result_(result), encoding_(encoding) {}

    std::optional<std::string> text(const char* key, bool required = true) {
        const auto found = result_.find(key);
        if (found == result_.end()) {
            // TRANSLATORS: %1 is a key of the question's JSON object, not translated.
            if (required) fail(fill(tx("\"%1\" is missing"), {key}));
            return std::nullopt;
        }
        return decoded(*found, key);
    }

    std::vector<std::string> list(const char* key) {
        const auto found = result_.find(key);
        if (found == result_.end() || !found->is_array()) {
            fail(fill(tx("\"%1\" is missing or not a list"), {key}));
            return {};
        }
        std::vector<std::string> texts;
        for (const json& item : *found)
            if (auto text = decoded(item, key)) texts.push_back(std::move(*text));
        return texts;
    }

    const std::optional<std::string>& problem() const { return problem_; }
    void fail(std::string why) {
        if (!problem_) problem_ = std::move(why);
    }

  private:
    std::optional<std::string> decoded(const json& value, const char* key) {
        if (!value.is_string()) {
            fail(fill(tx("\"%1\" is not text"), {key}));
            return std::nullopt;
        }
        const std::string& raw = value.get_ref<const std::string&>();
        std::string text;
        if (encoding_ == Encoding::kHtml) return importing::decodeHtmlEntities(raw);
        if (encoding_ == Encoding::kUrl3986) {
            text = text::percentDecoded(raw);
        } else if (auto bytes = fromBase64(raw)) {
            text = std::move(*bytes);
        } else {
            fail(fill(tx("\"%1\" is not base64 like the rest of the question"), {key}));
            return std::nullopt;
        }
        if (auto invalid = findInvalidUtf8(text)) {
            fail(fill(tx("\"%1\" decodes to text that is not UTF-8 (at byte %2)"),
                      {key, std::to_string(*invalid + 1)}));
            return std::nullopt;
        }
        return text;
    }

    const json& result_;
    Encoding encoding_;
    std::optional<std::string> problem_;
};

void readResult(ImportResult& result, const json& item, Problem where,
                const ImportSettings& settings) {
    auto problem = [&](std::string why) {
        where.message = std::move(why);
        result.skip(where);
    };
    if (!item.is_object()) return problem(tx("not a question object"));
    Fields fields(item, encodingOf(item));
    const auto type = fields.text("type", false);
    if (type == "boolean")
        return problem(tx("a true/false question; a question needs four answers"));
    if (type && type != "multiple")
        // TRANSLATORS: %1 is a type of question as the file names it; "multiple" is one too.
        return problem(
            fill(tx("a question of type \"%1\"; only \"multiple\" can be played"), {*type}));
    const auto difficulty = fields.text("difficulty", false);
    const auto category = fields.text("category", false);
    auto text = fields.text("question");
    auto right = fields.text("correct_answer");
    auto wrong = fields.list("incorrect_answers");
    if (fields.problem()) return problem(*fields.problem());
    if (wrong.size() != 3)
        // English says "answers" even of one, as it always has.
        return problem(fill(i18n::txn("%1 incorrect answers; a question needs three",
                                      "%1 incorrect answers; a question needs three", wrong.size()),
                            {std::to_string(wrong.size())}));

    Question question;
    if (!difficulty)
        question.points = std::to_string(settings.points);
    else if (*difficulty == "easy")
        question.points = std::to_string(settings.easyPoints);
    else if (*difficulty == "medium")
        question.points = std::to_string(settings.mediumPoints);
    else if (*difficulty == "hard")
        question.points = std::to_string(settings.hardPoints);
    else
        // TRANSLATORS: easy, medium and hard are the file's own words, not translated.
        return problem(
            fill(tx("the difficulty \"%1\" is not easy, medium or hard"), {*difficulty}));
    // Trimmed where it lies: the text may be megabytes long.
    const std::string_view trimmed = importing::trim(*text);
    if (trimmed.empty()) {
        text->clear();  // the view of nothing points nowhere
    } else {
        text->erase(static_cast<std::size_t>(trimmed.data() + trimmed.size() - text->data()));
        text->erase(0, static_cast<std::size_t>(trimmed.data() - text->data()));
    }
    question.text = std::move(*text);
    question.answers = {
        std::string(importing::trim(*right)), std::string(importing::trim(wrong[0])),
        std::string(importing::trim(wrong[1])), std::string(importing::trim(wrong[2]))};
    importing::keep(result, std::move(question), std::move(where), category.value_or(""));
}

// nlohmann's message without its own prefix and place, which the problem gives.
std::string parseMessage(const json::parse_error& error) {
    std::string message = error.what();
    const std::size_t column = message.find("column ");
    const std::size_t colon = message.find(": ", column == std::string::npos ? 0 : column);
    if (colon != std::string::npos) message.erase(0, colon + 2);
    // What was last read may be a whole text of megabytes.
    constexpr std::size_t kShown = 200;
    if (message.size() > kShown) message = message.substr(0, kShown) + "...";
    // TRANSLATORS: %1 is the JSON reader's own message, in English.
    return fill(tx("not valid JSON: %1"), {message});
}

}  // namespace

ImportResult readOpenTdb(std::string_view text, const ImportSettings& settings) {
    ImportResult result;
    if ((result.fatal = importing::encodingFault(text))) return result;
    text = importing::withoutByteOrderMark(text);
    if ((result.fatal = shapeFault(text))) return result;

    // Each question is read as soon as it is parsed and then dropped, so the whole list is
    // never held as a document: a list element sits one level below the root array, or two
    // below the root object's "results".
    std::string list;
    int listDepth = 0;
    bool inList = false, sawList = false;
    std::size_t index = 0;
    const json::parser_callback_t onEvent = [&](int depth, json::parse_event_t event,
                                                json& parsed) {
        using Event = json::parse_event_t;
        if (depth == 0 && (event == Event::object_start || event == Event::array_start)) {
            listDepth = event == Event::object_start ? 2 : 1;
            inList = sawList = listDepth == 1;
        } else if (listDepth == 2 && depth == 1 && event == Event::key) {
            inList = parsed == "results";
            list = "results";
            // Anything else the response holds is dropped unread.
            if (!inList && parsed != "response_code") return false;
        } else if (inList && depth == 1 && listDepth == 2 && event == Event::array_start) {
            sawList = true;
        }
        const bool element =
            event == Event::object_end || event == Event::array_end || event == Event::value;
        if (!inList || !sawList || depth != listDepth || !element) return true;
        readResult(result, parsed, Problem::atPlace(list + "[" + std::to_string(index++) + "]"),
                   settings);
        return false;
    };
    json document;
    const char* read = text.data();
    try {
        const char* end = text.data() + text.size();
        document = json::parse(CompactBlanks(text.data(), end, &read),
                               CompactBlanks(end, end, &read), onEvent);
    } catch (const json::parse_error& error) {
        const auto before = std::string_view(text.data(), read - text.data());
        const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        result = ImportResult{};
        result.fatal = Problem::atLine(line, parseMessage(error));
        return result;
    } catch (const json::exception& error) {
        // Past the grammar: a number beyond what a double holds. The parser gives no place for
        // it, and its digits may run to megabytes, so they are not repeated.
        result = ImportResult{};
        const bool number = dynamic_cast<const json::out_of_range*>(&error) != nullptr;
        result.fatal = Problem::atLine(
            0, number ? tx("not valid JSON: a number too large to read") : tx("not valid JSON"));
        return result;
    }

    if (document.is_object()) {
        const auto code = document.find("response_code");
        const auto found = document.find("results");
        if (code != document.end() && code->is_number() && *code != 0 && index == 0) {
            result.fatal = Problem::atLine(
                0, fill(tx("the response_code is %1: the site sent no questions (1: too few for "
                           "the query, 2: a wrong parameter, 3 or 4: a session token problem, 5: "
                           "too many requests)"),
                        {code->dump()}));
            return result;
        }
        if (found == document.end() || !found->is_array())
            result.fatal =
                Problem::atLine(0, tx("an object without a \"results\" list of questions"));
    } else if (!document.is_array()) {
        result.fatal = Problem::atLine(0, tx("neither a response object nor a list of questions"));
    }
    return result;
}

}  // namespace vexlor::authoring
