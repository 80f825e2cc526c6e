// Aiken: a question on one or more lines, its options "A." or "A)", then "ANSWER: X".

#include <algorithm>
#include <cctype>

#include "authoring/import.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace {

using i18n::fill;
using i18n::tx;
using importing::trim;

struct Block {
    int line = 0;  ///< where the question starts; 0 when none is open
    std::string text;
    std::vector<std::pair<char, std::string>> options;  ///< each letter once
    std::size_t optionCount = 0;                        ///< repeated letters too
    char repeated = 0;                                  ///< the first letter given twice

    // A repeated letter is only counted: comparing each option with all before it would take
    // a block of a million options a million times a million steps.
    void addOption(char letter, std::string_view optionText) {
        ++optionCount;
        const bool seen = std::any_of(options.begin(), options.end(),
                                      [&](const auto& option) { return option.first == letter; });
        if (!seen)
            options.emplace_back(letter, optionText);
        else if (!repeated)
            repeated = letter;
    }
};

bool isAnswerLine(std::string_view line) {
    constexpr std::string_view kKey = "answer:";
    if (line.size() < kKey.size()) return false;
    for (std::size_t i = 0; i < kKey.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != kKey[i]) return false;
    return true;
}

// "B. text", "B) text", or a bare "B." for an empty option; "b)" is option B.
bool isOption(std::string_view line) {
    return line.size() >= 2 && std::isalpha(static_cast<unsigned char>(line[0])) &&
           (line[1] == '.' || line[1] == ')') &&
           (line.size() == 2 || line[2] == ' ' || line[2] == '\t');
}

// Why the block and its ANSWER cannot be a question, or nothing.
std::optional<std::string> answerProblem(const Block& block, std::string_view answer) {
    if (block.repeated)
        return fill(tx("option %1 is given twice"), {std::string(1, block.repeated)});
    std::string letters;
    for (char c : answer)
        if (std::isalpha(static_cast<unsigned char>(c)))
            letters += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (letters.empty()) return tx("the ANSWER line names no option");
    // "ANSWER: Pacific" names an option by its text; "A, C" or "AC" name two options.
    const bool word = std::any_of(letters.begin(), letters.end(), [&](char letter) {
        return std::none_of(block.options.begin(), block.options.end(),
                            [&](const auto& option) { return option.first == letter; });
    });
    if (letters.size() > 1 && word) {
        for (const auto& [letter, text] : block.options)
            if (trim(text) == answer)
                // TRANSLATORS: ANSWER is the file's keyword; %1 is a letter, %2 the answer.
                return fill(tx("ANSWER must give the letter of the right option: write ANSWER: "
                               "%1 for \"%2\""),
                            {std::string(1, letter), answer});
        return fill(tx("ANSWER must give the letter of the right option (ANSWER: %1)"), {answer});
    }
    if (letters.size() > 1)
        return fill(tx("two or more right answers (ANSWER: %1); a question has one"), {answer});
    const bool named = std::any_of(block.options.begin(), block.options.end(),
                                   [&](const auto& option) { return option.first == letters[0]; });
    if (!named)
        return fill(tx("ANSWER names option %1, which the question does not have"), {letters});
    if (block.optionCount != 4)
        // English says "options" even of one, as it always has.
        return fill(i18n::txn("%1 options; a question needs four: the right answer and three "
                              "wrong ones",
                              "%1 options; a question needs four: the right answer and three "
                              "wrong ones",
                              block.optionCount),
                    {std::to_string(block.optionCount)});
    return std::nullopt;
}

void finish(ImportResult& result, Block& block, std::string_view answer,
            const ImportSettings& settings) {
    Problem where = Problem::atLine(block.line);
    if (auto problem = answerProblem(block, answer)) {
        where.message = *problem;
        result.skip(std::move(where));
    } else {
        const char right = static_cast<char>(std::toupper(
            static_cast<unsigned char>(*std::find_if(answer.begin(), answer.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c));
            }))));
        Question question;
        question.text = std::move(block.text);
        question.points = std::to_string(settings.points);
        std::size_t wrong = 1;
        for (auto& [letter, option] : block.options)
            question.answers[letter == right ? 0 : wrong++] = std::move(option);
        importing::keep(result, std::move(question), std::move(where));
    }
    block = Block{};
}

}  // namespace

ImportResult readAiken(std::string_view text, const ImportSettings& settings) {
    ImportResult result;
    if ((result.fatal = importing::encodingFault(text))) return result;
    importing::Lines lines(importing::withoutByteOrderMark(text));
    Block block;
    auto unanswered = [&] {
        result.skip(Problem::atLine(block.line, tx("the question has no ANSWER line")));
        block = Block{};
    };
    for (std::string_view raw; lines.next(raw);) {
        const int number = lines.number();
        const std::string_view line = trim(raw);
        if (line.empty()) continue;
        if (isAnswerLine(line)) {
            if (block.line == 0)
                result.skip(Problem::atLine(number, tx("an ANSWER line without a question")));
            else
                finish(result, block, trim(line.substr(7)), settings);
            continue;
        }
        if (block.line != 0 && isOption(line)) {
            block.addOption(static_cast<char>(std::toupper(static_cast<unsigned char>(line[0]))),
                            trim(line.substr(2)));
            continue;
        }
        // Text after options starts the next question: this one never got its ANSWER.
        if (block.line != 0 && !block.options.empty()) unanswered();
        if (block.line == 0) block.line = number;
        if (!block.text.empty()) block.text += '\n';
        block.text += line;
    }
    if (block.line != 0) unanswered();
    return result;
}

}  // namespace vexlor::authoring
