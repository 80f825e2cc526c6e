#include "authoring/import.h"

#include <libxml/HTMLparser.h>
#include <libxml/entities.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <system_error>
#include <unordered_map>

#include "authoring/csv.h"
#include "authoring/question_csv.h"
#include "platform/files.h"
#include "rules/questions.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 4> kFormatNames = {"csv", "aiken", "gift", "opentdb"};

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The character a reference such as "eacute", "#233" or "#xE9" names, or 0.
char32_t referencedCharacter(std::string_view name) {
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return 0;
        char32_t code = 0;
        for (char c : digits) {
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return 0;
            code = code * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
        // Neither NUL, UTF-16 halves nor numbers past Unicode are characters.
        if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
        return code;
    }
    // The library searches its table from the start each time; a file repeats a few names.
    static thread_local std::unordered_map<std::string, char32_t> known;
    const std::string key(name);
    if (auto found = known.find(key); found != known.end()) return found->second;
    char32_t code = 0;
    const auto* xmlName = reinterpret_cast<const xmlChar*>(key.c_str());
    if (const htmlEntityDesc* entity = htmlEntityLookup(xmlName))
        code = entity->value;
    else if (xmlEntityPtr predefined = xmlGetPredefinedEntity(xmlName))
        code = static_cast<unsigned char>(predefined->content[0]);  // &apos; is XML's only
    if (known.size() < 4096) known.emplace(key, code);
    return code;
}

bool hasExtension(const fs::path& path, std::string_view extension) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == extension;
}

// Aiken files carry "ANSWER:" lines; GIFT files carry answers in braces.
std::optional<ImportFormat> formatOfContent(std::string_view text) {
    text = importing::withoutByteOrderMark(text);
    const std::string_view start = importing::trim(text.substr(0, 64));
    if (!start.empty() && (start.front() == '{' || start.front() == '['))
        return ImportFormat::kOpenTdb;
    // The header of the question columns, as spreadsheets save it: any case, ',' or ';'.
    for (std::string_view header : {"question,reponce,", "question;reponce;"})
        if (text::equalsIgnoringCase(start.substr(0, header.size()), header))
            return ImportFormat::kCsv;
    importing::Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        line = importing::trim(line);
        if (line.rfind("ANSWER:", 0) == 0) return ImportFormat::kAiken;
        if (line.rfind("//", 0) == 0 || line.rfind("::", 0) == 0 ||
            line.rfind("$CATEGORY:", 0) == 0 || line.find('{') != std::string_view::npos)
            return ImportFormat::kGift;
    }
    return std::nullopt;
}

}  // namespace

void ImportResult::skip(Problem problem) {
    if (problems.size() < kMaxKeptProblems)
        problems.push_back(std::move(problem));
    else
        ++problemsNotKept;
}

std::optional<ImportFormat> formatNamed(std::string_view name) {
    for (std::size_t i = 0; i < kFormatNames.size(); ++i)
        if (kFormatNames[i] == name) return static_cast<ImportFormat>(i);
    return std::nullopt;
}

std::string_view formatName(ImportFormat format) {
    return kFormatNames[static_cast<std::size_t>(format)];
}

std::optional<ImportFormat> guessFormat(const fs::path& path, std::string_view text) {
    if (hasExtension(path, ".csv")) return ImportFormat::kCsv;
    if (hasExtension(path, ".json")) return ImportFormat::kOpenTdb;
    if (hasExtension(path, ".gift")) return ImportFormat::kGift;
    if (hasExtension(path, ".aiken")) return ImportFormat::kAiken;
    return formatOfContent(text);
}

Result<std::string> readImportFile(const fs::path& path) {
    const std::string name = path.string();
    auto refuse = [&](ErrorKind kind, std::string why) {
        return Error(kind, std::move(why), name);
    };
    const std::string limit =
        i18n::fill(i18n::tx("%1 MiB"), {std::to_string(kMaxImportBytes / (1024 * 1024))});
    // A pipe or device could feed the reader without end: only a regular file is read, and
    // what is read is the file that was looked at.
    const platform::ReadableFile file = platform::openForReading(path, kMaxImportBytes);
    switch (file.problem) {
        case platform::ReadableFile::Problem::kNone:
            break;
        case platform::ReadableFile::Problem::kCannotOpen: {
            struct stat info {};
            if (::stat(path.c_str(), &info) != 0)
                return refuse(ErrorKind::kNoFile, i18n::tx("no such file"));
            return refuse(ErrorKind::kNoAccess, i18n::tx("cannot be read"));
        }
        case platform::ReadableFile::Problem::kFolder:
            return refuse(ErrorKind::kNotAFile, i18n::tx("is a folder"));
        case platform::ReadableFile::Problem::kNotRegular:
            return refuse(ErrorKind::kNotAFile, i18n::tx("is not a regular file"));
        case platform::ReadableFile::Problem::kTooLarge:
            // TRANSLATORS: said of a file; %1 is its size in MiB, %2 the limit ("10 MiB").
            return refuse(ErrorKind::kFailed,
                          i18n::fill(i18n::tx("is %1 MiB, larger than the %2 a question file may "
                                              "have"),
                                     {std::to_string(file.info.st_size / (1024 * 1024)), limit}));
    }
    std::optional<std::string> text = platform::readAll(file.fd(), kMaxImportBytes);
    if (!text) return refuse(ErrorKind::kFailed, i18n::tx("cannot be read"));
    if (text->size() > kMaxImportBytes)
        return refuse(ErrorKind::kFailed,
                      i18n::fill(i18n::tx("grew past the %1 a question file may have"), {limit}));
    return std::move(*text);
}

std::optional<TextEncoding> encodingNamed(std::string_view name) {
    std::string plain;
    for (char c : name)
        if (c != '-' && c != '_')
            plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (plain == "utf8") return TextEncoding::kUtf8;
    for (std::string_view single : {"windows1252", "cp1252", "latin1", "iso88591"})
        if (plain == single) return TextEncoding::kWindows1252;
    return std::nullopt;
}

std::string utf8FromWindows1252(std::string_view text) {
    // 0x80 to 0x9F; the five bytes Windows leaves undefined keep their Latin-1 meaning.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte);
    }
    return out;
}

std::string repairedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = text::utf8CharacterLength(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        if (length > 1 || (byte > 0 && byte < 0x80))
            out.append(text.substr(at, length));
        else if (byte != 0)
            out += utf8FromWindows1252(text.substr(at, 1));
        at += length;
    }
    return out;
}

std::string quotedShort(std::string_view text) {
    std::string line;
    std::size_t characters = 0;
    for (char c : repairedUtf8(text)) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && ++characters > 60) {
            line += "...";
            break;
        }
        line += c == '\n' || c == '\r' ? ' ' : c;
    }
    // TRANSLATORS: a text quoted in a message; use the language's own quotation marks.
    return i18n::fill(i18n::txc("a quoted text", "\"%1\""), {line});
}

ImportResult readCsvQuestions(std::string_view text) {
    ImportResult result;
    // The file's name is put on by describe().
    std::vector<int> lines;
    auto questions = parseQuestionsCsv(text, "", &lines, &result.questionsNotKept);
    if (!questions) {
        result.fatal = Problem::atLine(questions.error().line(), questions.error().message());
        return result;
    }
    result.questions = std::move(*questions);
    for (int line : lines) result.places.push_back(Problem::atLine(line));
    if (result.usable() > 0) result.categoryCounts[""] = result.usable();
    return result;
}

ImportResult readQuestions(ImportFormat format, std::string_view text,
                           const ImportSettings& settings) {
    switch (format) {
        case ImportFormat::kAiken:
            return readAiken(text, settings);
        case ImportFormat::kGift:
            return readGift(text, settings);
        case ImportFormat::kOpenTdb:
            return readOpenTdb(text, settings);
        case ImportFormat::kCsv:
            break;
    }
    return readCsvQuestions(text);
}

namespace importing {

std::optional<Problem> encodingFault(std::string_view text, bool readAsWindows1252) {
    const auto invalid = findInvalidUtf8(text);
    if (!invalid) return std::nullopt;
    const std::string_view before = text.substr(0, *invalid);
    Problem fault;
    fault.line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    const std::string where = i18n::fill(
        i18n::tx("column %1"), {std::to_string(text::utf8Length(before.substr(lineStart)) + 1)});
    if (text[*invalid] == '\0') {
        fault.message = i18n::fill(i18n::tx("a NUL byte at %1; this is not a text file"), {where});
    } else {
        static constexpr char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(text[*invalid]);
        const char hex[] = {kHex[byte >> 4], kHex[byte & 15], '\0'};
        // TRANSLATORS: %1 is a byte in hexadecimal, %2 where it is ("column 12").
        fault.message =
            readAsWindows1252
                ? i18n::fill(i18n::tx("not UTF-8 (the byte 0x%1 at %2): read as Windows-1252"),
                             {hex, where})
                : i18n::fill(i18n::tx("the byte 0x%1 at %2 is not UTF-8; save the file as UTF-8 "
                                      "and import it again"),
                             {hex, where});
    }
    return fault;
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.substr(0, kMark.size()) == kMark ? text.substr(kMark.size()) : text;
}

bool Lines::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++number_;
    return true;
}

std::string_view trim(std::string_view text) {
    return rules::trimmed(text);
}

std::optional<std::string> tooLarge(const Question& question) {
    std::size_t bytes = question.text.size() + question.points.size() + question.media.size();
    for (const std::string& answer : question.answers) bytes += answer.size();
    if (bytes <= kMaxQuestionBytes) return std::nullopt;
    return i18n::fill(i18n::tx("the question and its answers take %1 bytes, more than the %2 a "
                               "module can store for one question"),
                      {std::to_string(bytes), std::to_string(kMaxQuestionBytes)});
}

std::optional<std::string> unplayable(const Question& question) {
    if (auto why = tooLarge(question)) return why;
    const auto faults = rules::playFaults(question.text, question.answers);
    if (faults.empty()) return std::nullopt;
    const rules::PlayFault& first = faults.front();
    switch (first.kind) {
        case rules::PlayFault::kTextEmpty:
            return i18n::tx("the question text is empty");
        case rules::PlayFault::kAnswerEmpty:
            return first.answer == 0 ? i18n::tx("the right answer is empty")
                                     : i18n::tx("a wrong answer is empty");
        case rules::PlayFault::kSameAnswer:
            break;
    }
    return i18n::fill(i18n::tx("the answer \"%1\" is given twice"),
                      {trim(question.answers[first.answer])});
}

void keep(ImportResult& result, Question question, Problem where, const std::string& category) {
    if (auto why = unplayable(question)) {
        where.message = *why;
        result.skip(std::move(where));
        return;
    }
    if (result.questions.size() < static_cast<std::size_t>(kMaxQuestions)) {
        result.questions.push_back(std::move(question));
        result.places.push_back(std::move(where));
    } else {
        ++result.questionsNotKept;
    }
    ++result.categoryCounts[category];
}

std::string decodeHtmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) break;
        out.append(text.substr(pos, amp - pos));
        // The longest reference names are 31 characters long; looking further for the ';' would
        // rescan the rest of a text of many '&' from each of them.
        const std::size_t semicolon = text.substr(amp + 1, 33).find(';');
        if (semicolon != std::string_view::npos) {
            if (char32_t code = referencedCharacter(text.substr(amp + 1, semicolon))) {
                appendUtf8(out, code);
                pos = amp + semicolon + 2;
                continue;
            }
        }
        out += '&';
        pos = amp + 1;
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace importing

}  // namespace vexlor::authoring
