#include "authoring/module_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

#include "authoring/text_fit.h"
#include "platform/file_system.h"
#include "rules/media.h"
#include "rules/numbers.h"
#include "rules/questions.h"
#include "rules/text_panels.h"

namespace vexlor::authoring {

namespace {

std::string quotedText(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

// The panel a text is drawn in, and what the problem says it is.
struct PanelText {
    std::string_view text;
    const rules::panels::TextPanel& panel;
    int width;  ///< twips
    std::string what;
};

std::optional<std::string> overflow(const PanelText& shown) {
    TextMeasure* measure = TextMeasure::shared();
    if (measure == nullptr) return std::nullopt;  // with no font at all, nothing can be told
    using rules::panels::pixels;
    const TextLayout layout = measure->layout(shown.text, shown.panel.font, pixels(shown.width),
                                              pixels(shown.panel.height));
    if (layout.fits()) return std::nullopt;
    if (layout.tooWide) return shown.what + " has a word wider than its panel, which cuts it off";
    return shown.what + " is too long for its panel: " +
           counted(static_cast<std::size_t>(layout.lines), "line", "lines") + " where " +
           std::to_string(layout.linesShown) + " fit; shorten it";
}

}  // namespace

std::string_view fieldLabel(QuestionField field) {
    static constexpr std::string_view kLabels[] = {
        "Question",       "Right answer", "Wrong answer 1",  "Wrong answer 2",
        "Wrong answer 3", "Points",       "Picture or sound"};
    return kLabels[static_cast<std::size_t>(field)];
}

std::vector<Problem> checkQuestion(const Question& question,
                                   const std::filesystem::path& mediaFolder) {
    std::vector<Problem> problems;
    auto add = [&](bool breaksGame, QuestionField field, const std::string& text) -> Problem& {
        Problem& problem = problems.emplace_back();
        problem.message = text;
        problem.breaksGame = breaksGame;
        problem.field = field;
        return problem;
    };
    auto breaks = [&](QuestionField field, const std::string& text) { add(true, field, text); };
    auto warn = [&](QuestionField field, const std::string& text) { add(false, field, text); };
    auto answerField = [](std::size_t answer) { return static_cast<QuestionField>(answer + 1); };
    auto label = [](QuestionField field) { return std::string(fieldLabel(field)); };

    for (const rules::PlayFault& fault : rules::playFaults(question.text, question.answers)) {
        const QuestionField field = answerField(fault.answer);
        switch (fault.kind) {
            case rules::PlayFault::kTextEmpty:
                breaks(QuestionField::kText, "Question is empty");
                break;
            case rules::PlayFault::kAnswerEmpty:
                breaks(field, label(field) + " is empty");
                break;
            case rules::PlayFault::kSameAnswer:
                // The later field is the one at fault: it is the one usually typed last.
                breaks(field, label(answerField(fault.earlier)) + " and " + label(field) +
                                  " are the same answer " +
                                  quotedText(rules::trimmed(question.answers[fault.answer])));
                break;
        }
    }
    if (!rules::startsWithNumber(question.points))
        breaks(QuestionField::kPoints,
               "Points " + quotedText(question.points) +
                   " is not a number, so the question is worth 0: write digits, such as 100");
    else if (!rules::isNumber(question.points))
        warn(QuestionField::kPoints, "Points " + quotedText(question.points) + " shows as \"" +
                                         question.points +
                                         " Point Question\": write only the number");

    const rules::MediaKind media = rules::mediaKind(question.media);
    {
        using rules::panels::kAnswer, rules::panels::kQuestion;
        const int questionWidth = media == rules::MediaKind::kPicture
                                      ? rules::panels::kQuestionWidthBesidePicture
                                      : kQuestion.width;
        const std::string where = media == rules::MediaKind::kPicture
                                      ? "Question (beside its picture)"
                                      : std::string("Question");
        if (auto why = overflow({question.text, kQuestion, questionWidth, where}))
            warn(QuestionField::kText, *why);
        for (std::size_t i = 0; i < question.answers.size(); ++i) {
            const QuestionField field = answerField(i);
            if (auto why = overflow({question.answers[i], kAnswer, kAnswer.width, label(field)}))
                warn(field, *why);
        }
    }

    if (media == rules::MediaKind::kNone || media == rules::MediaKind::kNotPlayed) {
        if (media == rules::MediaKind::kNotPlayed)
            breaks(QuestionField::kMedia,
                   "Picture or sound " + quotedText(question.media) +
                       " is neither shown nor played: pictures must be gif, bmp or ico and sounds "
                       "mp3, mid or wav, the ending all lower or all upper case");
        return problems;
    }
    // The file is looked for exactly as the game looks for it.
    std::string folder = mediaFolder.string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    switch (rules::lookUpMedia(platform::StdFileSystem(), folder, question.media).found) {
        case rules::MediaFile::kFound:
            break;
        case rules::MediaFile::kNotRelative:
            breaks(QuestionField::kMedia,
                   "Picture or sound " + quotedText(question.media) +
                       " lies outside the module's folder: give a name relative to the folder, "
                       "which travels with the module");
            break;
        case rules::MediaFile::kOutside:
            breaks(QuestionField::kMedia,
                   "Picture or sound " + quotedText(question.media) +
                       " is a link leading outside the module's folder, which the game does not "
                       "follow: copy the file into the folder");
            break;
        case rules::MediaFile::kMissing:
            // The game asks the question without its picture or sound, and says nothing.
            add(true, QuestionField::kMedia,
                "Picture or sound " + quotedText(question.media) + " is not in " +
                    quotedText(mediaFolder.string()) + ": put it there, beside the module")
                .mediaMissing = true;
            break;
    }
    return problems;
}

std::string CheckReport::summary() const {
    return "ok: " + counted(questions, "question", "questions") + ", " +
           counted(pictures, "picture", "pictures") + ", " + counted(sounds, "sound", "sounds");
}

std::vector<Problem> checkModuleWhole(const std::vector<Properties>& propertyRows,
                                      std::size_t questionCount) {
    std::vector<Problem> problems;
    auto add = [&](bool breaksGame, std::string message) {
        Problem& problem = problems.emplace_back();
        problem.message = std::move(message);
        problem.breaksGame = breaksGame;
        problem.kind = Problem::Kind::kModule;
    };
    if (propertyRows.empty()) {
        add(true, "the properties table has no row, so there is no title");
    } else {
        if (propertyRows.size() > 1)
            add(false, "the properties table has " + std::to_string(propertyRows.size()) +
                           " rows; the game reads only the first");
        if (propertyRows.front().title.empty()) add(true, "the title is empty");
    }
    if (questionCount == 0) add(true, "there are no questions");
    if (static_cast<std::int64_t>(questionCount) > kMaxQuestions)
        add(true, "there are " + std::to_string(questionCount) +
                      " questions; the game counts at most " + std::to_string(kMaxQuestions));
    return problems;
}

CheckReport checkModule(const std::vector<Properties>& propertyRows,
                        const std::vector<Question>& questions,
                        const std::filesystem::path& mediaFolder) {
    CheckReport report;
    report.questions = questions.size();
    for (const Problem& problem : checkModuleWhole(propertyRows, questions.size()))
        report.problems.push_back(problem.describe());

    for (std::size_t i = 0; i < questions.size(); ++i) {
        const rules::MediaKind media = rules::mediaKind(questions[i].media);
        report.pictures += media == rules::MediaKind::kPicture;
        report.sounds += media == rules::MediaKind::kSound;
        // The tool's reader edits the file, where a field goes by its column's name.
        for (const Problem& found : checkQuestion(questions[i], mediaFolder))
            report.problems.push_back(
                "question " + std::to_string(i + 1) +
                (found.field
                     ? " (" +
                           std::string(kQuestionColumns[static_cast<std::size_t>(*found.field)]) +
                           ")"
                     : std::string()) +
                ": " + found.message);
    }
    return report;
}

}  // namespace vexlor::authoring
