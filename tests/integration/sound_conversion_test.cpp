// OGG Vorbis, FLAC and Opus sounds made by the real encoders, converted to WAV and read back
// with SDL's own WAV reader; damaged and overlong ones refused; the player saying why nothing
// plays.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

#include "platform/child_process.h"
#include "platform/sdl_sound_player.h"
#include "platform/sound_conversion.h"
#include "support/fakes.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;

const std::string kTone = std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-morse-sos.wav";

// The length of a WAV file in seconds, and its sample format, as SDL reads it.
std::pair<double, SDL_AudioFormat> wavLength(const std::string& path) {
    SDL_AudioSpec read{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &read, &buffer, &length) == nullptr) return {-1, 0};
    SDL_FreeWAV(buffer);
    return {double(length) / (read.freq * read.channels * SDL_AUDIO_BITSIZE(read.format) / 8),
            read.format};
}

// Encodes with the encoder a format is made with; the encoded file's path.
std::string encoded(const testing::TempFolder& folder, const std::string& wav,
                    const std::string& ending) {
    const std::string out = folder.file(fs::path(wav).stem().string() + "." + ending);
    // A file ending in .raw is 1 kHz mono 16-bit samples.
    std::vector<std::string> flac = {"-s", "-f", "-o", out, wav};
    if (wav.ends_with(".raw"))
        flac.insert(flac.begin(), {"--force-raw-format", "--endian=little", "--sign=signed",
                                   "--channels=1", "--bps=16", "--sample-rate=1000"});
    const ChildOutcome ran = ending == "ogg" ? runChild("/usr/bin/oggenc", {"-Q", "-o", out, wav})
                             : ending == "flac"
                                 ? runChild("/usr/bin/flac", flac)
                                 : runChild("/usr/bin/opusenc", {"--quiet", wav, out});
    EXPECT_TRUE(ran.end == ChildOutcome::End::kExited && ran.code == 0) << ending << ran.output;
    return out;
}

TEST(SoundConversion, EachFormatBecomesAWavOfTheSameLength) {
    testing::TempFolder folder;
    const double seconds = wavLength(kTone).first;
    ASSERT_GT(seconds, 0.5);
    for (const std::string ending : {"ogg", "flac", "opus"}) {
        ASSERT_TRUE(isConvertedSound(ending));
        const fs::path wav = folder.file(ending + ".wav");
        const auto converted = convertSoundToWav(encoded(folder, kTone, ending), wav);
        ASSERT_TRUE(converted.ok()) << ending << ": " << converted.error();
        EXPECT_NEAR(converted->length.count(), seconds * 1000, 30) << ending;
        const auto [length, format] = wavLength(wav);
        EXPECT_NEAR(length, seconds, 0.03) << ending;
        EXPECT_EQ(format, AUDIO_S16LSB) << ending;
    }
}

TEST(SoundConversion, DamagedEmptyAndOverlongSoundsAreRefused) {
    testing::TempFolder folder;
    const std::string ogg = testing::readBytes(encoded(folder, kTone, "ogg"));
    std::string flipped = ogg;
    for (std::size_t i = 30; i < 120 && i < flipped.size(); ++i) flipped[i] ^= 0x5A;
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"text named .ogg", "this is no sound"},
        {"an OGG page and no more", "OggS" + std::string(200, '\0')},
        {"cut after its first page", ogg.substr(0, 58)},
        {"headers garbled", flipped},
        {"FLAC marker and zeros", "fLaC" + std::string(4000, '\0')},
    };
    for (const auto& [name, bytes] : damaged) {
        const std::string path = folder.file("damaged.ogg");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        const auto converted = convertSoundToWav(path, folder.file("damaged.wav"));
        ASSERT_FALSE(converted.ok()) << name;
        EXPECT_NE(converted.error().message().find("cannot be converted"), std::string::npos)
            << name << ": " << converted.error();
    }
    // Silence compresses to almost nothing: the length limit, not the file's size, stops it.
    std::ofstream(folder.file("quiet.raw"), std::ios::binary) << std::string(700 * 1000 * 2, '\0');
    const std::string quiet = encoded(folder, folder.file("quiet.raw"), "flac");
    const auto tooLong = convertSoundToWav(quiet, folder.file("quiet-out.wav"));
    ASSERT_FALSE(tooLong.ok());
    EXPECT_NE(tooLong.error().message().find("longer than 10 minutes"), std::string::npos)
        << tooLong.error();
}

TEST(SoundConversion, PlayWithoutASoundDeviceSaysWhy) {
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string was = before != nullptr ? before : "";
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        SdlSoundPlayer player;
        player.SoundFile(std::string(VEXLOR_SOURCE_DIR) + "/examples/general/gk-morse-sos.wav");
        player.Play();
        EXPECT_EQ(player.problem().rfind("No sound device: ", 0), 0u) << player.problem();
    }
    if (before != nullptr)
        ::setenv("SDL_AUDIODRIVER", was.c_str(), 1);
    else
        ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace vexlor::platform
