#include "vexlor-module/module_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

#include "platform/file_system.h"
#include "rules/media.h"
#include "rules/numbers.h"

namespace vexlor::authoring {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool isBlank(std::string_view text) {
    return text.find_first_not_of(kBlanks) == text.npos;
}

// Answers that differ only in surrounding blanks look the same on screen.
std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == text.npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string quotedText(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

void checkQuestion(const Question& question, std::size_t number,
                   const std::filesystem::path& mediaFolder, CheckReport& report) {
    const std::string prefix = "question " + std::to_string(number) + ": ";
    auto problem = [&](const std::string& text) { report.problems.push_back(prefix + text); };

    if (isBlank(question.text)) problem("the question text is empty");
    for (std::size_t i = 0; i < question.answers.size(); ++i) {
        const std::string column(kQuestionColumns[i + 1]);
        if (isBlank(question.answers[i])) {
            problem(i == 0 ? std::string("the right answer (Reponce) is empty")
                           : "the wrong answer " + column + " is empty");
            continue;
        }
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (trimmed(question.answers[earlier]) != trimmed(question.answers[i])) continue;
            problem(std::string(kQuestionColumns[earlier + 1]) + " and " + column +
                    " are the same answer " + quotedText(trimmed(question.answers[i])));
            break;
        }
    }
    if (!rules::startsWithNumber(question.points))
        problem("Points " + quotedText(question.points) + " does not start with a number");

    switch (rules::mediaKind(question.media)) {
        case rules::MediaKind::kNone:
            return;
        case rules::MediaKind::kNotPlayed:
            problem("media " + quotedText(question.media) +
                    " is neither played nor shown: the name must end in mp3, mid, wav, gif, bmp "
                    "or ico, all lower or all upper case");
            return;
        case rules::MediaKind::kSound:
            ++report.sounds;
            break;
        case rules::MediaKind::kPicture:
            ++report.pictures;
            break;
    }
    // The file is looked for exactly as the game looks for it.
    std::string folder = mediaFolder.string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    switch (rules::lookUpMedia(platform::StdFileSystem(), folder, question.media).found) {
        case rules::MediaFile::kFound:
            break;
        case rules::MediaFile::kNotRelative:
            problem("media " + quotedText(question.media) +
                    " lies outside the module's folder: give a name relative to the folder, "
                    "which travels with the module");
            break;
        case rules::MediaFile::kOutside:
            problem("media " + quotedText(question.media) +
                    " is a link leading outside the module's folder, which the game does not "
                    "follow: copy the file into the folder");
            break;
        case rules::MediaFile::kMissing:
            problem("media file " + quotedText(question.media) + " is missing");
            break;
    }
}

}  // namespace

std::string CheckReport::summary() const {
    return "ok: " + counted(questions, "question", "questions") + ", " +
           counted(pictures, "picture", "pictures") + ", " + counted(sounds, "sound", "sounds");
}

CheckReport checkModule(const std::vector<Properties>& propertyRows,
                        const std::vector<Question>& questions,
                        const std::filesystem::path& mediaFolder) {
    CheckReport report;
    report.questions = questions.size();
    auto problem = [&](const std::string& text) { report.problems.push_back("module: " + text); };

    if (propertyRows.empty()) {
        problem("the properties table has no row, so there is no title");
    } else {
        if (propertyRows.size() > 1)
            problem("the properties table has " + std::to_string(propertyRows.size()) +
                    " rows; the game reads only the first");
        if (propertyRows.front().title.empty()) problem("the title is empty");
    }
    if (questions.empty()) problem("there are no questions");
    if (static_cast<std::int64_t>(questions.size()) > kMaxQuestions)
        problem("there are " + std::to_string(questions.size()) +
                " questions; the game counts at most " + std::to_string(kMaxQuestions));

    for (std::size_t i = 0; i < questions.size(); ++i)
        checkQuestion(questions[i], i + 1, mediaFolder, report);
    return report;
}

}  // namespace vexlor::authoring
