// OGG Vorbis, FLAC and Opus sounds made by the real encoders, converted to WAV and read back
// with SDL's own WAV reader; damaged and overlong ones refused; the player saying why nothing
// plays.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>

#include "platform/child_process.h"
#include "platform/sdl_sound_player.h"
#include "platform/sound_conversion.h"
#include "support/fakes.h"

namespace vexlor::platform {
namespace {

namespace fs = std::filesystem;

// A mono 16-bit WAV of `seconds` of a 440 Hz tone (silence when `quiet`).
std::string toneWav(const testing::TempFolder& folder, double seconds, int rate, bool quiet) {
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::string data;
    data.reserve(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto sample = quiet ? 0 : static_cast<std::int16_t>(8000 * std::sin(i * 0.0627));
        data.push_back(static_cast<char>(sample & 0xFF));
        data.push_back(static_cast<char>((sample >> 8) & 0xFF));
    }
    auto le = [](std::uint32_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return out;
    };
    const std::string wav = "RIFF" + le(36 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
                            le(1, 2) + le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2) +
                            "data" + le(data.size(), 4) + data;
    const std::string path = folder.file(quiet ? "quiet.wav" : "tone.wav");
    std::ofstream(path, std::ios::binary) << wav;
    return path;
}

// Encodes with the encoder a format is made with; the encoded file's path.
std::string encoded(const testing::TempFolder& folder, const std::string& wav,
                    const std::string& ending) {
    const std::string out = folder.file(fs::path(wav).stem().string() + "." + ending);
    const ChildOutcome ran = ending == "ogg" ? runChild("/usr/bin/oggenc", {"-Q", "-o", out, wav})
                             : ending == "flac"
                                 ? runChild("/usr/bin/flac", {"-s", "-f", "-o", out, wav})
                                 : runChild("/usr/bin/opusenc", {"--quiet", wav, out});
    EXPECT_TRUE(ran.end == ChildOutcome::End::kExited && ran.code == 0) << ending << ran.output;
    return out;
}

TEST(SoundConversion, EachFormatBecomesAWavOfTheSameLength) {
    testing::TempFolder folder;
    const std::string tone = toneWav(folder, 0.5, 22050, false);
    for (const std::string ending : {"ogg", "flac", "opus"}) {
        ASSERT_TRUE(isConvertedSound(ending));
        const fs::path wav = folder.file(ending + ".wav");
        const auto converted = convertSoundToWav(encoded(folder, tone, ending), wav);
        ASSERT_TRUE(converted.ok()) << ending << ": " << converted.error();
        EXPECT_NEAR(converted->length.count(), 500, 30) << ending;

        SDL_AudioSpec spec{};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV(wav.c_str(), &spec, &buffer, &length), nullptr) << SDL_GetError();
        SDL_FreeWAV(buffer);
        EXPECT_EQ(spec.format, AUDIO_S16LSB) << ending;
        const double seconds = double(length) / (spec.freq * spec.channels * 2);
        EXPECT_NEAR(seconds, 0.5, 0.03) << ending;
    }
}

TEST(SoundConversion, DamagedEmptyAndOverlongSoundsAreRefused) {
    testing::TempFolder folder;
    const std::string ogg =
        testing::readBytes(encoded(folder, toneWav(folder, 0.5, 22050, false), "ogg"));
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
    const std::string quiet = encoded(folder, toneWav(folder, 700, 8000, true), "flac");
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
