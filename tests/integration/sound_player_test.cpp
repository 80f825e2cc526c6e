// The SDL sound player, heard through SDL's disk audio driver: what it writes is what played.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/sdl_sound_player.h"
#include "support/fakes.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string sample(const std::string& name) {
    return std::string(VEXLOR_SOURCE_DIR) + "/examples/general/" + name;
}

// A player whose device, once opened, writes its output into a file of the test's own.
struct DiskPlayer {
    testing::TempFolder folder;
    std::string output = folder.file("audio.raw");
    std::unique_ptr<SdlSoundPlayer> player;
    DiskPlayer() {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        player = std::make_unique<SdlSoundPlayer>();
    }
    std::size_t written() const { return testing::readBytes(output).size(); }
    // Closes the device, so every sample reaches the file, and returns the samples.
    std::string close() {
        player.reset();
        return testing::readBytes(output);
    }
};

// The loudest 16-bit sample in bytes [from, to) of the output.
int loudest(const std::string& audio, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t i = from & ~std::size_t{1}; i + 1 < std::min(to, audio.size()); i += 2)
        peak = std::max(peak, std::abs(int{static_cast<std::int16_t>(
                                  static_cast<unsigned char>(audio[i]) |
                                  static_cast<unsigned char>(audio[i + 1]) << 8)}));
    return peak;
}

constexpr int kAudible = 500;  // of 32767

// Each format the game hands the player is really played, and Play does not wait for it.
TEST(SdlSoundPlayer, PlaysWavMidiAndMp3InTheBackground) {
    for (const char* name : {"gk-tone-a440.wav", "gk-ode-to-joy.mid", "gk-number-sequence.mp3"}) {
        DiskPlayer disk;
        disk.player->SoundFile(sample(name));
        const auto before = std::chrono::steady_clock::now();
        disk.player->Play();
        // Every one of these lasts 3 s or more; loading the MIDI sound font on a busy machine
        // can take most of a second, so the bound is not tighter than this.
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2000ms) << name;
        std::this_thread::sleep_for(1200ms);
        const std::string audio = disk.close();
        EXPECT_GT(loudest(audio, 0, audio.size()), kAudible) << name;
    }
}

// Stop silences the sound at once, a second Stop changes nothing, and Play afterwards plays
// the same file again.
TEST(SdlSoundPlayer, StopSilencesAndPlayPlaysTheSameFileAgain) {
    DiskPlayer disk;
    disk.player->SoundFile(sample("gk-tone-a440.wav"));
    disk.player->Play();
    std::this_thread::sleep_for(700ms);
    disk.player->Stop();
    std::this_thread::sleep_for(200ms);  // what was queued before Stop drains
    const std::size_t stopped = disk.written();
    std::this_thread::sleep_for(500ms);
    const std::size_t replayed = disk.written();
    disk.player->Play();
    std::this_thread::sleep_for(700ms);
    disk.player->Stop();
    disk.player->Stop();
    const std::string audio = disk.close();
    ASSERT_GT(replayed, stopped + 10000);
    EXPECT_GT(loudest(audio, 0, stopped), kAudible);
    EXPECT_EQ(loudest(audio, stopped, replayed), 0);
    EXPECT_GT(loudest(audio, replayed, audio.size()), kAudible);
}

// A playable sound made larger than the player takes (sparse, so it costs no disk).
std::string oversized(const testing::TempFolder& folder, const std::string& source,
                      const std::string& name, std::int64_t limit) {
    const std::string copy = folder.file(name);
    fs::copy_file(sample(source), copy);
    fs::resize_file(copy, static_cast<std::uintmax_t>(limit) + 1);
    return copy;
}

// Missing, unplayable or oversized files, pipes, or no file at all, play nothing, raise nothing
// and never block; the device is not even opened before the first Play of a file.
TEST(SdlSoundPlayer, MissingUnplayableOrOversizedFilesPlayNothing) {
    DiskPlayer disk;
    disk.player->Stop();
    disk.player->Play();  // no file named yet
    EXPECT_FALSE(fs::exists(disk.output));
    std::ofstream(disk.folder.file("noise.mp3")) << "not a sound at all\n";
    std::ofstream(disk.folder.file("empty.mid")).flush();
    ASSERT_EQ(::mkfifo(disk.folder.file("pipe.wav").c_str(), 0600), 0);
    const auto big = SdlSoundPlayer::kMaxSoundBytes, bigMidi = SdlSoundPlayer::kMaxMidiBytes;
    for (const std::string& file :
         {disk.folder.file("missing.wav"), disk.folder.file("noise.mp3"),
          disk.folder.file("empty.mid"), disk.folder.path().string(), disk.folder.file("pipe.wav"),
          oversized(disk.folder, "gk-tone-a440.wav", "big.wav", big),
          oversized(disk.folder, "gk-number-sequence.mp3", "big.mp3", big),
          oversized(disk.folder, "gk-ode-to-joy.mid", "big.mid", bigMidi),
          // MIDI is told by its content, whatever the file's ending says
          oversized(disk.folder, "gk-ode-to-joy.mid", "midi.wav", bigMidi)}) {
        disk.player->SoundFile(file);
        EXPECT_NO_THROW(disk.player->Play());
    }
    std::this_thread::sleep_for(300ms);
    const std::string audio = disk.close();
    EXPECT_EQ(loudest(audio, 0, audio.size()), 0);
}

}  // namespace
}  // namespace vexlor::platform
