#include "authoring/save_plan.h"

#include <algorithm>
#include <cstdint>

namespace vexlor::authoring {

// For the anchored plan: the row id each question that needs a new row gets, none for the
// questions that keep theirs (the longest run of kept questions still in their old order), or
// nothing when the new rows do not fit between the kept ones. Row ids may go below 1: only their
// order counts.
static std::optional<std::vector<std::optional<std::int64_t>>> anchoredRowIds(
    const std::vector<StoredQuestion>& stored,
    const std::vector<std::optional<std::size_t>>& from) {
    const std::size_t count = from.size();
    // The longest increasing run of old places, by patience sorting.
    std::vector<std::size_t> tails;  // row of the smallest last place of a run of each length
    std::vector<std::size_t> before(count, SIZE_MAX);
    for (std::size_t i = 0; i < count; ++i) {
        if (!from[i]) continue;
        auto at = std::lower_bound(
            tails.begin(), tails.end(), *from[i],
            [&](std::size_t row, std::size_t place) { return *from[row] < place; });
        if (at != tails.begin()) before[i] = *std::prev(at);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> anchored(count, false);
    for (std::size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = before[i])
        anchored[i] = true;

    constexpr std::int64_t kLowest = -(std::int64_t{1} << 62), kHighest = std::int64_t{1} << 62;
    std::vector<std::optional<std::int64_t>> ids(count);
    std::optional<std::int64_t> low;  // the row id of the last anchored question
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= count; ++i) {
        if (i < count && !anchored[i]) continue;
        const auto run = static_cast<std::int64_t>(i - runStart);
        const std::optional<std::int64_t> high =
            i < count ? std::optional(stored[*from[i]].rowId) : std::nullopt;
        std::int64_t first = 1;
        if (low && high) {
            if (*high - *low - 1 < run) return std::nullopt;
            first = *low + 1;
        } else if (low) {
            if (*low > kHighest - run) return std::nullopt;
            first = *low + 1;
        } else if (high) {
            if (*high < kLowest + run) return std::nullopt;
            first = *high - run;
        }
        for (std::size_t j = runStart; j < i; ++j)
            ids[j] = first + static_cast<std::int64_t>(j - runStart);
        if (high) low = high;
        runStart = i + 1;
    }
    return ids;
}

SavePlan planSave(const ModuleSnapshot& base, const Properties& properties,
                  const std::vector<PlannedRow>& rows) {
    const auto& stored = base.questions;
    SavePlan plan;
    auto& changes = plan.changes;
    changes.base = &base;
    if (properties != (base.properties.empty() ? Properties{} : base.properties.front()))
        changes.properties = properties;

    // The old place of each row's question, or none for a new one; and the new number of each
    // old question, 0 for one that is gone.
    std::vector<std::optional<std::size_t>> from(rows.size());
    std::vector<std::int64_t> renumbered(stored.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        from[i] = rows[i].savedPlace;
        if (from[i]) renumbered[*from[i]] = static_cast<std::int64_t>(i + 1);
    }
    // Any question whose number changes or that is gone, the last ones included: an asked
    // entry naming its old number would name another question, or a new one.
    for (std::size_t place = 0; place < renumbered.size(); ++place)
        if (renumbered[place] != static_cast<std::int64_t>(place + 1)) {
            changes.renumbered = std::move(renumbered);
            break;
        }

    auto edited = [&](std::size_t i) { return rows[i].edited; };
    // Anchored.
    const auto placedIds = anchoredRowIds(stored, from);
    std::size_t anchoredCost = SIZE_MAX;
    if (placedIds) {
        anchoredCost = 0;
        std::size_t unanchored = stored.size();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if ((*placedIds)[i]) {
                ++anchoredCost;
            } else {
                --unanchored;
                if (edited(i)) ++anchoredCost;
            }
        }
        anchoredCost += unanchored / 16;  // many rows go in one statement
    }
    // By place.
    std::size_t byPlaceCost = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (i >= stored.size() || !from[i] || *from[i] != i || edited(i)) ++byPlaceCost;
    // Anew: a statement writes many rows, at a fraction of a single write each.
    const std::size_t anewCost = rows.size() / 4 + 1;

    if (anchoredCost <= byPlaceCost && anchoredCost <= anewCost) {
        std::vector<bool> anchored(stored.size(), false);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (const auto id = (*placedIds)[i]) {
                changes.placed.emplace_back(*id, rows[i].question);
                continue;
            }
            anchored[*from[i]] = true;
            if (edited(i)) changes.updated.emplace_back(stored[*from[i]].rowId, rows[i].question);
        }
        for (std::size_t j = 0; j < stored.size(); ++j)
            if (!anchored[j]) changes.deleted.push_back(stored[j].rowId);
    } else if (byPlaceCost <= anewCost) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i >= stored.size())
                changes.appended.push_back(rows[i].question);
            else if (!from[i] || *from[i] != i || edited(i))
                changes.updated.emplace_back(stored[i].rowId, rows[i].question);
        }
        for (std::size_t j = rows.size(); j < stored.size(); ++j)
            changes.deleted.push_back(stored[j].rowId);
    } else {
        changes.rewriteAll = true;
        for (const auto& row : rows) changes.appended.push_back(row.question);
    }
    plan.written = changes.updated.size() + changes.appended.size() + changes.placed.size();
    plan.removed = stored.size() > rows.size() ? stored.size() - rows.size() : 0;
    return plan;
}

}  // namespace vexlor::authoring
