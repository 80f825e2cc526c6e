#pragma once

// Modules made for the document's tests, and the document's content in a form tests compare.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "authoring/document.h"
#include "support/doubles.h"
#include "support/module_files.h"

namespace vexlor::authoring::testing {

using vexlor::testing::TempFolder;

/// A module of `count` sample questions ("Question 1".."Question N") written by another
/// writer than ours, with an asked list and high scores.
inline std::string sampleModule(const TempFolder& folder, int count,
                                std::vector<std::string> asked = {},
                                std::vector<std::vector<std::string>> scores = {},
                                const std::string& name = "quiz.vxm") {
    const std::string path = folder.file(name);
    EXPECT_TRUE(
        vexlor::testing::writeModule(path, {.questions = vexlor::testing::sampleQuestions(count),
                                            .used = std::move(asked),
                                            .scores = std::move(scores)}));
    return path;
}

inline Document openDocument(const std::string& path) {
    auto document = Document::open(path);
    if (!document) {
        ADD_FAILURE() << document.error();
        std::abort();
    }
    return std::move(*document);
}

/// The question texts in row order.
inline std::vector<std::string> texts(const Document& document) {
    std::vector<std::string> found;
    for (std::size_t row = 0; row < document.size(); ++row)
        found.push_back(document.question(row).text);
    return found;
}

/// The first column of a query on the module file, read by another connection.
inline std::vector<std::string> column(const std::string& path, const std::string& sql) {
    return vexlor::testing::readColumn(path, sql);
}

/// The question text each asked entry names in the file, as the game looks entries up (the text
/// Use = 'N'): an entry that names no question is none of the game's concern.
inline std::multiset<std::string> askedTexts(const std::string& path) {
    const auto questions = column(path, "SELECT Question FROM MainData ORDER BY rowid");
    std::multiset<std::string> named;
    for (const std::string& entry : column(path, "SELECT Use FROM Use"))
        for (std::size_t number = 1; number <= questions.size(); ++number)
            if (entry == std::to_string(number)) named.insert(questions[number - 1]);
    return named;
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

/// Applies an edit that must be made.
inline void push(EditHistory& history, Result<EditPtr> edit) {
    ASSERT_TRUE(edit.ok()) << edit.error();
    ASSERT_TRUE(*edit) << "the edit changes nothing";
    history.push(std::move(*edit));
}

}  // namespace vexlor::authoring::testing
