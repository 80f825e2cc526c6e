#pragma once

// Something wrong with a question, found by a reader of question files, by check or by the
// editor's document: one type for all three, with where it is and how much it matters.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexlor::authoring {

/// A question's identity in the editor's document: it stays the same through edits, moves, undo
/// and saves, and is never given to another question of the same document. 0 is no question.
using QuestionId = std::uint64_t;

/// The fields of a question, in kQuestionColumns order.
enum class QuestionField { kText, kRight, kWrong1, kWrong2, kWrong3, kPoints, kMedia };
inline constexpr std::size_t kQuestionFieldCount = 7;

struct Problem {
    enum class Kind {
        kQuestion,  ///< a rule of check (empty text, equal answers, points, media, text fit)
        kRepeated,  ///< the question's text repeats an earlier question's
        kModule,    ///< the module as a whole: no title, no questions, too many questions
    };

    std::string message;      ///< without the file, the line or the question's number
    bool breaksGame = false;  ///< the game cannot ask the question as meant; else it shows badly
    /// The field at fault, where the editor puts the cursor; none for the whole question.
    std::optional<QuestionField> field = std::nullopt;
    /// The media file is not in the folder (yet): an import keeps the question, as the file
    /// may be put there after it.
    bool mediaMissing = false;

    // Where it is in a file being read.
    int line = 0;       ///< counted from 1; 0 when the place is a JSON element or the whole file
    std::string place;  ///< a JSON element such as "results[3]", when line is 0

    // Where it is in the module being edited.
    Kind kind = Kind::kQuestion;
    QuestionId question = 0;  ///< 0 for a problem of the module
    std::size_t row = 0;      ///< the question's row when listed; meaningless for the module

    /// In the file `fileName`: "FILE:LINE: message", "FILE: results[3]: message" or
    /// "FILE: message". In a module (no file name): "question 12: message" or
    /// "module: message".
    std::string describe(std::string_view fileName = {}) const;

    /// A problem at a line of a file being read; line 0 for the file as a whole.
    static Problem atLine(int line, std::string message = {});
    /// A problem at an element of a JSON file, such as "results[3]".
    static Problem atPlace(std::string place, std::string message = {});
    /// A problem at the same place, saying `said`.
    Problem saying(std::string said) const;
};

}  // namespace vexlor::authoring
