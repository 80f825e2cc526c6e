#include "platform/file_types.h"
#include "platform/files.h"
#include "text/text.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace vexlor::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kIconKeySuffix = "\\DefaultIcon";

// What one package file says of one type.
struct TypeEntry {
    std::vector<std::string> globs;
    std::string comment;
    std::string iconName;
    std::string iconSource;  // the "path,index" value the icon came from
};

bool isPlainName(std::string_view name) {
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.' || c == '+';
    });
}

std::string unescapeXml(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto* entity =
            std::find_if(std::begin(kEntities), std::end(kEntities),
                         [&](const auto& e) { return text.substr(i).starts_with(e.first); });
        if (entity != std::end(kEntities)) {
            out += entity->second;
            i += entity->first.size() - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Source-icon paths may hold "--", which an XML comment cannot, and any bytes a folder name can
// hold, which XML cannot (control characters, text that is not UTF-8): such bytes are written as
// %XX, so the file stays well-formed.
std::string escapeComment(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || c == '-' || byte < 0x20 || byte >= 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeComment(std::string_view text) {
    return text::percentDecoded(text);
}

// Icons and package files are small; anything larger is not read.
constexpr std::uint64_t kMaxReadBytes = 4 * 1024 * 1024;

// A plain file's bytes; nothing for a pipe, a device, a folder or a file over the limit, which
// are never read (a pipe would block the start of the program).
std::optional<std::string> readFile(const fs::path& path) {
    return readRegularFile(path, kMaxReadBytes);
}

// Writes through a temporary file so a reader never sees half a file.
bool writeFileAtomically(const fs::path& path, std::string_view content) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    return !error && writeFileWhole(path, content, Placement::kReplace);
}

// Reads back only what serialize() below writes.
TypeEntry parseEntry(const std::string& xml) {
    TypeEntry entry;
    auto attribute = [&](std::string_view start, std::size_t from) -> std::optional<std::string> {
        const auto at = xml.find(start, from);
        if (at == std::string::npos) return std::nullopt;
        const auto begin = at + start.size();
        const auto end = xml.find('"', begin);
        if (end == std::string::npos) return std::nullopt;
        return unescapeXml(std::string_view(xml).substr(begin, end - begin));
    };
    for (std::size_t at = 0; (at = xml.find("<glob pattern=\"", at)) != std::string::npos; ++at) {
        if (auto glob = attribute("<glob pattern=\"", at)) entry.globs.push_back(*glob);
    }
    if (auto icon = attribute("<icon name=\"", 0)) entry.iconName = *icon;
    const auto commentStart = xml.find("<comment>");
    const auto commentEnd = xml.find("</comment>");
    if (commentStart != std::string::npos && commentEnd != std::string::npos &&
        commentEnd > commentStart) {
        const auto begin = commentStart + std::string_view("<comment>").size();
        entry.comment = unescapeXml(std::string_view(xml).substr(begin, commentEnd - begin));
    }
    const std::string_view sourceMark = "<!-- icon source: ";
    const auto source = xml.find(sourceMark);
    if (source != std::string::npos) {
        const auto begin = source + sourceMark.size();
        const auto end = xml.find(" -->", begin);
        if (end != std::string::npos)
            entry.iconSource = unescapeComment(std::string_view(xml).substr(begin, end - begin));
    }
    return entry;
}

std::string serialize(const std::string& type, const TypeEntry& entry) {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        << "  <mime-type type=\"application/x-" << text::markupEscaped(type) << "\">\n";
    if (!entry.comment.empty())
        xml << "    <comment>" << text::markupEscaped(entry.comment) << "</comment>\n";
    if (!entry.iconName.empty()) {
        xml << "    <icon name=\"" << text::markupEscaped(entry.iconName) << "\"/>\n";
        xml << "    <!-- icon source: " << escapeComment(entry.iconSource) << " -->\n";
    }
    for (const auto& glob : entry.globs)
        xml << "    <glob pattern=\"" << text::markupEscaped(glob) << "\"/>\n";
    xml << "  </mime-type>\n</mime-info>\n";
    return xml.str();
}

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

struct PngImage {
    std::string bytes;
    int size = 0;
};

// Takes image `index` out of an .ico file. Only PNG-coded images are taken: they can be
// copied as they are into an icon theme.
std::optional<PngImage> pngFromIco(const std::string& ico, std::size_t index) {
    if (ico.size() < 6 || littleEndian(ico, 0, 2) != 0 || littleEndian(ico, 2, 2) != 1)
        return std::nullopt;
    const std::size_t count = littleEndian(ico, 4, 2);
    if (index >= count) return std::nullopt;
    const std::size_t entry = 6 + 16 * index;
    if (entry + 16 > ico.size()) return std::nullopt;
    const std::size_t size = littleEndian(ico, entry + 8, 4);
    const std::size_t offset = littleEndian(ico, entry + 12, 4);
    if (offset > ico.size() || size > ico.size() - offset || size < 24) return std::nullopt;
    std::string png = ico.substr(offset, size);
    if (!png.starts_with("\x89PNG\r\n\x1a\n") || png.substr(12, 4) != "IHDR") return std::nullopt;
    const std::uint32_t width =
        text::bigEndian32(reinterpret_cast<const unsigned char*>(png.data()) + 16);
    const std::uint32_t height =
        text::bigEndian32(reinterpret_cast<const unsigned char*>(png.data()) + 20);
    if (width != height || width == 0 || width > 1024) return std::nullopt;
    return PngImage{std::move(png), static_cast<int>(width)};
}

// Lets the desktop see the change at once; without the tool the files still stand.
void refreshMimeCache(const fs::path& mimeFolder) {
    std::string folder = mimeFolder.string();
    std::string program = "update-mime-database";
    char* argv[] = {program.data(), folder.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

FreedesktopFileTypes::FreedesktopFileTypes(std::optional<fs::path> dataHome)
    : dataHome_(dataHome && dataHome->is_absolute() ? std::move(*dataHome) : fs::path{}) {}

fs::path FreedesktopFileTypes::packagePath(const std::string& type) const {
    return dataHome_ / "mime" / "packages" / ("x-" + type + ".xml");
}

fs::path FreedesktopFileTypes::iconPath(const std::string& type, int size) const {
    const std::string dimension = std::to_string(size) + "x" + std::to_string(size);
    return dataHome_ / "icons" / "hicolor" / dimension / "mimetypes" /
           ("application-x-" + type + ".png");
}

std::optional<std::string> FreedesktopFileTypes::defaultValue(const std::string& key) const {
    if (dataHome_.empty()) return std::nullopt;
    if (key.starts_with('.')) {
        const std::string glob = "*" + key;
        std::error_code error;
        for (fs::directory_iterator it(dataHome_ / "mime" / "packages", error), end;
             !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (!name.starts_with("x-") || !name.ends_with(".xml")) continue;
            const auto xml = readFile(it->path());
            if (!xml) continue;
            const TypeEntry entry = parseEntry(*xml);
            if (std::find(entry.globs.begin(), entry.globs.end(), glob) != entry.globs.end())
                return name.substr(2, name.size() - 6);
        }
        return std::nullopt;
    }
    const bool iconKey = key.ends_with(kIconKeySuffix);
    const std::string type = iconKey ? key.substr(0, key.size() - kIconKeySuffix.size()) : key;
    if (!isPlainName(type)) return std::nullopt;
    const auto xml = readFile(packagePath(type));
    if (!xml) return std::nullopt;
    const TypeEntry entry = parseEntry(*xml);
    const std::string& value = iconKey ? entry.iconSource : entry.comment;
    if (value.empty()) return std::nullopt;
    return value;
}

bool FreedesktopFileTypes::setDefaultValue(const std::string& key, const std::string& value) {
    if (dataHome_.empty()) return false;
    std::string type;
    TypeEntry entry;
    if (key.starts_with('.')) {
        // ".ext" -> type: the type gains the glob "*.ext".
        if (!isPlainName(key.substr(1)) || !isPlainName(value)) return false;
        type = value;
        if (auto xml = readFile(packagePath(type))) entry = parseEntry(*xml);
        const std::string glob = "*" + key;
        if (std::find(entry.globs.begin(), entry.globs.end(), glob) == entry.globs.end())
            entry.globs.push_back(glob);
    } else if (key.ends_with(kIconKeySuffix)) {
        // "type\DefaultIcon" -> "file.ico,index".
        type = key.substr(0, key.size() - kIconKeySuffix.size());
        if (!isPlainName(type)) return false;
        const auto comma = value.rfind(',');
        const std::string file = comma == std::string::npos ? value : value.substr(0, comma);
        std::size_t index = 0;
        if (comma != std::string::npos) {
            const std::string digits = value.substr(comma + 1);
            if (digits.empty() || digits.size() > 4 ||
                !std::all_of(digits.begin(), digits.end(),
                             [](char c) { return c >= '0' && c <= '9'; }))
                return false;
            index = std::stoul(digits);
        }
        const auto ico = readFile(file);
        if (!ico) return false;
        const auto png = pngFromIco(*ico, index);
        if (!png || !writeFileAtomically(iconPath(type, png->size), png->bytes)) return false;
        if (auto xml = readFile(packagePath(type))) entry = parseEntry(*xml);
        entry.iconName = "application-x-" + type;
        entry.iconSource = value;
    } else {
        // "type" -> description.
        if (!isPlainName(key)) return false;
        type = key;
        if (auto xml = readFile(packagePath(type))) entry = parseEntry(*xml);
        entry.comment = value;
    }
    if (!writeFileAtomically(packagePath(type), serialize(type, entry))) return false;
    refreshMimeCache(dataHome_ / "mime");
    return true;
}

}  // namespace vexlor::platform
