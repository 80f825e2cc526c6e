#include "authoring/recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "authoring/file_write.h"
#include "platform/data_home.h"
#include "platform/files.h"
#include "text/i18n.h"

namespace vexlor::authoring {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr std::string_view kFormat = "vexlor-recovery";
constexpr int kVersion = 1;
constexpr int kSlots = 32;               // editors at once on one module
constexpr std::size_t kMaxListed = 200;  // copies looked at when the editor starts
constexpr const char* kPropertyNames[] = {"title", "author", "company", "year"};

using i18n::tx;

// TRANSLATORS: what is wrong with a copy of unsaved changes the editor kept.
constexpr const char* kPropertyMissing[] = {
    VX_N("the title is missing"), VX_N("the author is missing"), VX_N("the company is missing"),
    VX_N("the year is missing")};

// `why` is in the user's language already.
Error damagedSaying(const std::string& why) {
    // TRANSLATORS: %1 says what is wrong with the copy ("it is not JSON").
    return Error(ErrorKind::kDamaged, i18n::fill(tx("the recovery copy is damaged: %1"), {why}));
}

// `why` is a text marked for the catalogs, looked up here.
Error damaged(const char* why) {
    return damagedSaying(tx(why));
}

// The copy's name stays the same for one module, and differs between modules.
std::string nameOf(const fs::path& module) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : module.string()) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

fs::path lockOf(const fs::path& copy) {
    fs::path lock = copy;
    return lock.replace_extension(".lock");
}

// The lock of a copy, held; -1 when another editor holds it or it cannot be made.
int lock(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

Status makeFolder(const fs::path& folder) {
    fs::path made;
    for (const fs::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return Error(ErrorKind::kNoAccess, tx("cannot make the recovery folder"),
                         made.string());
    }
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return Error(ErrorKind::kNoAccess, tx("the recovery folder is not a folder"),
                     folder.string());
    // Unsaved questions are the author's own: no one else reads them.
    if ((status.st_mode & 077) != 0) ::chmod(folder.c_str(), 0700);
    return Status::success();
}

}  // namespace

fs::path recoveryFolder() {
    const std::optional<fs::path> state = platform::stateHome();
    return state ? *state / "vexlor" / "recovery" : fs::path();
}

std::string recoveryText(const RecoveryCopy& copy) {
    json properties = json::object();
    for (std::size_t i = 0; i < std::size(kPropertyNames); ++i)
        properties[kPropertyNames[i]] =
            fieldOf(copy.edited.properties, static_cast<PropertyField>(i));
    json questions = json::array();
    for (const Document::Edited::Row& row : copy.edited.rows)
        questions.push_back({{"stored", row.storedRow ? json(*row.storedRow) : json(nullptr)},
                             {"fields", row.question.fields()}});
    const json whole = {{"format", kFormat},
                        {"version", kVersion},
                        {"module", copy.module.string()},
                        {"properties", std::move(properties)},
                        {"questions", std::move(questions)}};
    return whole.dump(1, ' ', false, json::error_handler_t::replace) + '\n';
}

Result<RecoveryCopy> parseRecovery(std::string_view text) {
    if (text.size() > kMaxRecoveryBytes) return damaged(VX_N("it is too large"));
    // A copy nests three levels deep; deeper is refused before it is built.
    bool tooDeep = false;
    const json whole = json::parse(
        text.begin(), text.end(),
        [&tooDeep](int depth, json::parse_event_t, json&) {
            if (depth > 4) tooDeep = true;
            return !tooDeep;
        },
        /*allow_exceptions=*/false);
    if (tooDeep) return damaged(VX_N("it nests too deep"));
    if (whole.is_discarded() || !whole.is_object()) return damaged(VX_N("it is not JSON"));
    auto string = [](const json& object, const char* key) -> const std::string* {
        const auto found = object.find(key);
        return found != object.end() && found->is_string() ? found->get_ptr<const std::string*>()
                                                           : nullptr;
    };
    const std::string* format = string(whole, "format");
    if (format == nullptr || *format != kFormat) return damaged(VX_N("it is not a recovery copy"));
    if (whole.value("version", json()) != json(kVersion))
        return damaged(VX_N("it is of another version"));
    RecoveryCopy copy;
    const std::string* module = string(whole, "module");
    if (module == nullptr || !fs::path(*module).is_absolute())
        return damaged(VX_N("it names no module"));
    copy.module = *module;
    const json properties = whole.value("properties", json());
    if (!properties.is_object()) return damaged(VX_N("it has no properties"));
    for (std::size_t i = 0; i < std::size(kPropertyNames); ++i) {
        const std::string* value = string(properties, kPropertyNames[i]);
        if (value == nullptr) return damaged(kPropertyMissing[i]);
        fieldOf(copy.edited.properties, static_cast<PropertyField>(i)) = *value;
    }
    const auto questions = whole.find("questions");
    if (questions == whole.end() || !questions->is_array())
        return damaged(VX_N("it has no questions"));
    if (static_cast<std::int64_t>(questions->size()) > kMaxQuestions)
        return damaged(VX_N("it holds more questions than the game counts"));
    copy.edited.rows.reserve(questions->size());
    for (const json& question : *questions) {
        // TRANSLATORS: %1 is a question's number.
        const std::string notQuestion = i18n::fill(tx("question %1 is not a question"),
                                                   {std::to_string(copy.edited.rows.size() + 1)});
        if (!question.is_object()) return damagedSaying(notQuestion);
        const json stored = question.value("stored", json());
        const json fields = question.value("fields", json());
        if (!(stored.is_null() || stored.is_number_integer()) || !fields.is_array() ||
            fields.size() != kQuestionFieldCount ||
            !std::all_of(fields.begin(), fields.end(), [](const json& f) { return f.is_string(); }))
            return damagedSaying(notQuestion);
        Document::Edited::Row row;
        if (stored.is_number_integer()) row.storedRow = stored.get<std::int64_t>();
        row.question = Question::fromFields(fields.get<std::vector<std::string>>());
        copy.edited.rows.push_back(std::move(row));
    }
    return copy;
}

Result<RecoveryCopy> readRecovery(const fs::path& file) {
    const platform::ReadableFile in = platform::openForReading(file, kMaxRecoveryBytes);
    if (in.problem == platform::ReadableFile::Problem::kTooLarge)
        return damaged(VX_N("it is too large")).about(file.string());
    std::optional<std::string> read;
    if (in) read = platform::readAll(in.fd(), kMaxRecoveryBytes);
    if (!read)
        return Error(ErrorKind::kNoAccess, tx("cannot read the recovery copy"), file.string());
    if (read->size() > kMaxRecoveryBytes)
        return damaged(VX_N("it is too large")).about(file.string());
    const std::string text = std::move(*read);
    auto copy = parseRecovery(text);
    if (!copy) return copy.error().about(file.string());
    return copy;
}

std::vector<fs::path> recoveryCopies(const fs::path& folder) {
    std::vector<std::pair<fs::file_time_type, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().extension() != ".json" || !entry->is_regular_file(error)) continue;
        found.emplace_back(entry->last_write_time(error), entry->path());
        if (found.size() == kMaxListed) break;
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<fs::path> copies;
    for (auto& [time, path] : found) copies.push_back(std::move(path));
    return copies;
}

Result<RecoverySlot> RecoverySlot::claim(const fs::path& folder, const fs::path& module) {
    if (folder.empty())
        return Error(ErrorKind::kNoAccess, tx("no folder for recovery copies (HOME is not set)"));
    if (Status made = makeFolder(folder); !made) return made.error();
    const std::string name = nameOf(platform::absolutePath(module));
    std::error_code error;
    for (int slot = 0; slot < kSlots; ++slot) {
        const fs::path copy = folder / (name + "-" + std::to_string(slot) + ".json");
        // A copy left by an editor that ended badly waits to be offered.
        if (fs::exists(copy, error)) continue;
        const int held = lock(lockOf(copy));
        if (held < 0) continue;
        if (fs::exists(copy, error)) {
            ::close(held);
            continue;
        }
        return RecoverySlot(copy, held);
    }
    return Error(ErrorKind::kInUse, tx("too many editors have this module open"), module.string());
}

std::optional<RecoverySlot> RecoverySlot::claimCopy(const fs::path& copy) {
    const int held = lock(lockOf(copy));
    if (held < 0) return std::nullopt;
    std::error_code error;
    if (!fs::is_regular_file(copy, error)) {
        ::close(held);
        return std::nullopt;
    }
    return RecoverySlot(copy, held);
}

RecoverySlot::RecoverySlot(RecoverySlot&& other) noexcept
    : copy_(std::move(other.copy_)), lock_(std::exchange(other.lock_, -1)) {}

RecoverySlot& RecoverySlot::operator=(RecoverySlot&& other) noexcept {
    if (this != &other) {
        release();
        copy_ = std::move(other.copy_);
        lock_ = std::exchange(other.lock_, -1);
    }
    return *this;
}

RecoverySlot::~RecoverySlot() {
    release();
}

void RecoverySlot::release() {
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
}

Status RecoverySlot::write(const RecoveryCopy& copy) const {
    return writeWholeFile(copy_, recoveryText(copy));
}

void RecoverySlot::remove() {
    std::error_code ignored;
    fs::remove(copy_, ignored);
    // The lock goes while still held, so no other editor takes the slot in between.
    fs::remove(lockOf(copy_), ignored);
    release();
}

fs::path RecoverySlot::setAside() {
    fs::path aside = copy_;
    aside += ".damaged";
    std::error_code error;
    for (int n = 2; fs::exists(aside, error) && n < 100; ++n) {
        aside = copy_;
        aside += ".damaged-" + std::to_string(n);
    }
    fs::rename(copy_, aside, error);
    remove();
    return aside;
}

}  // namespace vexlor::authoring
