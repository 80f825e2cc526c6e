#include "rules/questions.h"

namespace vexlor::rules {

std::string askedText(std::int64_t number) {
    return std::to_string(number);
}

std::int64_t askedNumber(std::string_view text) {
    // Digits only, then the text must be what askedText writes for their value: whatever the
    // game writes the editor reads, and nothing else.
    if (text.empty() || text.size() > 18) return 0;
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + (c - '0');
    }
    return askedText(number) == text ? number : 0;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::vector<PlayFault> playFaults(std::string_view text, std::span<const std::string, 4> answers) {
    std::vector<PlayFault> faults;
    if (trimmed(text).empty()) faults.push_back({PlayFault::kTextEmpty});
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const std::string_view answer = trimmed(answers[i]);
        if (answer.empty()) {
            faults.push_back({PlayFault::kAnswerEmpty, i});
            continue;
        }
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (trimmed(answers[earlier]) != answer) continue;
            faults.push_back({PlayFault::kSameAnswer, i, earlier});
            break;
        }
    }
    return faults;
}

}  // namespace vexlor::rules
