#pragma once

// Runs part of a test in another language, as a user whose environment asks for it would see
// the programs, and puts the test program's own environment and language back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/sample_modules.h"
#include "text/i18n.h"

namespace vexlor::testing {

class InLanguage {
  public:
    /// `language`: a catalog's language ("fr"), or "C" for the English of the C locale.
    explicit InLanguage(const std::string& language) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_[index(name)] = value ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(name);
        }
        if (language == "C") {
            ::setenv("LC_ALL", "C", 1);
        } else {
            ::setenv("LANG", "C.UTF-8", 1);
            ::setenv("LANGUAGE", language.c_str(), 1);
        }
        restart();
    }
    ~InLanguage() {
        for (const char* name : kNames) {
            const auto& value = saved_[index(name)];
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
        restart();
    }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;

    /// The catalogs of the build tree the test program runs from.
    static std::filesystem::path catalogs() {
        return platform::catalogFolder(platform::executableFolder());
    }

  private:
    static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    static std::size_t index(const char* name) {
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            if (std::string(kNames[i]) == name) return i;
        return 0;
    }
    static void restart() { i18n::start(catalogs()); }

    std::optional<std::string> saved_[std::size(kNames)];
};

}  // namespace vexlor::testing
