#include "platform/sound_conversion.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "text/i18n.h"

namespace vexlor::platform {

namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kBytesPerSecond = kRate * kChannels * 2;
// The decoded sound is one growing buffer: past this, SDL's allocations fail and decoding stops.
constexpr std::size_t kMaxPcmBytes =
    kBytesPerSecond * static_cast<std::size_t>(kMaxConvertedSoundLength.count()) + 1024 * 1024;

// SDL2_mixer is loaded when the first sound is converted, as the player loads it.
struct Mixer {
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_WasInit) wasInit = nullptr;
    decltype(&SDL_GetError) getError = nullptr;
    decltype(&SDL_SetHintWithPriority) setHint = nullptr;
    decltype(&SDL_ResetHint) resetHint = nullptr;
    decltype(&SDL_GetMemoryFunctions) getMemory = nullptr;
    decltype(&SDL_SetMemoryFunctions) setMemory = nullptr;
    decltype(&SDL_RWFromConstMem) fromMemory = nullptr;
    decltype(&Mix_Init) init = nullptr;
    decltype(&Mix_OpenAudio) openAudio = nullptr;
    decltype(&Mix_CloseAudio) closeAudio = nullptr;
    decltype(&Mix_QuerySpec) querySpec = nullptr;
    decltype(&Mix_LoadMUSType_RW) loadMusic = nullptr;
    decltype(&Mix_GetMusicType) musicType = nullptr;
    decltype(&Mix_FreeMusic) freeMusic = nullptr;
    decltype(&Mix_LoadWAV_RW) loadChunk = nullptr;
    decltype(&Mix_FreeChunk) freeChunk = nullptr;
};

template <typename Function>
bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

SDL_malloc_func sdlMalloc = nullptr;
SDL_calloc_func sdlCalloc = nullptr;
SDL_realloc_func sdlRealloc = nullptr;

// No allocation of SDL's comes near the limit but the buffer a decoded sound grows in.
void* SDLCALL boundedMalloc(size_t size) {
    return size > kMaxPcmBytes ? nullptr : sdlMalloc(size);
}
void* SDLCALL boundedCalloc(size_t count, size_t size) {
    return size != 0 && count > kMaxPcmBytes / size ? nullptr : sdlCalloc(count, size);
}
void* SDLCALL boundedRealloc(void* memory, size_t size) {
    return size > kMaxPcmBytes ? nullptr : sdlRealloc(memory, size);
}

const Mixer* mixer() {
    static const Mixer* const loaded = []() -> const Mixer* {
        void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        void* mix = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (sdl == nullptr || mix == nullptr) return nullptr;
        static Mixer m;
        const bool complete =
            resolve(sdl, "SDL_InitSubSystem", m.initSubSystem) &&
            resolve(sdl, "SDL_QuitSubSystem", m.quitSubSystem) &&
            resolve(sdl, "SDL_WasInit", m.wasInit) && resolve(sdl, "SDL_GetError", m.getError) &&
            resolve(sdl, "SDL_SetHintWithPriority", m.setHint) &&
            resolve(sdl, "SDL_ResetHint", m.resetHint) &&
            resolve(sdl, "SDL_GetMemoryFunctions", m.getMemory) &&
            resolve(sdl, "SDL_SetMemoryFunctions", m.setMemory) &&
            resolve(sdl, "SDL_RWFromConstMem", m.fromMemory) && resolve(mix, "Mix_Init", m.init) &&
            resolve(mix, "Mix_OpenAudio", m.openAudio) &&
            resolve(mix, "Mix_CloseAudio", m.closeAudio) &&
            resolve(mix, "Mix_QuerySpec", m.querySpec) &&
            resolve(mix, "Mix_LoadMUSType_RW", m.loadMusic) &&
            resolve(mix, "Mix_GetMusicType", m.musicType) &&
            resolve(mix, "Mix_FreeMusic", m.freeMusic) &&
            resolve(mix, "Mix_LoadWAV_RW", m.loadChunk) &&
            resolve(mix, "Mix_FreeChunk", m.freeChunk);
        if (!complete) return nullptr;
        SDL_free_func sdlFree = nullptr;
        m.getMemory(&sdlMalloc, &sdlCalloc, &sdlRealloc, &sdlFree);
        m.setMemory(boundedMalloc, boundedCalloc, boundedRealloc, sdlFree);
        return &m;
    }();
    return loaded;
}

Error refused(const fs::path& source, const std::string& why) {
    // TRANSLATORS: %1 says why ("it holds no sound").
    return Error(ErrorKind::kFailed,
                 i18n::fill(i18n::tx("the sound cannot be converted to WAV: %1"), {why}),
                 source.filename().string());
}

// The mixer opened for decoding: on a silent device of its own unless the player has one open,
// whose format it then shares.
class OpenMixer {
  public:
    explicit OpenMixer(const Mixer& mix) : mix_(mix) {
        if (mix_.wasInit(SDL_INIT_AUDIO) == 0) {
            mix_.setHint(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
            initialised_ = mix_.initSubSystem(SDL_INIT_AUDIO) == 0;
            // The player's device is chosen as before: by SDL_AUDIODRIVER, or SDL's own order.
            mix_.resetHint(SDL_HINT_AUDIODRIVER);
            if (!initialised_) return;
        }
        open_ = mix_.openAudio(kRate, AUDIO_S16SYS, kChannels, 4096) == 0;
        if (open_) mix_.init(MIX_INIT_OGG | MIX_INIT_FLAC | MIX_INIT_OPUS);
    }
    ~OpenMixer() {
        if (open_) mix_.closeAudio();
        if (initialised_) mix_.quitSubSystem(SDL_INIT_AUDIO);
    }
    OpenMixer(const OpenMixer&) = delete;
    OpenMixer& operator=(const OpenMixer&) = delete;
    bool open() const { return open_; }

  private:
    const Mixer& mix_;
    bool initialised_ = false;
    bool open_ = false;
};

void putLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string wavHeader(std::uint32_t dataBytes, int rate, int channels) {
    std::string header = "RIFF";
    putLittle(header, 36 + dataBytes, 4);
    header += "WAVEfmt ";
    putLittle(header, 16, 4);
    putLittle(header, 1, 2);  // PCM
    putLittle(header, static_cast<std::uint32_t>(channels), 2);
    putLittle(header, static_cast<std::uint32_t>(rate), 4);
    putLittle(header, static_cast<std::uint32_t>(rate * channels * 2), 4);
    putLittle(header, static_cast<std::uint32_t>(channels * 2), 2);
    putLittle(header, 16, 2);
    header += "data";
    putLittle(header, dataBytes, 4);
    return header;
}

}  // namespace

bool isConvertedSound(std::string_view ending) {
    return ending == "ogg" || ending == "oga" || ending == "opus" || ending == "flac";
}

Result<ConvertedSound> convertSoundToWav(const fs::path& source, const fs::path& target) {
    // Read whole from a plain file within the limit: never from a pipe, never past the limit.
    const ReadableFile file = openForReading(source, kMaxConvertedSoundBytes);
    if (file.problem == ReadableFile::Problem::kCannotOpen)
        return refused(source, i18n::tx("it cannot be read"));
    if (file.problem == ReadableFile::Problem::kFolder ||
        file.problem == ReadableFile::Problem::kNotRegular)
        return refused(source, i18n::tx("it is not a file"));
    if (file.problem == ReadableFile::Problem::kTooLarge)
        return refused(source,
                       i18n::fill(i18n::tx("it is larger than %1 MiB"),
                                  {std::to_string(kMaxConvertedSoundBytes / (1024 * 1024))}));
    // A file that grew meanwhile is read up to the size it had.
    std::string bytes = readAll(file.fd(), kMaxConvertedSoundBytes).value_or(std::string());
    bytes.resize(std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(file.info.st_size)));
    const bool ogg = bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0;
    const bool flac = bytes.size() >= 4 && std::memcmp(bytes.data(), "fLaC", 4) == 0;
    if (!ogg && !flac) return refused(source, i18n::tx("it is no OGG Vorbis, FLAC or Opus sound"));

    const Mixer* mix = mixer();
    if (mix == nullptr)
        return refused(source, i18n::tx("SDL2_mixer, which decodes it, is not installed"));
    const OpenMixer opened(*mix);
    if (!opened.open())
        return refused(source, i18n::fill(i18n::tx("no audio: %1"), {mix->getError()}));
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (mix->querySpec(&rate, &format, &channels) == 0 || format != AUDIO_S16SYS || channels < 1 ||
        channels > 8 || rate <= 0)
        return refused(source,
                       i18n::tx("the audio device has a format WAV files here do not take"));

    // Told by the mixer from the content: an OGG file holding anything but Vorbis or Opus is
    // refused, not decoded by whatever takes it.
    if (Mix_Music* music = mix->loadMusic(
            mix->fromMemory(bytes.data(), static_cast<int>(bytes.size())), MUS_NONE, 1)) {
        const Mix_MusicType type = mix->musicType(music);
        mix->freeMusic(music);
        if (type != MUS_OGG && type != MUS_FLAC && type != MUS_OPUS)
            return refused(source, i18n::tx("it is no OGG Vorbis, FLAC or Opus sound"));
    } else {
        return refused(source, i18n::fill(i18n::tx("it is damaged (%1)"), {mix->getError()}));
    }
    Mix_Chunk* chunk =
        mix->loadChunk(mix->fromMemory(bytes.data(), static_cast<int>(bytes.size())), 1);
    const auto frameBytes = static_cast<std::size_t>(channels) * 2;
    const std::size_t limit =
        static_cast<std::size_t>(rate) * frameBytes * kMaxConvertedSoundLength.count();
    const std::string longest = i18n::fill(i18n::tx("it is longer than %1 minutes"),
                                           {std::to_string(kMaxConvertedSoundLength.count() / 60)});
    if (chunk == nullptr) {
        const std::string why = mix->getError();
        // Decoding stops where SDL refuses the buffer a longer sound needs.
        if (why.find("memory") != std::string::npos) return refused(source, longest);
        return refused(source, i18n::fill(i18n::tx("it is damaged (%1)"), {why}));
    }
    const std::size_t pcm = chunk->alen - chunk->alen % frameBytes;
    std::string wav;
    if (pcm <= limit && pcm > 0) {
        wav = wavHeader(static_cast<std::uint32_t>(pcm), rate, channels);
        wav.append(reinterpret_cast<const char*>(chunk->abuf), pcm);
    }
    mix->freeChunk(chunk);
    if (pcm > limit) return refused(source, longest);
    if (pcm == 0) return refused(source, i18n::tx("it holds no sound"));

    if (!writeFileWhole(target, wav, Placement::kReplace))
        return Error(ErrorKind::kNoAccess, i18n::tx("cannot write the converted sound"),
                     target.string());
    ConvertedSound converted;
    converted.rate = rate;
    converted.channels = channels;
    converted.length = std::chrono::milliseconds(pcm / frameBytes * 1000 / rate);
    return converted;
}

}  // namespace vexlor::platform
