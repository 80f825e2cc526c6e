#include "text/i18n.h"

#include <libintl.h>
#include <clocale>
#include <cstdlib>

// gettext's count of catalog changes: raised, it forgets the translations it has looked up
// (the documented way to change the language of a running program).
extern "C" int _nl_msg_cat_cntr;

namespace vexlor::i18n {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string{} : std::string{value};
}

bool isEnglishLocale(std::string_view locale) {
    return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

// "fr_FR.UTF-8@euro" -> "fr_FR": the part LANGUAGE takes.
std::string languagePart(std::string_view locale) {
    return std::string{locale.substr(0, locale.find_first_of(".@"))};
}

}  // namespace

const char* tx(const char* english) {
    return ::dgettext(kDomain, english);
}

const char* txc(const char* context, const char* english) {
    // gettext's own form for a text in a context: the two joined by EOT.
    std::string key = std::string{context} + '\004' + english;
    const char* translated = ::dgettext(kDomain, key.c_str());
    return translated == key.c_str() ? english : translated;
}

const char* txn(const char* singular, const char* plural, unsigned long count) {
    return ::dngettext(kDomain, singular, plural, count);
}

std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            out += values.begin()[index];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

void start(const std::filesystem::path& catalogs) {
    std::string wanted = environment("LC_ALL");
    if (wanted.empty()) wanted = environment("LC_MESSAGES");
    if (wanted.empty()) wanted = environment("LANG");
    const char* set = std::setlocale(LC_MESSAGES, "");
    const bool english = set == nullptr || isEnglishLocale(set);
    // gettext reads LANGUAGE only outside the C locale, and takes nothing from a locale the
    // system has not generated: a French user on a machine without fr_FR.UTF-8, or one who set
    // LANGUAGE alone, would read English. C.UTF-8 keeps the C locale's rules for everything
    // but the messages.
    if (english && !wanted.empty() && !isEnglishLocale(wanted)) {
        if (environment("LANGUAGE").empty()) ::setenv("LANGUAGE", languagePart(wanted).c_str(), 1);
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    } else if (english && wanted.empty() && !environment("LANGUAGE").empty()) {
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    }
    // Without a folder of its own, gettext looks where the system keeps every program's.
    if (!catalogs.empty()) ::bindtextdomain(kDomain, catalogs.c_str());
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    ++_nl_msg_cat_cntr;
}

std::string catalogLanguage() {
    // The catalog's header is the translation of the empty text.
    const std::string_view header = ::dgettext(kDomain, "");
    constexpr std::string_view kField = "Language: ";
    const std::size_t at = header.find(kField);
    if (header.empty() || at == std::string_view::npos) return {};
    const std::size_t from = at + kField.size();
    return std::string{header.substr(from, header.find('\n', from) - from)};
}

}  // namespace vexlor::i18n
