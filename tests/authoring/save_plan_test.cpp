// The save's plan without a file: which rows are kept, rewritten, placed between others,
// deleted or written anew, and how the asked list is renumbered.

#include <gtest/gtest.h>

#include <sstream>

#include "authoring/save_plan.h"

namespace vexlor::authoring {
namespace {

struct Case {
    const char* name;
    std::vector<std::int64_t> rowIds;  // of the saved questions "s0", "s1", ...
    // The document's rows: a saved place, "*" after it when edited, or "n" for a new question
    // ("n0", "n1", ... in order).
    const char* rows;
    bool propertiesChanged;
    const char* expected;
    std::size_t written, removed;
};

// The plan in one line, questions named by their texts.
std::string describe(const SavePlan& plan) {
    std::ostringstream out;
    const ModuleChanges& c = plan.changes;
    if (c.properties) out << "properties; ";
    if (c.rewriteAll) out << "anew; ";
    for (const auto& [id, question] : c.updated)
        out << "update " << id << '=' << question->text << "; ";
    for (const auto& [id, question] : c.placed)
        out << "place " << id << '=' << question->text << "; ";
    for (const Question* question : c.appended) out << "append " << question->text << "; ";
    if (!c.deleted.empty()) {
        out << "delete";
        for (std::int64_t id : c.deleted) out << ' ' << id;
        out << "; ";
    }
    if (!c.renumbered.empty()) {
        out << "renumber";
        for (std::int64_t number : c.renumbered) out << ' ' << number;
    }
    return out.str();
}

TEST(SavePlanTest, WritesFewRowsAndRenumbersTheAskedList) {
    auto rowIds = [](std::int64_t count, std::int64_t step) {
        std::vector<std::int64_t> ids;
        for (std::int64_t i = 1; i <= count; ++i) ids.push_back(i * step);
        return ids;
    };
    const auto gaps = rowIds(8, 10), tight = rowIds(8, 1);
    const Case cases[] = {
        {"unchanged", gaps, "0 1 2 3 4 5 6 7", false, "", 0, 0},
        {"properties only", gaps, "0 1 2 3 4 5 6 7", true, "properties; ", 0, 0},
        {"one edited", gaps, "0 1 2* 3 4 5 6 7", false, "update 30=s2; ", 1, 0},
        {"one deleted", gaps, "0 1 3 4 5 6 7", false, "delete 30; renumber 1 2 0 3 4 5 6 7", 0, 1},
        {"inserted between rows with room", gaps, "0 n 1 2 3 4 5 6 7", false,
         "place 11=n0; renumber 1 3 4 5 6 7 8 9", 1, 0},
        {"added first and last", gaps, "n 0 1 2 3 4 5 6 7 n", false,
         "place 9=n0; place 81=n1; renumber 2 3 4 5 6 7 8 9", 2, 0},
        {"moved down one, with room", gaps, "0 1 2 4 3 5 6 7", false,
         "place 31=s4; delete 50; renumber 1 2 3 5 4 6 7 8", 1, 0},
        {"moved down one, no room: by place", tight, "0 1 2 4 3 5 6 7", false,
         "update 4=s4; update 5=s3; renumber 1 2 3 5 4 6 7 8", 2, 0},
        {"moved, edited and one added, no room", tight, "0 1 2 4* 3 5 6 7 n", false,
         "update 4=s4; update 5=s3; append n0; renumber 1 2 3 5 4 6 7 8", 3, 0},
        // Deleted rows go many to a statement: they weigh little against rewriting.
        {"swapped, the rest deleted", rowIds(18, 10), "1 0 2 3", false,
         "place 9=s1; delete 20 50 60 70 80 90 100 110 120 130 140 150 160 170 180; renumber 2 1 3 "
         "4 "
         "0 0 0 0 0 0 0 0 0 0 0 0 0 0",
         1, 14},
        {"all replaced",
         {1, 2, 3, 4},
         "n n n n n n n n",
         false,
         "anew; append n0; append n1; append n2; append n3; append n4; append n5; append n6; "
         "append n7; renumber 0 0 0 0",
         8,
         0},
        {"last ones deleted", tight, "0 1 2 3 4 5", false, "delete 7 8; renumber 1 2 3 4 5 6 0 0",
         0, 2},
    };
    for (const Case& test : cases) {
        ModuleSnapshot base;
        base.properties.push_back({"Title", "", "", ""});
        for (std::size_t i = 0; i < test.rowIds.size(); ++i)
            base.questions.push_back({test.rowIds[i], {"s" + std::to_string(i), {}, "100", ""}});
        std::vector<Question> added;
        std::vector<PlannedRow> rows;
        std::istringstream words(test.rows);
        for (std::string word; words >> word;) {
            if (word == "n") {
                added.push_back({"n" + std::to_string(added.size()), {}, "100", ""});
                rows.push_back({nullptr, std::nullopt, false});
                continue;
            }
            const std::size_t place = std::stoul(word);
            rows.push_back({&base.questions[place].question, place, word.back() == '*'});
        }
        for (std::size_t i = 0, next = 0; i < rows.size(); ++i)
            if (!rows[i].question) rows[i].question = &added[next++];
        Properties properties = base.properties.front();
        if (test.propertiesChanged) properties.author = "Someone";

        const SavePlan plan = planSave(base, properties, rows);
        EXPECT_EQ(describe(plan), test.expected) << test.name;
        EXPECT_EQ(plan.written, test.written) << test.name;
        EXPECT_EQ(plan.removed, test.removed) << test.name;
        EXPECT_EQ(plan.changes.base, &base) << test.name;
    }
}

}  // namespace
}  // namespace vexlor::authoring
