#include "platform/sdl_sound_player.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

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

// SDL2_mixer and the decoders it pulls in (a MIDI synthesiser, sound servers) are loaded on
// the first sound, not when the program starts: linking them doubled the time to the window.
struct Mixer {
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&Mix_Init) init = nullptr;
    decltype(&Mix_Quit) quit = nullptr;
    decltype(&Mix_OpenAudio) openAudio = nullptr;
    decltype(&Mix_CloseAudio) closeAudio = nullptr;
    decltype(&Mix_SetSoundFonts) setSoundFonts = nullptr;
    decltype(&Mix_LoadMUS) loadMusic = nullptr;
    decltype(&Mix_FreeMusic) freeMusic = nullptr;
    decltype(&Mix_PlayMusic) playMusic = nullptr;
    decltype(&Mix_HaltMusic) haltMusic = nullptr;
};

template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// The library, loaded once for the run; null when it is not installed.
const Mixer* mixer() {
    static const Mixer* const loaded = []() -> const Mixer* {
        void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        void* mix = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (sdl == nullptr || mix == nullptr) return nullptr;
        static Mixer m;
        const bool complete = resolve(sdl, "SDL_InitSubSystem", m.initSubSystem) &&
                              resolve(sdl, "SDL_QuitSubSystem", m.quitSubSystem) &&
                              resolve(mix, "Mix_Init", m.init) &&
                              resolve(mix, "Mix_Quit", m.quit) &&
                              resolve(mix, "Mix_OpenAudio", m.openAudio) &&
                              resolve(mix, "Mix_CloseAudio", m.closeAudio) &&
                              resolve(mix, "Mix_SetSoundFonts", m.setSoundFonts) &&
                              resolve(mix, "Mix_LoadMUS", m.loadMusic) &&
                              resolve(mix, "Mix_FreeMusic", m.freeMusic) &&
                              resolve(mix, "Mix_PlayMusic", m.playMusic) &&
                              resolve(mix, "Mix_HaltMusic", m.haltMusic);
        return complete ? &m : nullptr;
    }();
    return loaded;
}

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
    const Mixer& mix = *mixer();
    mix.haltMusic();
    releaseMusic();
    mix.closeAudio();
    mix.quit();
    mix.quitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundPlayer::openDevice() {
    if (device_ == Device::Open) return true;
    // A machine without sound stays without it for the run: one failed attempt is enough.
    if (device_ == Device::Failed) return false;
    device_ = Device::Failed;
    const Mixer* mix = mixer();
    if (mix == nullptr || mix->initSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (mix->openAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        mix->quitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // MIDI is synthesised with a General MIDI sound font; the player's own SDL_SOUNDFONTS
    // setting, when there is one, wins.
    if (std::getenv("SDL_SOUNDFONTS") == nullptr) {
        if (const std::string font = soundFont(); !font.empty()) mix->setSoundFonts(font.c_str());
    }
    mix->init(MIX_INIT_MP3 | MIX_INIT_MID);
    device_ = Device::Open;
    return true;
}

void SdlSoundPlayer::releaseMusic() {
    if (music_ != nullptr) mixer()->freeMusic(music_);
    music_ = nullptr;
    loadedFile_.clear();
}

void SdlSoundPlayer::SoundFile(const std::string& path) {
    file_ = path;
}

void SdlSoundPlayer::Play() {
    if (file_.empty() || !openDevice()) return;
    const Mixer& mix = *mixer();
    if (music_ == nullptr || loadedFile_ != file_) {
        mix.haltMusic();
        releaseMusic();
        // Only plain files: a pipe or a device would block the window while it is read.
        std::error_code error;
        if (!std::filesystem::is_regular_file(file_, error)) return;
        music_ = mix.loadMusic(file_.c_str());
        if (music_ == nullptr) return;  // missing or unplayable: nothing plays, nothing is said
        loadedFile_ = file_;
    }
    // Playing again starts the sound from its beginning.
    mix.playMusic(music_, 0);
}

void SdlSoundPlayer::Stop() {
    if (device_ == Device::Open) mixer()->haltMusic();
}

}  // namespace vexlor::platform
