#include "modules/earlier_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

#include "modules/module_database.h"
#include "platform/descriptor.h"
#include "platform/files.h"
#include "text/i18n.h"

namespace vexlor::modules {

namespace fs = std::filesystem;
using platform::Descriptor;

namespace {

constexpr std::array<unsigned char, 4> kStart = {0x00, 0x01, 0x00, 0x00};
constexpr std::string_view kJetName = "Standard Jet DB";
constexpr std::string_view kLaterName = "Standard ACE DB";
constexpr std::size_t kNameAt = 4;
constexpr std::size_t kVersionAt = 0x14;
// The part of the header that is encoded, from here, with a fixed key.
constexpr std::size_t kEncodedAt = 0x18;
constexpr std::array<unsigned char, 4> kHeaderKey = {0xc7, 0xda, 0x39, 0x6b};
// Offsets within the decoded part.
constexpr std::size_t kCodePageAt = 0x3c - kEncodedAt;
constexpr std::size_t kDatabaseKeyAt = 0x3e - kEncodedAt;
constexpr std::size_t kPasswordAt = 0x42 - kEncodedAt;
constexpr std::size_t kCreatedAt = 0x72 - kEncodedAt;

// The stream cipher the header is encoded with.
void rc4(std::span<const unsigned char> key, std::span<unsigned char> data) {
    std::array<unsigned char, 256> state{};
    for (std::size_t i = 0; i < state.size(); ++i) state[i] = static_cast<unsigned char>(i);
    unsigned char j = 0;
    for (std::size_t i = 0; i < state.size(); ++i) {
        j = static_cast<unsigned char>(j + state[i] + key[i % key.size()]);
        std::swap(state[i], state[j]);
    }
    unsigned char a = 0, b = 0;
    for (unsigned char& byte : data) {
        a = static_cast<unsigned char>(a + 1);
        b = static_cast<unsigned char>(b + state[a]);
        std::swap(state[a], state[b]);
        byte ^= state[static_cast<unsigned char>(state[a] + state[b])];
    }
}

std::uint32_t little32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Whether the password field holds exactly the module password: Jet 3 keeps single bytes, Jet 4
// two-byte characters masked with the day the database was made; the rest of the field is zero.
bool holdsModulePassword(const unsigned char* field, int version) {
    const std::string_view password = kModuleKey;
    if (version == 3) {
        for (std::size_t i = 0; i < 20; ++i)
            if (field[i] != (i < password.size() ? static_cast<unsigned char>(password[i]) : 0))
                return false;
        return true;
    }
    double created = 0;
    std::memcpy(&created, field + (kCreatedAt - kPasswordAt), sizeof created);
    // The day as a 32-bit integer; a date no engine writes gives a mask no password matches.
    const bool sane = created > -1e9 && created < 1e9;
    const auto days = static_cast<std::uint32_t>(sane ? static_cast<std::int32_t>(created) : 0);
    for (std::size_t i = 0; i < 40; ++i) {
        const unsigned char mask = static_cast<unsigned char>(days >> (8 * (i % 4)));
        const std::size_t character = i / 2;
        const unsigned char expected = i % 2 == 0 && character < password.size()
                                           ? static_cast<unsigned char>(password[character])
                                           : 0;
        if ((field[i] ^ mask) != expected) return false;
    }
    return sane;
}

bool taken(const fs::path& path) {
    // Anything there, a link to nothing included, or a name that cannot be looked at.
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error)) ||
           (error && error != std::errc::no_such_file_or_directory);
}

Error systemError(const std::string& what, int number, const fs::path& file) {
    return Error(number == EACCES || number == EPERM || number == EROFS ? ErrorKind::kNoAccess
                                                                        : ErrorKind::kFailed,
                 what + ": " + std::strerror(number), file.string());
}

// A copy of `from` at `to`, written to the disk before it is given back. `to` must not exist:
// then `created` stays false and nothing is touched. A copy that fails half-way is removed.
Status copyWhole(const fs::path& from, const fs::path& to, bool& created) {
    created = false;
    const Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in) return systemError(i18n::tx("cannot read the original"), errno, from);
    const Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!out) return systemError(i18n::tx("cannot keep the original"), errno, to);
    created = true;
    auto failed = [&](int number) {
        std::error_code ignored;
        fs::remove(to, ignored);
        created = false;
        return systemError(i18n::tx("cannot keep the original"), number, to);
    };
    if (platform::copyAll(in.get(), out.get(), UINT64_MAX) != platform::CopyEnd::kDone)
        return failed(errno);
    if (::fsync(out.get()) != 0) return failed(errno);
    return Status::success();
}

using platform::syncFolder;

fs::path folderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

}  // namespace

std::optional<JetHeader> parseJetHeader(std::span<const unsigned char> bytes) {
    if (bytes.size() < kNameAt + kJetName.size() + 1) return std::nullopt;
    if (!std::equal(kStart.begin(), kStart.end(), bytes.begin())) return std::nullopt;
    const std::string_view name(reinterpret_cast<const char*>(bytes.data() + kNameAt),
                                kJetName.size());
    if (name == kLaterName) return JetHeader{};
    if (name != kJetName || bytes.size() <= kVersionAt) return std::nullopt;
    JetHeader header;
    switch (bytes[kVersionAt]) {
        case 0:
            header.version = 3;
            break;
        case 1:
            header.version = 4;
            break;
        default:
            return header;  // a later engine's file
    }
    const std::size_t encoded = header.version == 3 ? 126 : 128;
    if (bytes.size() < kEncodedAt + encoded) return std::nullopt;
    std::array<unsigned char, 128> plain{};
    std::memcpy(plain.data(), bytes.data() + kEncodedAt, encoded);
    rc4(kHeaderKey, std::span(plain.data(), encoded));
    header.codePage = static_cast<std::uint16_t>(plain[kCodePageAt] | plain[kCodePageAt + 1] << 8);
    header.databaseKey = little32(plain.data() + kDatabaseKeyAt);
    header.modulePassword = holdsModulePassword(plain.data() + kPasswordAt, header.version);
    return header;
}

std::optional<JetHeader> readJetHeader(const std::string& path) {
    // Not blocking on a pipe, not following a link to nothing; only a plain file is read.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::array<unsigned char, kJetHeaderBytes> bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t read = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) break;
        got += static_cast<std::size_t>(read);
    }
    return parseJetHeader(std::span(bytes.data(), got));
}

bool isEarlierModule(const std::string& path) {
    const auto header = readJetHeader(path);
    return header && header->version != 0 && header->modulePassword;
}

std::string jetVersionName(const JetHeader& header) {
    return header.version == 0
               ? std::string(i18n::tx("a later database format (ACE) that no module was made in"))
               : "Jet " + std::to_string(header.version);
}

fs::path backupPathFor(const fs::path& module) {
    const std::string name = module.filename().string();
    fs::path candidate = module.parent_path() / (name + ".jet");
    for (int number = 2; taken(candidate) && number < 10000; ++number)
        candidate = module.parent_path() / (name + "." + std::to_string(number) + ".jet");
    return candidate;
}

Result<fs::path> keepOriginal(const fs::path& original) {
    fs::path backup;
    bool kept = false;
    // Another program may take the name between the choice and the link: the next one is tried.
    for (int attempt = 0; attempt < 100 && !kept; ++attempt) {
        backup = backupPathFor(original);
        if (::link(original.c_str(), backup.c_str()) == 0) {
            kept = true;
            break;
        }
        const int number = errno;
        if (number == EEXIST) continue;
        // A file system without hard links (a memory stick's) gets a copy instead.
        if (number != EPERM && number != EXDEV && number != EMLINK && number != ENOTSUP &&
            number != ENOSYS)
            return systemError(i18n::tx("cannot keep the original under a new name"), number,
                               original);
        bool created = false;
        Status copied = copyWhole(original, backup, created);
        if (copied)
            kept = true;
        else if (created || !taken(backup))
            return copied.error();
    }
    if (!kept)
        return Error(ErrorKind::kFailed,
                     i18n::tx("cannot find a free name to keep the original under"),
                     original.string());
    syncFolder(folderOf(original));
    return backup;
}

Result<fs::path> placeConverted(const fs::path& converted, const fs::path& original) {
    auto backup = keepOriginal(original);
    if (!backup) return backup;
    if (::rename(converted.c_str(), original.c_str()) != 0) {
        const int number = errno;
        std::error_code ignored;
        fs::remove(*backup, ignored);  // the original is still in its place
        return systemError(i18n::tx("cannot put the converted module in place"), number, original);
    }
    syncFolder(folderOf(original));
    return backup;
}

std::optional<Error> conversionBlocked(const fs::path& original) {
    const fs::path folder = folderOf(original);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return Error(ErrorKind::kNoAccess,
                     i18n::fill(i18n::tx("the folder %1 cannot be written to, so the module "
                                         "cannot be converted there. Copy it to a folder of "
                                         "yours and open the copy"),
                                {folder.string()}),
                     original.string());
    if (::access(original.c_str(), W_OK) != 0)
        return Error(ErrorKind::kNoAccess,
                     i18n::tx("the file is read-only, so it is not converted. Make it "
                              "writable, or copy it and open the copy"),
                     original.string());
    return std::nullopt;
}

}  // namespace vexlor::modules
