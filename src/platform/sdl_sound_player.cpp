#include "platform/sdl_sound_player.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <filesystem>

namespace vexlor::platform {

namespace {

// Where Debian's General MIDI sound fonts land; the first that exists is used.
constexpr const char* kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

}  // namespace

std::string SdlSoundPlayer::soundFont() {
    for (const char* font : kSoundFonts) {
        std::error_code error;
        if (std::filesystem::is_regular_file(font, error)) return font;
    }
    return {};
}

SdlSoundPlayer::~SdlSoundPlayer() {
    if (device_ != Device::Open) return;
    Mix_HaltMusic();
    releaseMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundPlayer::openDevice() {
    if (device_ == Device::Open) return true;
    // A machine without sound stays without it for the run: one failed attempt is enough.
    if (device_ == Device::Failed) return false;
    device_ = Device::Failed;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // MIDI is synthesised with a General MIDI sound font; the player's own SDL_SOUNDFONTS
    // setting, when there is one, wins.
    if (std::getenv("SDL_SOUNDFONTS") == nullptr) {
        if (const std::string font = soundFont(); !font.empty()) Mix_SetSoundFonts(font.c_str());
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    device_ = Device::Open;
    return true;
}

void SdlSoundPlayer::releaseMusic() {
    if (music_ != nullptr) Mix_FreeMusic(music_);
    music_ = nullptr;
    loadedFile_.clear();
}

void SdlSoundPlayer::SoundFile(const std::string& path) {
    file_ = path;
}

void SdlSoundPlayer::Play() {
    if (file_.empty() || !openDevice()) return;
    if (music_ == nullptr || loadedFile_ != file_) {
        Mix_HaltMusic();
        releaseMusic();
        // Only plain files: a pipe or a device would block the window while it is read.
        std::error_code error;
        if (!std::filesystem::is_regular_file(file_, error)) return;
        music_ = Mix_LoadMUS(file_.c_str());
        if (music_ == nullptr) return;  // missing or unplayable: nothing plays, nothing is said
        loadedFile_ = file_;
    }
    // Playing again starts the sound from its beginning.
    Mix_PlayMusic(music_, 0);
}

void SdlSoundPlayer::Stop() {
    if (device_ == Device::Open) Mix_HaltMusic();
}

}  // namespace vexlor::platform
