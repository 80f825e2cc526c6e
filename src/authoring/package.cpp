#include "authoring/package.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "authoring/module_file.h"
#include "authoring/module_media.h"
#include "rules/media.h"
#include "text/i18n.h"
#include "text/text.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using platform::Descriptor;

namespace {

constexpr std::string_view kModuleEnding = ".vxm";

using i18n::fill;
using i18n::tx;

std::string inQuotes(std::string_view text) {
    return fill(i18n::txc("a quoted text", "\"%1\""), {text});
}

std::string mebibytes(std::uintmax_t bytes) {
    return fill(tx("%1 MiB"), {std::to_string(bytes / (1024 * 1024))});
}

bool isModuleName(std::string_view name) {
    return name.size() > kModuleEnding.size() &&
           text::equalsIgnoringCase(name.substr(name.size() - kModuleEnding.size()), kModuleEnding);
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ZipCloser>;

std::string zipError(zip_t* archive) {
    return zip_error_strerror(zip_get_error(archive));
}

// A hidden name beside `path`, for what is written before it is put in place.
fs::path hiddenBeside(const fs::path& path, std::string_view what) {
    static unsigned counter = 0;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    return folder / (".vexlor-" + std::string(what) + "-" + std::to_string(::getpid()) + "-" +
                     std::to_string(counter++));
}

// Why an entry's name cannot be unpacked, or nothing: only a relative name of plain parts
// stays inside the folder on every system. %1 in the sentence is the quoted name.
// TRANSLATORS: %1 is the quoted name of a file inside a package (a zip file).
const char* badName(std::string_view name) {
    if (name.empty()) return tx("the entry %1 has no name: the package is refused");
    if (name.size() > 1024)
        return tx("the entry %1 has a name longer than 1024 bytes: the package is refused");
    if (name.front() == '/') return tx("the entry %1 has an absolute name: the package is refused");
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '\\')
            return tx(
                "the entry %1 has a control character or a backslash: the package is "
                "refused");
    std::string_view rest = name.ends_with('/') ? name.substr(0, name.size() - 1) : name;
    bool first = true;
    while (true) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == "..")
            return tx("the entry %1 has an empty, . or .. part: the package is refused");
        if (part.size() > 255)
            return tx("the entry %1 has a part longer than 255 bytes: the package is refused");
        if (first && part.size() == 2 && part[1] == ':')
            return tx("the entry %1 names a drive: the package is refused");
        first = false;
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return nullptr;
}

std::uint64_t little(const unsigned char* bytes, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

// The most entries any end-of-directory record in the file's tail claims. libzip makes room for
// as many entries as the record it takes says, before they are counted: a crafted count is
// refused here first, whichever record libzip would take.
std::uint64_t claimedEntries(int file, std::uintmax_t size) {
    constexpr std::size_t kRecord = 22, kTail = kRecord + 65535;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uintmax_t>(size, kTail));
    std::vector<unsigned char> tail(length);
    const off_t start = static_cast<off_t>(size - length);
    if (::pread(file, tail.data(), length, start) != static_cast<ssize_t>(length)) return 0;
    std::uint64_t most = 0;
    for (std::size_t at = 0; at + kRecord <= length; ++at) {
        if (little(&tail[at], 4) != 0x06054b50) continue;
        most = std::max(most, little(&tail[at + 10], 2));
        // Zip64: the locator just before the record points to a record with the true count.
        if (at < 20 || little(&tail[at - 20], 4) != 0x07064b50) continue;
        unsigned char record[40];
        const std::uint64_t offset = little(&tail[at - 20 + 8], 8);
        if (offset > size - sizeof record ||
            ::pread(file, record, sizeof record, static_cast<off_t>(offset)) != sizeof record ||
            little(record, 4) != 0x06064b50)
            continue;
        most = std::max({most, little(&record[24], 8), little(&record[32], 8)});
    }
    return most;
}

// Files and folders put in place, taken away again unless kept.
struct Placed {
    std::vector<fs::path> files, folders;
    bool kept = false;
    ~Placed() {
        if (kept) return;
        for (const fs::path& file : files) ::unlink(file.c_str());
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            ::rmdir(folder->c_str());
    }
};

struct Entry {
    zip_uint64_t index;
    std::string name;
    bool folder;
    zip_uint64_t claimed;
    std::uintmax_t limit;
};

// Writes one entry's bytes into `out`, counting what comes out, not what the header says.
Status extract(zip_t* archive, const Entry& entry, int out, std::uintmax_t& total,
               const PackageLimits& limits) {
    // `why` has %1 for the entry's quoted name, %2 for what the system or libzip says.
    const auto fail = [&](const char* why, std::string_view detail = {}) {
        return Error(ErrorKind::kDamaged, fill(why, {inQuotes(entry.name), detail}));
    };
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> in(zip_fopen_index(archive, entry.index, 0),
                                                         zip_fclose);
    // TRANSLATORS: %1 is the quoted name of a file inside a package, %2 why.
    if (!in) return fail(tx("%1 cannot be read: %2"), zipError(archive));
    std::array<char, 65536> buffer{};
    std::uintmax_t written = 0;
    while (true) {
        const zip_int64_t got = zip_fread(in.get(), buffer.data(), buffer.size());
        if (got < 0) return fail(tx("%1 is damaged: %2"), zip_file_strerror(in.get()));
        if (got == 0) break;
        written += static_cast<std::uintmax_t>(got);
        total += static_cast<std::uintmax_t>(got);
        if (written > entry.claimed) return fail(tx("%1 holds more than its header says"));
        // TRANSLATORS: %1 is the quoted name of a file inside a package, %2 a size ("10 MiB").
        if (written > entry.limit)
            return fail(tx("%1 unpacks to more than the %2 it may have"), mebibytes(entry.limit));
        if (total > limits.totalBytes)
            return Error(ErrorKind::kFailed,
                         fill(tx("the package unpacks to more than %1: refused as a zip bomb"),
                              {mebibytes(limits.totalBytes)}));
        for (zip_int64_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return fail(tx("%1 cannot be written: %2"), std::strerror(errno));
            done += put;
        }
    }
    if (written != entry.claimed) return fail(tx("%1 holds less than its header says"));
    if (::fsync(out) != 0) return fail(tx("%1 cannot be written: %2"), std::strerror(errno));
    return Status::success();
}

// The entries of the package, checked before anything is written.
Result<std::vector<Entry>> listEntries(zip_t* archive, const PackageLimits& limits,
                                       std::vector<std::string>& skipped) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.entries)
        return Error(ErrorKind::kFailed,
                     fill(tx("holds more than %1 files: a package holds one module and its media"),
                          {std::to_string(limits.entries)}));
    std::vector<Entry> entries;
    std::set<std::string> names;
    std::uintmax_t claimed = 0;
    std::size_t modules = 0;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, i, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE))
            return Error(ErrorKind::kDamaged,
                         fill(tx("entry %1 is damaged"), {std::to_string(i + 1)}));
        const std::string name = stat.name;
        // `why` has %1 for the entry's quoted name and %2 for a size.
        const auto refuse = [&](const char* why, std::string_view size = {}) {
            return Error(ErrorKind::kFailed, fill(why, {inQuotes(name), size}));
        };
        if (const char* why = badName(name)) return refuse(why);
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(archive, i, 0, &system, &attributes) == 0 &&
            system == ZIP_OPSYS_UNIX) {
            const mode_t type = (attributes >> 16) & S_IFMT;
            if (type == S_IFLNK)
                return refuse(tx("the entry %1 is a link: the package is refused"));
            if (type != 0 && type != S_IFREG && type != S_IFDIR)
                return refuse(
                    tx("the entry %1 is neither a file nor a folder: the package is refused"));
        }
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return refuse(tx("the entry %1 is encrypted: the package is refused"));
        if ((stat.valid & ZIP_STAT_COMP_METHOD) &&
            !zip_compression_method_supported(stat.comp_method, 0))
            return refuse(
                tx("the entry %1 is compressed in a way this program cannot read: the "
                   "package is refused"));
        const bool folder = name.ends_with('/');
        const std::string plain = folder ? name.substr(0, name.size() - 1) : name;
        if (!names.insert(plain).second)
            return refuse(tx("the entry %1 is there twice: the package is refused"));
        if (folder) {
            if (stat.size != 0)
                return refuse(tx("the entry %1 is a folder holding bytes: the package is refused"));
            entries.push_back({i, plain, true, 0, 0});
            continue;
        }
        std::uintmax_t limit = limits.mediaBytes;
        if (isModuleName(name)) {
            ++modules;
            limit = limits.moduleBytes;
        } else {
            const rules::MediaKind kind = rules::mediaKind(name);
            if (kind != rules::MediaKind::kPicture && kind != rules::MediaKind::kSound) {
                skipped.push_back(
                    fill(tx("%1: neither the module nor a picture or sound"), {inQuotes(name)}));
                continue;
            }
        }
        if (stat.size > limit)
            return refuse(tx("the entry %1 would unpack to more than the %2 it may have: the "
                             "package is refused"),
                          mebibytes(limit));
        claimed += stat.size;
        if (claimed > limits.totalBytes)
            return Error(ErrorKind::kFailed,
                         fill(tx("the package would unpack to more than %1: refused as a zip bomb"),
                              {mebibytes(limits.totalBytes)}));
        entries.push_back({i, name, false, stat.size, limit});
    }
    if (modules != 1)
        return Error(
            ErrorKind::kNotAModule,
            // English says "modules" even of none or two, as it always has.
            fill(i18n::txn("holds %1 modules (.vxm files): a package holds exactly one",
                           "holds %1 modules (.vxm files): a package holds exactly one", modules),
                 {std::to_string(modules)}));
    return entries;
}

}  // namespace

Result<Packed> packModule(const fs::path& module, const fs::path& out, bool replace) {
    auto file = ModuleStore::open(module);
    if (!file) return file.error();
    auto questions = file->questions();
    if (!questions) return questions.error();
    const fs::path folder = module.has_parent_path() ? module.parent_path() : fs::path(".");
    const MediaSurvey survey = surveyMedia(*questions, folder);
    std::string moduleName = module.filename().string();
    if (!isModuleName(moduleName)) moduleName += kModuleEnding;

    // Every file is checked before the package is begun, and packed with the length checked,
    // so a file that grows meanwhile adds nothing.
    struct Source {
        std::string name;
        fs::path file;
        std::uintmax_t size;
    };
    std::vector<Source> sources;
    std::uintmax_t size = 0, total = 0;
    if (auto opened = openPlainFile(module, PackageLimits{}.moduleBytes, &size); !opened)
        return opened.error();
    sources.push_back({moduleName, module, size});
    for (const UsedMedia& media : survey.files) {
        if (auto opened = openPlainFile(media.file, kMaxMediaBytes, &size); !opened)
            return opened.error();
        total += size;
        if (total > kMaxModuleMediaBytes)
            return Error(ErrorKind::kFailed,
                         fill(tx("the media files hold more than the %1 a package may carry"),
                              {mebibytes(kMaxModuleMediaBytes)}));
        sources.push_back({media.name, media.file, size});
    }

    const fs::path temporary = hiddenBeside(out, "package");
    struct Remove {
        const fs::path& path;
        ~Remove() { ::unlink(path.c_str()); }
    } removeTemporary{temporary};
    int code = 0;
    Archive archive(zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        return Error(ErrorKind::kNoAccess, fill(tx("cannot be written: %1"), {why}), out.string());
    }
    for (const Source& source : sources) {
        zip_source_t* bytes = zip_source_file(archive.get(), source.file.c_str(), 0,
                                              static_cast<zip_int64_t>(source.size));
        const zip_int64_t index =
            bytes ? zip_file_add(archive.get(), source.name.c_str(), bytes, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (bytes) zip_source_free(bytes);
            return Error(ErrorKind::kFailed,
                         fill(tx("cannot be packed: %1"), {zipError(archive.get())}),
                         source.file.string());
        }
        zip_file_set_external_attributes(archive.get(), static_cast<zip_uint64_t>(index), 0,
                                         ZIP_OPSYS_UNIX, (S_IFREG | 0644u) << 16);
    }
    if (zip_close(archive.get()) != 0)
        return Error(ErrorKind::kFailed,
                     fill(tx("cannot be written: %1"), {zipError(archive.get())}), out.string());
    archive.release();

    if (replace) {
        if (::rename(temporary.c_str(), out.c_str()) != 0)
            return Error(ErrorKind::kNoAccess,
                         fill(tx("cannot be written: %1"), {std::strerror(errno)}), out.string());
    } else {
        auto placed = placeWithoutReplacing(temporary, out);
        if (!placed) return placed.error();
        if (!*placed)
            return Error(ErrorKind::kFailed, tx("exists; it is not replaced"), out.string());
    }
    return Packed{survey.files.size(), survey.left};
}

Result<Unpacked> unpackPackage(const fs::path& zip, const fs::path& folder,
                               const PackageLimits& limits) {
    std::uintmax_t size = 0;
    auto opened = openPlainFile(zip, limits.totalBytes, &size);
    if (!opened) return opened.error();
    if (claimedEntries(opened->get(), size) > limits.entries)
        return Error(ErrorKind::kFailed,
                     fill(tx("claims more than %1 files: a package holds one module and its "
                             "media"),
                          {std::to_string(limits.entries)}),
                     zip.string());
    const int descriptor = ::dup(opened->get());
    int code = 0;
    Archive archive(descriptor < 0 ? nullptr : zip_fdopen(descriptor, ZIP_CHECKCONS, &code));
    if (!archive) {
        if (descriptor >= 0) ::close(descriptor);
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        // libzip refuses a name given twice as it opens the file.
        if (code == ZIP_ER_EXISTS)
            return Error(ErrorKind::kFailed,
                         tx("holds two entries of one name: the package is refused"), zip.string());
        return Error(ErrorKind::kNotAModule, fill(tx("is not a package (a zip file): %1"), {why}),
                     zip.string());
    }
    Unpacked result;
    auto entries = listEntries(archive.get(), limits, result.skipped);
    if (!entries) return entries.error().about(zip.string());

    Placed placed;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (!fs::exists(status)) {
        if (!fs::create_directory(folder, error))
            return Error(ErrorKind::kNoAccess, fill(tx("cannot be made: %1"), {error.message()}),
                         folder.string());
        placed.folders.push_back(folder);
    } else if (!fs::is_directory(status)) {
        return Error(ErrorKind::kNotAFile, tx("is not a folder"), folder.string());
    }
    std::string pattern = (folder / ".vexlor-unpack-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return Error(ErrorKind::kNoAccess,
                     fill(tx("cannot be written: %1"), {std::strerror(errno)}), folder.string());
    const fs::path staging = pattern;
    struct RemoveAll {
        const fs::path& path;
        ~RemoveAll() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removeStaging{staging};

    // Everything is unpacked beside, under the hidden folder, then put in place.
    std::uintmax_t total = 0;
    std::vector<fs::path> madeInStaging;
    for (const Entry& entry : *entries) {
        if (entry.folder) continue;
        if (Status made = makeFolders(staging, fs::path(entry.name).parent_path(), madeInStaging);
            !made)
            return made.error();
        const fs::path path = staging / entry.name;
        const Descriptor out(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (!out)
            return Error(ErrorKind::kFailed, fill(tx("%1 cannot be unpacked: %2"),
                                                  {inQuotes(entry.name), std::strerror(errno)}));
        if (Status done = extract(archive.get(), entry, out.get(), total, limits); !done)
            return done.error().about(zip.string());
    }
    for (const Entry& entry : *entries) {
        std::error_code ignored;
        if (!entry.folder && fs::exists(fs::symlink_status(folder / entry.name, ignored)))
            return Error(ErrorKind::kFailed,
                         fill(tx("%1 is there already: nothing is replaced; unpack into a new "
                                 "folder"),
                              {inQuotes(entry.name)}),
                         folder.string());
    }
    for (const Entry& entry : *entries) {
        const fs::path name(entry.name);
        if (Status made =
                makeFolders(folder, entry.folder ? name : name.parent_path(), placed.folders);
            !made)
            return made.error();
        if (entry.folder) continue;
        auto put = placeWithoutReplacing(staging / name, folder / name);
        if (!put) return put.error();
        if (!*put)
            return Error(
                ErrorKind::kFailed,
                fill(tx("%1 is there already: nothing is replaced"), {inQuotes(entry.name)}),
                folder.string());
        placed.files.push_back(folder / name);
        ++result.files;
        if (isModuleName(entry.name)) result.module = folder / name;
    }
    placed.kept = true;
    return result;
}

}  // namespace vexlor::authoring
