#include "rules/refusals.h"

#include <cctype>

namespace vexlor::rules::refusals {

std::string notAFile(std::string_view what) {
    return std::string(what) + ", not a module file";
}

std::string gameRefusal(std::string_view shortName, const Status& opened) {
    const bool inUse = !opened && opened.error().kind() == ErrorKind::kInUse;
    return std::string(shortName) + "\r" + std::string(inUse ? kInUse : kNotValid);
}

std::string gameUnreachable(std::string_view shortName, std::string_view why) {
    std::string sentence(why);
    if (!sentence.empty())
        sentence.front() =
            static_cast<char>(std::toupper(static_cast<unsigned char>(sentence.front())));
    return std::string(shortName) + "\r" + sentence;
}

std::string toolDanglingLink(std::string_view target) {
    return "a symbolic link to " + std::string(target) + ", which does not exist";
}

std::string toolWrongLayout(std::string_view why) {
    return "not a Vexlor module (" + std::string(why) + ")";
}

std::string toolEarlierFormat(std::string_view path) {
    return "is a module in the earlier format (a Jet database): convert it first with: "
           "vexlor-module convert " +
           std::string(path);
}

std::string toolNeedsRecovery(std::string_view fileName) {
    return "needs recovering: the journal beside it (" + std::string(fileName) +
           "-journal) holds an interrupted write, and this command only reads";
}

}  // namespace vexlor::rules::refusals
