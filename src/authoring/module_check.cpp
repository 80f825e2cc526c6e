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
#include "text/i18n.h"

namespace vexlor::authoring {

namespace {

using i18n::counted;
using i18n::fill;
using i18n::tx;
using i18n::txn;

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
    // TRANSLATORS: %1 is a field of the question's form ("Right answer", "Question").
    if (layout.tooWide)
        return fill(tx("%1 has a word wider than its panel, which cuts it off"), {shown.what});
    const auto lines = static_cast<std::size_t>(layout.lines);
    // TRANSLATORS: %1 is a field of the question's form, %2 the lines its text takes, %3 the
    // lines its panel in the game shows.
    return fill(txn("%1 is too long for its panel: %2 line where %3 fit; shorten it",
                    "%1 is too long for its panel: %2 lines where %3 fit; shorten it", lines),
                {shown.what, std::to_string(lines), std::to_string(layout.linesShown)});
}

}  // namespace

std::string_view fieldLabel(QuestionField field) {
    // TRANSLATORS: the fields of the editor's question form, as problems name them.
    static constexpr const char* kLabels[] = {VX_N("Question"),        VX_N("Right answer"),
                                              VX_N("Wrong answer 1"),  VX_N("Wrong answer 2"),
                                              VX_N("Wrong answer 3"),  VX_N("Points"),
                                              VX_N("Picture or sound")};
    return tx(kLabels[static_cast<std::size_t>(field)]);
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
                breaks(QuestionField::kText, tx("Question is empty"));
                break;
            case rules::PlayFault::kAnswerEmpty:
                // TRANSLATORS: %1 is an answer's field of the form ("Wrong answer 2").
                breaks(field, fill(tx("%1 is empty"), {label(field)}));
                break;
            case rules::PlayFault::kSameAnswer:
                // The later field is the one at fault: it is the one usually typed last.
                // TRANSLATORS: %1 and %2 are answers' fields of the form, %3 the answer.
                breaks(field, fill(tx("%1 and %2 are the same answer \"%3\""),
                                   {label(answerField(fault.earlier)), label(field),
                                    rules::trimmed(question.answers[fault.answer])}));
                break;
        }
    }
    if (!rules::startsWithNumber(question.points))
        breaks(QuestionField::kPoints,
               fill(tx("Points \"%1\" is not a number, so the question is worth 0: write digits, "
                       "such as 100"),
                    {question.points}));
    else if (!rules::isNumber(question.points))
        // TRANSLATORS: "%1 Point Question" is the game's status line as English shows it;
        // quote the game's own translation of it ("%1 Points Question").
        warn(QuestionField::kPoints,
             fill(tx("Points \"%1\" shows as \"%1 Point Question\": write only the number"),
                  {question.points}));

    const rules::MediaKind media = rules::mediaKind(question.media);
    {
        using rules::panels::kAnswer, rules::panels::kQuestion;
        const int questionWidth = media == rules::MediaKind::kPicture
                                      ? rules::panels::kQuestionWidthBesidePicture
                                      : kQuestion.width;
        const std::string where = media == rules::MediaKind::kPicture
                                      ? tx("Question (beside its picture)")
                                      : label(QuestionField::kText);
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
                   fill(tx("Picture or sound \"%1\" is neither shown nor played: pictures must be "
                           "gif, bmp or ico and sounds mp3, mid or wav, the ending all lower or "
                           "all upper case"),
                        {question.media}));
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
                   fill(tx("Picture or sound \"%1\" lies outside the module's folder: give a "
                           "name relative to the folder, which travels with the module"),
                        {question.media}));
            break;
        case rules::MediaFile::kOutside:
            breaks(QuestionField::kMedia,
                   fill(tx("Picture or sound \"%1\" is a link leading outside the module's "
                           "folder, which the game does not follow: copy the file into the "
                           "folder"),
                        {question.media}));
            break;
        case rules::MediaFile::kMissing:
            // The game asks the question without its picture or sound, and says nothing.
            // TRANSLATORS: %1 is the media file's name, %2 the module's folder.
            add(true, QuestionField::kMedia,
                fill(tx("Picture or sound \"%1\" is not in \"%2\": put it there, beside the "
                        "module"),
                     {question.media, mediaFolder.string()}))
                .mediaMissing = true;
            break;
    }
    return problems;
}

std::string CheckReport::summary() const {
    // TRANSLATORS: what check says of a module without problems; %1 counts its questions, %2
    // its pictures, %3 its sounds.
    return fill(tx("ok: %1, %2, %3"),
                {counted(questions, txn("%1 question", "%1 questions", questions)),
                 counted(pictures, txn("%1 picture", "%1 pictures", pictures)),
                 counted(sounds, txn("%1 sound", "%1 sounds", sounds))});
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
        add(true, tx("the properties table has no row, so there is no title"));
    } else {
        if (propertyRows.size() > 1)
            add(false, fill(txn("the properties table has %1 row; the game reads only the first",
                                "the properties table has %1 rows; the game reads only the first",
                                propertyRows.size()),
                            {std::to_string(propertyRows.size())}));
        if (propertyRows.front().title.empty()) add(true, tx("the title is empty"));
    }
    if (questionCount == 0) add(true, tx("there are no questions"));
    if (static_cast<std::int64_t>(questionCount) > kMaxQuestions)
        add(true, fill(txn("there is %1 question; the game counts at most %2",
                           "there are %1 questions; the game counts at most %2", questionCount),
                       {std::to_string(questionCount), std::to_string(kMaxQuestions)}));
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
        for (const Problem& found : checkQuestion(questions[i], mediaFolder)) {
            const std::string number = std::to_string(i + 1);
            // TRANSLATORS: %1 is the question's number, %2 a column of the module's file as
            // the file names it (not translated), %3 the problem.
            report.problems.push_back(
                found.field
                    ? fill(tx("question %1 (%2): %3"),
                           {number, kQuestionColumns[static_cast<std::size_t>(*found.field)],
                            found.message})
                    : fill(tx("question %1: %2"), {number, found.message}));
        }
    }
    return report;
}

}  // namespace vexlor::authoring
