#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "authoring/module_file.h"
#include "base/result.h"

class QPagedPaintDevice;

namespace vexlor::editor {

/// What a printout holds and how its answers are lettered.
struct PrintOptions {
    bool questionSheet = true;
    bool answerKey = true;
    /// Letters drawn from `seed` rather than fixed for each question.
    bool shuffled = false;
    std::uint32_t seed = 1;
};

/// A module's questions as they are printed.
struct PrintSource {
    authoring::Properties properties;
    std::vector<authoring::Question> questions;
    std::filesystem::path mediaFolder;  ///< where the questions' pictures are looked up
};

/// The answers of question `number` (from 1) in letter order: entry k is the index in
/// `Question::answers` printed as letter A+k, index 0 being the right answer. In the fixed order
/// the wrong answers keep the module's order and the right one takes a letter derived from the
/// question's text, so a question is lettered alike on every print without always being A;
/// shuffled, the seed and the question's number and text decide.
std::array<int, 4> answerOrder(const authoring::Question& question, std::size_t number,
                               const PrintOptions& options);

/// Draws the question sheet and the answer key on `device` (a printer or a PDF writer): each
/// question with its picture scaled to fit, never split between two pages, the key on pages of
/// its own. Returns the number of pages drawn.
Result<int> printQuiz(QPagedPaintDevice& device, const PrintSource& source,
                      const PrintOptions& options);

/// Writes the printout as an A4 PDF file at `path`, replacing it only once it is complete.
Result<int> writeQuizPdf(const std::filesystem::path& path, const PrintSource& source,
                         const PrintOptions& options);

}  // namespace vexlor::editor
