#pragma once

#include <cstdint>
#include <string>

#include "platform/sound_player.h"

struct _Mix_Music;

namespace vexlor::platform {

/// Plays sounds through SDL2_mixer. The audio device is opened on the first `Play`, so a
/// window that never plays a sound starts and runs without touching the sound system.
class SdlSoundPlayer final : public SoundPlayer {
  public:
    SdlSoundPlayer() = default;
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    void SoundFile(const std::string& path) override;
    void Play() override;
    void Stop() override;
    std::string problem() const override { return problem_; }

    /// Larger sound files play nothing, told from their size before anything is read: wav and
    /// mp3 are read as they play, but a MIDI file is read whole and turned into events first.
    static constexpr std::int64_t kMaxSoundBytes = 64 * 1024 * 1024;
    static constexpr std::int64_t kMaxMidiBytes = 2 * 1024 * 1024;

    /// The General MIDI sound font MIDI files are played with; empty when none was found.
    static std::string soundFont();

  private:
    enum class Device { Closed, Open, Failed };
    bool openDevice();
    void releaseMusic();

    Device device_ = Device::Closed;
    std::string file_;
    std::string loadedFile_;
    std::string problem_;
    std::string deviceProblem_;
    _Mix_Music* music_ = nullptr;
};

}  // namespace vexlor::platform
