#include "rules/refusals.h"

#include <cctype>

namespace vexlor::rules::refusals {

namespace {

// The first letter of a sentence as a capital: ASCII, and the Latin-1 letters of the
// translations ("é" to "É"), whose second UTF-8 byte moves by 0x20 as in Latin-1.
void capitalise(std::string& sentence) {
    if (sentence.empty()) return;
    const auto first = static_cast<unsigned char>(sentence[0]);
    if (first < 0x80) {
        sentence[0] = static_cast<char>(std::toupper(first));
    } else if (first == 0xC3 && sentence.size() > 1) {
        const auto second = static_cast<unsigned char>(sentence[1]);
        if (second >= 0xA0 && second <= 0xBE && second != 0xB7)
            sentence[1] = static_cast<char>(second - 0x20);
    }
}

}  // namespace

std::string inLanguage(std::string_view wording) {
    const std::string english(wording);
    return i18n::tx(english.c_str());
}

std::string notAFile(std::string_view what) {
    // TRANSLATORS: why a path cannot be opened as a module; %1 is what stands there ("a
    // folder", "a named pipe"). The game shows it after the file's name, with a capital.
    return i18n::fill(i18n::tx("%1, not a module file"), {inLanguage(what)});
}

std::string gameRefusal(std::string_view shortName, const Status& opened) {
    const bool inUse = !opened && opened.error().kind() == ErrorKind::kInUse;
    return std::string(shortName) + "\r" + inLanguage(inUse ? kInUse : kNotValid);
}

std::string gameUnreachable(std::string_view shortName, std::string_view why) {
    std::string sentence = inLanguage(why);
    capitalise(sentence);
    return std::string(shortName) + "\r" + sentence;
}

std::string toolDanglingLink(std::string_view target) {
    // TRANSLATORS: the tool prints it after "<file>: "; %1 is where the link points.
    return i18n::fill(i18n::tx("a symbolic link to %1, which does not exist"), {target});
}

std::string toolWrongLayout(std::string_view why) {
    // TRANSLATORS: the tool prints it after "<file>: "; %1 says what is missing ("it has no
    // table HScore").
    return i18n::fill(i18n::tx("not a Vexlor module (%1)"), {why});
}

std::string toolEarlierFormat(std::string_view path) {
    // TRANSLATORS: the tool prints it after "<file>: "; the command is typed as it stands, %1
    // is the file's path.
    return i18n::fill(i18n::tx("is a module in the earlier format (a Jet database): convert it "
                               "first with: vexlor-module convert %1"),
                      {path});
}

std::string toolNeedsRecovery(std::string_view fileName) {
    // TRANSLATORS: the tool prints it after "<file>: "; %1-journal is the name of the journal
    // file beside the module.
    return i18n::fill(i18n::tx("needs recovering: the journal beside it (%1-journal) holds an "
                               "interrupted write, and this command only reads"),
                      {fileName});
}

}  // namespace vexlor::rules::refusals
