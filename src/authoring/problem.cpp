#include "authoring/problem.h"

#include "text/i18n.h"

namespace vexlor::authoring {

std::string Problem::describe(std::string_view fileName) const {
    if (!fileName.empty()) {
        const std::string file(fileName);
        if (line > 0) return file + ":" + std::to_string(line) + ": " + message;
        if (!place.empty()) return file + ": " + place + ": " + message;
        return file + ": " + message;
    }
    // TRANSLATORS: a problem of the module as a whole, in the editor's list and check's report.
    if (kind == Kind::kModule) return i18n::fill(i18n::tx("module: %1"), {message});
    // TRANSLATORS: %1 is the question's number, %2 the problem.
    return i18n::fill(i18n::tx("question %1: %2"), {std::to_string(row + 1), message});
}

Problem Problem::atLine(int line, std::string message) {
    Problem problem;
    problem.message = std::move(message);
    problem.line = line;
    return problem;
}

Problem Problem::atPlace(std::string place, std::string message) {
    Problem problem;
    problem.message = std::move(message);
    problem.place = std::move(place);
    return problem;
}

Problem Problem::saying(std::string said) const {
    Problem problem = *this;
    problem.message = std::move(said);
    return problem;
}

}  // namespace vexlor::authoring
