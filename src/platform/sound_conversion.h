#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/result.h"

namespace vexlor::platform {

/// Sounds the game's player does not play are converted to WAV when attached.
/// Larger files are refused before they are read.
inline constexpr std::uintmax_t kMaxConvertedSoundBytes = 64u * 1024 * 1024;
/// Longer sounds are refused: the converted WAV is held whole in memory while it is made.
inline constexpr std::chrono::seconds kMaxConvertedSoundLength{600};

/// Whether a file with this ending (lower case, without the dot) is one convertSoundToWav takes:
/// ogg, oga, opus and flac.
bool isConvertedSound(std::string_view ending);

struct ConvertedSound {
    std::chrono::milliseconds length{0};
    int rate = 0;
    int channels = 0;
};

/// Decodes an OGG Vorbis, FLAC or Opus sound with SDL2_mixer (on a silent audio device of its
/// own when no sound plays) and writes it to `target` as 16-bit PCM WAV. Refused with a sentence
/// for the author: a file that is none of these, damaged, empty, larger than
/// kMaxConvertedSoundBytes or longer than kMaxConvertedSoundLength (decoding stops once past
/// it), or SDL2_mixer missing.
Result<ConvertedSound> convertSoundToWav(const std::filesystem::path& source,
                                         const std::filesystem::path& target);

}  // namespace vexlor::platform
