#include "authoring/document.h"
#include "authoring/document_state.h"
#include "authoring/module_media.h"
#include "authoring/save_plan.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;

namespace {

using Entry = Document::State::Entry;

SavePlan planOf(const Document::State& state) {
    std::vector<PlannedRow> rows;
    rows.reserve(state.rows.size());
    for (const Entry& entry : state.rows) {
        const auto place = state.savedPlace(entry.id);
        rows.push_back(
            {&entry.question, place, place && state.savedVersions[*place] != entry.version});
    }
    return planSave(state.base, state.properties, rows);
}

Status refuseWithoutTitle(const Properties& properties, const fs::path& path) {
    if (!properties.title.empty()) return Status::success();
    return Error(ErrorKind::kFailed,
                 i18n::tx("cannot save: the module has no title, and the game refuses a module "
                          "without one; give it a title"),
                 path.string());
}

}  // namespace

Result<SaveReport> Document::save() {
    State& state = *state_;
    if (Status titled = refuseWithoutTitle(state.properties, path()); !titled)
        return titled.error();
    if (readOnly())
        return Error(ErrorKind::kNoAccess,
                     // TRANSLATORS: Save As is the editor's command of that name.
                     i18n::tx("cannot save: the file cannot be written; use Save As to keep the "
                              "changes in a new file"),
                     path().string());
    SavePlan plan = planOf(state);
    auto written = state.file.writeChanges(plan.changes);
    if (!written) return written.error();
    if (written->rowIds.size() != state.rows.size())
        // English says "questions" even of one, as it always has.
        return Error(i18n::fill(
            i18n::txn("saved, but the module now holds %1 questions where %2 were written; revert "
                      "to see them",
                      "saved, but the module now holds %1 questions where %2 were written; revert "
                      "to see them",
                      written->rowIds.size()),
            {std::to_string(written->rowIds.size()), std::to_string(state.rows.size())}));
    state.adoptWritten(written->rowIds, written->stamp);
    SaveReport report;
    report.questionsWritten = plan.written;
    report.questionsRemoved = plan.removed;
    report.askedBefore = written->askedBefore;
    report.askedAfter = written->askedAfter;
    report.askedRenumbered = !plan.changes.renumbered.empty();
    report.problems = problems().size();
    return report;
}

Result<SaveReport> Document::saveAs(const fs::path& target, bool replace) {
    State& state = *state_;
    if (Status titled = refuseWithoutTitle(state.properties, target); !titled)
        return titled.error();
    std::error_code error;
    if (fs::equivalent(target, path(), error))
        // TRANSLATORS: said of a file chosen in Save As; Save is the editor's command.
        return Error(ErrorKind::kFailed, i18n::tx("is the module being edited: use Save"),
                     target.string());

    // The asked list and the top ten as they are now, the asked list renumbered as a save
    // would.
    auto asked = state.file.asked();
    if (!asked) return asked.error();
    auto stored = state.file.storedScores();
    if (!stored) return stored.error();
    auto rowIds = state.file.questionRowIds();
    if (!rowIds) return rowIds.error();
    const SavePlan plan = planOf(state);
    std::vector<std::string> newAsked =
        plan.changes.renumbered.empty() ? *asked : renumberAsked(*asked, plan.changes.renumbered);
    // When another program changed the questions, the asked list's numbers name its questions,
    // not these: the copy starts with none asked.
    const bool sameRows = std::equal(
        rowIds->begin(), rowIds->end(), state.base.questions.begin(), state.base.questions.end(),
        [](std::int64_t id, const StoredQuestion& kept) { return id == kept.rowId; });
    if (!sameRows) newAsked.clear();
    // The media travel with the module: copied first, and taken away again when the module
    // cannot be written, so a failed Save As leaves the folder as it was.
    const MediaSurvey survey = surveyMedia(this->questions(), mediaFolder());
    const fs::path targetFolder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    auto media = copyUsedMedia(survey, targetFolder);
    if (!media)
        return Error(media.error().kind(),
                     // TRANSLATORS: %1 is a media file's name and what is wrong with it.
                     i18n::fill(i18n::tx("cannot save: the media file %1; nothing was written"),
                                {media.error().what()}),
                     target.string());
    const std::vector<Question> questions = media->follow(this->questions());
    std::vector<ScoreEntry> scores;
    for (auto& score : *stored) scores.push_back(std::move(score.entry));
    if (Status written =
            writeModule(target, state.properties, questions, newAsked, scores, replace);
        !written)
        return written.error();
    media->keep();

    auto opened = ModuleStore::open(target, ModuleStore::Access::kReadWrite);
    if (!opened) return opened.error();
    auto copy = opened->snapshot();
    if (!copy) return copy.error();
    if (copy->questions.size() != state.rows.size())
        return Error(ErrorKind::kFailed, i18n::tx("was written with the wrong number of questions"),
                     target.string());
    state.file = std::move(*opened);
    // The questions whose media were copied under a new name name that one now, as the file.
    for (const auto& [row, name] : media->renamedRows()) state.rows[row].question.media = name;
    state.mediaFolder.reset();
    state.adopt(std::move(*copy));
    state.checked.clear();  // media are looked up in the new folder
    state.problemsStale = true;

    SaveReport report;
    report.questionsWritten = questions.size();
    report.askedBefore = asked->size();
    report.askedAfter = newAsked.size();
    report.askedRenumbered = !plan.changes.renumbered.empty();
    report.problems = problems().size();
    report.mediaCopied = media->copied();
    report.mediaReused = media->reused();
    report.mediaRenamed = media->renamed();
    report.mediaLeft = survey.left;
    return report;
}

Status Document::revert() {
    auto reopened = open(path());
    if (!reopened) return reopened.error();
    reopened->state_->mediaFolder = state_->mediaFolder;
    *this = std::move(*reopened);
    return Status::success();
}

namespace {

constexpr QuestionField kEveryField[] = {
    QuestionField::kText,   QuestionField::kRight,  QuestionField::kWrong1, QuestionField::kWrong2,
    QuestionField::kWrong3, QuestionField::kPoints, QuestionField::kMedia};
constexpr PropertyField kEveryProperty[] = {PropertyField::kTitle, PropertyField::kAuthor,
                                            PropertyField::kCompany, PropertyField::kYear};

// `now` with each field that `mine` changed from `was` taken from `mine`, counting the fields
// both changed to different values.
template <typename Record, typename Fields>
Record merged(const Record& was, const Record& mine, Record now, const Fields& fields,
              std::size_t& conflicts) {
    for (const auto field : fields) {
        const std::string& changed = fieldOf(mine, field);
        if (changed == fieldOf(was, field)) continue;
        std::string& theirs = fieldOf(now, field);
        if (theirs != fieldOf(was, field) && theirs != changed) ++conflicts;
        theirs = changed;
    }
    return now;
}

}  // namespace

Result<Document::Reloaded> Document::reload() {
    auto reopened = open(path());
    if (!reopened) return reopened.error();
    reopened->state_->mediaFolder = state_->mediaFolder;
    const State& mine = *state_;
    State& fresh = *reopened->state_;
    Reloaded reloaded;
    if (!modified()) {
        *this = std::move(*reopened);
        return reloaded;
    }

    std::unordered_map<std::int64_t, std::size_t> freshPlaces;  // by row id
    freshPlaces.reserve(fresh.base.questions.size());
    for (std::size_t i = 0; i < fresh.base.questions.size(); ++i)
        freshPlaces.emplace(fresh.base.questions[i].rowId, i);
    auto freshPlace = [&](std::size_t savedPlace) -> std::optional<std::size_t> {
        auto found = freshPlaces.find(mine.base.questions[savedPlace].rowId);
        if (found == freshPlaces.end()) return std::nullopt;
        return found->second;
    };

    // The document's questions in its order, each stored one as the file holds it now with
    // the fields changed here; where each fresh row went.
    std::vector<Entry> rows;
    rows.reserve(mine.rows.size() + fresh.rows.size());
    std::vector<std::optional<std::size_t>> placedAt(fresh.rows.size());
    std::vector<bool> dropped(fresh.rows.size(), false);
    std::vector<bool> stillHere(mine.base.questions.size(), false);
    for (const Entry& entry : mine.rows) {
        const auto place = mine.savedPlace(entry.id);
        if (place) stillHere[*place] = true;
        const auto at = place ? freshPlace(*place) : std::nullopt;
        if (!at) {
            // Added here, or changed here and deleted by the other program: kept as new.
            if (place && entry.question != mine.base.questions[*place].question)
                ++reloaded.conflicts;
            if (!place || entry.question != mine.base.questions[*place].question)
                rows.push_back(fresh.entry(entry.question));
            continue;
        }
        Entry kept = fresh.rows[*at];
        const Question question = merged(mine.base.questions[*place].question, entry.question,
                                         kept.question, kEveryField, reloaded.conflicts);
        if (question != kept.question) {
            kept.question = question;
            kept.version = fresh.nextVersion++;
            kept.search = searchText(kept.question);
            kept.repeatKey = repeatKey(kept.question);
        }
        placedAt[*at] = rows.size();
        rows.push_back(std::move(kept));
    }
    // Deleted here: deleted again, unless the other program changed them since.
    for (std::size_t place = 0; place < mine.base.questions.size(); ++place) {
        if (stillHere[place]) continue;
        if (const auto at = freshPlace(place)) {
            if (fresh.base.questions[*at].question == mine.base.questions[place].question)
                dropped[*at] = true;
            else
                ++reloaded.conflicts;
        }
    }
    // The other program's own questions go before the question they precede in the file, and
    // last when they were last (as added questions are).
    std::vector<std::vector<std::size_t>> before(rows.size() + 1);  // [rows.size()]: at the end
    std::size_t anchor = rows.size();
    for (std::size_t i = fresh.rows.size(); i-- > 0;) {
        if (placedAt[i])
            anchor = *placedAt[i];
        else if (!dropped[i])
            before[anchor].push_back(i);
    }
    std::vector<Entry> ordered;
    ordered.reserve(rows.size() + fresh.rows.size());
    for (std::size_t k = 0; k <= rows.size(); ++k) {
        for (auto i = before[k].rbegin(); i != before[k].rend(); ++i)
            ordered.push_back(fresh.rows[*i]);
        if (k < rows.size()) ordered.push_back(std::move(rows[k]));
    }
    const Properties properties = merged(mine.savedProperties(), mine.properties, fresh.properties,
                                         kEveryProperty, reloaded.conflicts);

    *this = std::move(*reopened);
    State& state = *state_;
    if (properties == state.properties && ordered.size() == state.rows.size() &&
        std::equal(
            ordered.begin(), ordered.end(), state.rows.begin(),
            [](const Entry& a, const Entry& b) { return a.id == b.id && a.version == b.version; }))
        return reloaded;  // the other program made the same changes
    auto edit = EditFactory::made(replaceEdit(std::move(ordered), properties), state);
    if (!edit) return edit.error();
    reloaded.reapply = std::move(*edit);
    return reloaded;
}

// --- recovery -------------------------------------------------------------------------------

Document::Edited Document::edited() const {
    Edited edited;
    edited.properties = state_->properties;
    edited.rows.reserve(state_->rows.size());
    for (const Entry& entry : state_->rows) {
        const auto place = state_->savedPlace(entry.id);
        edited.rows.push_back(
            {place ? std::optional(state_->base.questions[*place].rowId) : std::nullopt,
             entry.question});
    }
    return edited;
}

Result<EditPtr> Document::restore(const Edited& edited) const {
    if (static_cast<std::int64_t>(edited.rows.size()) > kMaxQuestions)
        // English says "questions" even of one, as it always has.
        return Error(
            i18n::fill(i18n::txn("the copy holds %1 questions; the game counts at most %2",
                                 "the copy holds %1 questions; the game counts at most %2",
                                 edited.rows.size()),
                       {std::to_string(edited.rows.size()), std::to_string(kMaxQuestions)}));
    State& state = *state_;
    std::unordered_map<std::int64_t, std::size_t> rowOfStored;  // this document's row
    for (std::size_t row = 0; row < state.rows.size(); ++row)
        if (const auto place = state.savedPlace(state.rows[row].id))
            rowOfStored.emplace(state.base.questions[*place].rowId, row);
    std::vector<Entry> rows;
    rows.reserve(edited.rows.size());
    for (const Edited::Row& wanted : edited.rows) {
        const auto found =
            wanted.storedRow ? rowOfStored.find(*wanted.storedRow) : rowOfStored.end();
        if (found == rowOfStored.end()) {
            rows.push_back(state.entry(wanted.question));
            continue;
        }
        Entry kept = state.rows[found->second];
        rowOfStored.erase(found);  // a row named twice is one question, then a new one
        if (kept.question != wanted.question) {
            kept.question = wanted.question;
            kept.version = state.nextVersion++;
            kept.search = searchText(kept.question);
            kept.repeatKey = repeatKey(kept.question);
        }
        rows.push_back(std::move(kept));
    }
    if (edited.properties == state.properties && rows.size() == state.rows.size() &&
        std::equal(rows.begin(), rows.end(), state.rows.begin(),
                   [](const Entry& a, const Entry& b) {
                       return a.id == b.id && a.question == b.question;
                   }))
        return EditPtr();
    auto edit = EditFactory::made(replaceEdit(std::move(rows), edited.properties), state);
    if (edit && *edit) (*edit)->description_ = i18n::tx("Recover unsaved changes");
    return edit;
}

}  // namespace vexlor::authoring
