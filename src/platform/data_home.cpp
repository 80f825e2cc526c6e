#include "platform/data_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vexlor::platform {

namespace fs = std::filesystem;

namespace {

bool isAbsolute(const char* folder) {
    return folder != nullptr && folder[0] == '/';
}

// The home folder of this user in the password database (a service or a kiosk session may run
// without HOME).
std::optional<std::string> accountHomeOfThisUser() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 && suggested <= 65536 ? suggested : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr)
        return std::nullopt;
    return std::string(found->pw_dir);
}

}  // namespace

namespace {

// The XDG base-directory rule for one kind of folder: the variable's folder when absolute, else
// `underHome` in the home folder.
std::optional<fs::path> baseFolder(const char* xdgFolder, const char* home,
                                   const std::function<std::optional<std::string>()>& accountHome,
                                   const fs::path& underHome) {
    if (isAbsolute(xdgFolder)) return fs::path(xdgFolder);
    std::optional<std::string> folder;
    if (isAbsolute(home))
        folder = home;
    else if (accountHome)
        folder = accountHome();
    if (!folder || !isAbsolute(folder->c_str())) return std::nullopt;
    return fs::path(*folder) / underHome;
}

}  // namespace

std::optional<fs::path> dataHome(const char* xdgDataHome, const char* home,
                                 const std::function<std::optional<std::string>()>& accountHome) {
    return baseFolder(xdgDataHome, home, accountHome, fs::path(".local") / "share");
}

std::optional<fs::path> dataHome() {
    return dataHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), accountHomeOfThisUser);
}

std::optional<fs::path> stateHome() {
    return baseFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"), accountHomeOfThisUser,
                      fs::path(".local") / "state");
}

}  // namespace vexlor::platform
