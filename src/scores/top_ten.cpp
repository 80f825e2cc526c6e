#include "scores/top_ten.h"

#include <algorithm>
#include <cstdlib>

#include "app/master_form.h"
#include "app/text_values.h"
#include "text/text.h"

namespace vexlor::scores {

std::size_t characterCount(std::string_view text) {
    return text::utf8Length(text);
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, text::utf8Offset(text, count)));
}

double scoreValue(std::string_view text) {
    // Read as the ranking's conversion of a text to a real number does, so that the tenth line
    // compares as it is ranked.
    std::size_t i = 0;
    auto digitAt = [&](std::size_t at) {
        return at < text.size() && text[at] >= '0' && text[at] <= '9';
    };
    while (i < text.size() &&
           std::string_view(" \t\n\v\f\r").find(text[i]) != std::string_view::npos)
        ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false;
    for (; digitAt(i); ++i) digits = true;
    if (i < text.size() && text[i] == '.')
        for (++i; digitAt(i); ++i) digits = true;
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (digitAt(exponent))
            for (i = exponent; digitAt(i);) ++i;
    }
    const std::string number(text.substr(start, i - start));
    return std::strtod(number.c_str(), nullptr);
}

std::string rankPrefix(int rank) {
    return rank >= 10 ? std::to_string(rank) + "." : " " + std::to_string(rank) + ".";
}

std::string topTenLine(int rank, std::string_view name, std::string_view date,
                       std::string_view score) {
    // A name too long for its column (only rows written by other programs have one) is cut,
    // so the line still shows this row and not what the label held before.
    std::string line = rankPrefix(rank) + firstCharacters(name, kNameWidth);
    line.append(kNameWidth - std::min(characterCount(name), kNameWidth), ' ');
    line += ' ';
    line += date;
    line += ' ';
    line += score;
    return line;
}

std::string emptyTopTenLine(int rank) {
    return topTenLine(rank, "", "", "");
}

double lineScore(std::string_view line) {
    // The score is the last word after the prefix and the name column, whatever its length:
    // reading only a fixed number of characters would cut six-digit scores.
    std::string_view rest = line.substr(text::utf8Offset(line, 3 + kNameWidth));
    while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
    const auto blank = rest.rfind(' ');
    if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
    return scoreValue(rest);
}

bool qualifies(std::string_view scoreText, std::string_view tenthLine) {
    const double score = app::numericValue(scoreText);
    return score > 0 && lineScore(tenthLine) < score;
}

}  // namespace vexlor::scores

namespace vexlor::app {

void MasterForm::HighScore() {
    // One move to the best row, then one row back per rank. A failed step leaves its line as
    // it was; a rank without a row (a short or empty table) shows only its prefix, never
    // what the bound boxes kept from another module.
    bool moved = Data4.MoveLast().ok();
    for (int rank = 1; rank <= 10; ++rank) {
        if (rank > 1) moved = Data4.MovePrevious().ok();
        const bool onRow = Data4.isOpen() && !Data4.atBOF() && !Data4.atEOF();
        if (!onRow)
            Pan(rank).Caption = scores::emptyTopTenLine(rank);
        else if (moved)
            Pan(rank).Caption = scores::topTenLine(rank, NomT.Text, DateT.Text, ScoreT.Text);
    }
}

bool MasterForm::scoreQualifies() const {
    return scores::qualifies(Score.Caption, Pan10.Caption);
}

void MasterForm::enterHighScore() {
    // Timers go on ticking while the entry window is open; one game over opens it once.
    if (enteringHighScore_ || !scoreQualifies()) return;
    enteringHighScore_ = true;
    const auto entry = services_.windows.showHighScoreEntry();
    enteringHighScore_ = false;
    if (entry == platform::HighScoreEntry::NotStored)
        services_.messageBox.show(services_.fileSystem.fileName(Data4.DatabaseName) +
                                      "\rYour score could not be saved in this module.",
                                  platform::message_style::kExclamation, kHighScoreTitle);
}

}  // namespace vexlor::app
