#pragma once

// Texts as the editor's search and its check for repeated questions compare them: letters
// without regard to case (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic) and, for the
// search, without the accents of Latin letters. Bytes that are not valid UTF-8 stay as they are.

#include <string>
#include <string_view>

namespace vexlor::authoring {

/// `text` with capitals made small.
std::string folded(std::string_view text);

/// Appends `text` as the search compares it: folded, Latin letters without their accents
/// ("école" as "ecole", "œuvre" as "oeuvre"), combining accents left out.
void appendSearchFolded(std::string& out, std::string_view text);
std::string searchFolded(std::string_view text);

}  // namespace vexlor::authoring
