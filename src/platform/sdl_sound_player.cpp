#include "platform/sdl_sound_player.h"
#include "platform/files.h"
#include "text/i18n.h"
#include "text/text.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    decltype(&SDL_GetError) getError = nullptr;
    decltype(&Mix_Init) init = nullptr;
    decltype(&Mix_Quit) quit = nullptr;
    decltype(&Mix_OpenAudio) openAudio = nullptr;
    decltype(&Mix_CloseAudio) closeAudio = nullptr;
    decltype(&Mix_SetSoundFonts) setSoundFonts = nullptr;
    decltype(&Mix_LoadMUSType_RW) loadMusic = nullptr;
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
        const bool complete =
            resolve(sdl, "SDL_InitSubSystem", m.initSubSystem) &&
            resolve(sdl, "SDL_QuitSubSystem", m.quitSubSystem) &&
            resolve(sdl, "SDL_GetError", m.getError) && resolve(mix, "Mix_Init", m.init) &&
            resolve(mix, "Mix_Quit", m.quit) && resolve(mix, "Mix_OpenAudio", m.openAudio) &&
            resolve(mix, "Mix_CloseAudio", m.closeAudio) &&
            resolve(mix, "Mix_SetSoundFonts", m.setSoundFonts) &&
            resolve(mix, "Mix_LoadMUSType_RW", m.loadMusic) &&
            resolve(mix, "Mix_FreeMusic", m.freeMusic) &&
            resolve(mix, "Mix_PlayMusic", m.playMusic) &&
            resolve(mix, "Mix_HaltMusic", m.haltMusic);
        return complete ? &m : nullptr;
    }();
    return loaded;
}

// Sound files are read through this stream and never past `size`, the length the file had
// when it was opened and checked: a file that grows meanwhile is not read further.
struct BoundedFile {
    int fd;
    Sint64 size;
    Sint64 position = 0;
};

BoundedFile& boundedFile(SDL_RWops* stream) {
    return *static_cast<BoundedFile*>(stream->hidden.unknown.data1);
}

Sint64 SDLCALL boundedSize(SDL_RWops* stream) {
    return boundedFile(stream).size;
}

Sint64 SDLCALL boundedSeek(SDL_RWops* stream, Sint64 offset, int whence) {
    BoundedFile& file = boundedFile(stream);
    const Sint64 base = whence == RW_SEEK_SET   ? 0
                        : whence == RW_SEEK_CUR ? file.position
                                                : file.size;
    if (offset < -base || offset > file.size - base) return -1;
    return file.position = base + offset;
}

size_t SDLCALL boundedRead(SDL_RWops* stream, void* buffer, size_t size, size_t count) {
    BoundedFile& file = boundedFile(stream);
    if (size == 0) return 0;
    const auto wanted = static_cast<Sint64>(std::min(count, static_cast<size_t>(file.size) / size));
    const Sint64 bytes = std::min(wanted * static_cast<Sint64>(size), file.size - file.position);
    Sint64 done = 0;
    while (done < bytes) {
        const ssize_t got = ::pread(file.fd, static_cast<char*>(buffer) + done,
                                    static_cast<size_t>(bytes - done), file.position + done);
        if (got <= 0) break;
        done += got;
    }
    file.position += done;
    return static_cast<size_t>(done) / size;
}

size_t SDLCALL refuseWrite(SDL_RWops*, const void*, size_t, size_t) {
    return 0;
}

int SDLCALL boundedClose(SDL_RWops* stream) {
    BoundedFile* file = &boundedFile(stream);
    ::close(file->fd);
    delete file;
    delete stream;
    return 0;
}

// Opens a sound file for the mixer after checking, from its size alone, that it is a plain
// file within the limit; null otherwise. Never blocks on a pipe or a device.
SDL_RWops* openSound(const std::string& path) {
    ReadableFile file = openForReading(path, SdlSoundPlayer::kMaxSoundBytes);
    if (!file) return nullptr;
    char head[4] = {};
    const bool midi = (::pread(file.fd(), head, sizeof head, 0) == sizeof head &&
                       std::memcmp(head, "MThd", sizeof head) == 0) ||
                      text::endsWithIgnoringCase(path, ".mid") ||
                      text::endsWithIgnoringCase(path, ".midi");
    if (midi && file.info.st_size > SdlSoundPlayer::kMaxMidiBytes) return nullptr;
    const struct stat info = file.info;
    const int fd = file.descriptor.release();
    auto* stream = new SDL_RWops{};
    stream->size = boundedSize;
    stream->seek = boundedSeek;
    stream->read = boundedRead;
    stream->write = refuseWrite;
    stream->close = boundedClose;
    stream->type = SDL_RWOPS_UNKNOWN;
    stream->hidden.unknown.data1 = new BoundedFile{fd, info.st_size};
    return stream;
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
    if (mix == nullptr) {
        deviceProblem_ = i18n::tx("No sound device: SDL2_mixer is not installed");
        return false;
    }
    if (mix->initSubSystem(SDL_INIT_AUDIO) != 0) {
        deviceProblem_ = i18n::fill(i18n::tx("No sound device: %1"), {mix->getError()});
        return false;
    }
    if (mix->openAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        deviceProblem_ = i18n::fill(i18n::tx("No sound device: %1"), {mix->getError()});
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
    problem_.clear();
    if (file_.empty()) return;
    if (!openDevice()) {
        problem_ = deviceProblem_;
        return;
    }
    const Mixer& mix = *mixer();
    if (music_ == nullptr || loadedFile_ != file_) {
        mix.haltMusic();
        releaseMusic();
        SDL_RWops* stream = openSound(file_);
        if (stream == nullptr) {
            problem_ =
                i18n::tx("This sound cannot be played: it is missing, not a file or too large");
            return;
        }
        // The type is told from the content, as for any file; the mixer closes the stream.
        music_ = mix.loadMusic(stream, MUS_NONE, 1);
        if (music_ == nullptr) {
            // The game says nothing; a window may.
            problem_ = i18n::fill(i18n::tx("This sound cannot be played: %1"), {mix.getError()});
            return;
        }
        loadedFile_ = file_;
    }
    // Playing again starts the sound from its beginning.
    mix.playMusic(music_, 0);
}

void SdlSoundPlayer::Stop() {
    if (device_ == Device::Open) mixer()->haltMusic();
}

}  // namespace vexlor::platform
