#pragma once

#include <string>

namespace vexlor::platform {

/// Plays one sound file at a time: wav, mp3 or MIDI.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    /// Chooses the file the next `Play` plays.
    virtual void SoundFile(const std::string& path) = 0;
    /// Starts the chosen file from its beginning and returns at once; the sound plays in the
    /// background. A missing or unplayable file plays nothing and reports nothing.
    virtual void Play() = 0;
    /// Silences what plays; does nothing when nothing plays.
    virtual void Stop() = 0;
    /// Why the last `Play` played nothing ("No sound device: ..."), for a window that can say
    /// so; empty when it played.
    virtual std::string problem() const { return {}; }
};

}  // namespace vexlor::platform
