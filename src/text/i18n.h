#pragma once

// The one way every program shows a text in the user's language.
//
// Texts are written in the code in English, exactly as an English user reads them, and looked
// up in the catalogs of the text domain "vexlor" (GNU gettext). Without a catalog for the
// user's language, or with the C locale, every lookup returns the English it was given, byte
// for byte. scripts/update-pot collects every text passed to tx, txc, txn and VX_N, and the
// windows' tr().

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

/// Marks a text for the catalogs where it is defined (a table of texts) without looking it
/// up; it is looked up with `tx` where it is shown.
#define VX_N(english) english

namespace vexlor::i18n {

inline constexpr const char* kDomain = "vexlor";

/// `english` in the user's language (UTF-8); `english` itself when there is no translation.
const char* tx(const char* english);
/// `english` as it is meant in `context` ("a menu", "the game's score panel"): for a text
/// another language must translate differently in different places.
const char* txc(const char* context, const char* english);
/// The form of a text for `count`: `singular` or `plural` in English, and as many forms as the
/// user's language has in its catalog.
const char* txn(const char* singular, const char* plural, unsigned long count);

/// `pattern` with %1 to %9 replaced by `values` in order (a translation may reorder them); a
/// "%" followed by anything else is kept as it is.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

/// `form`, a count's text in the right form (from txn, with %1 where the number goes), with
/// `count` in it: counted(n, txn("%1 question", "%1 questions", n)).
template <typename Count>
std::string counted(Count count, const char* form) {
    return fill(form, {std::to_string(count)});
}

/// Chooses the language from the environment as the desktop's programs do (LANGUAGE, LC_ALL,
/// LC_MESSAGES, LANG) and takes the catalogs from `catalogs` (<language>/LC_MESSAGES/vexlor.mo).
/// A language the system has no locale for is still honoured, and so is LANGUAGE alone. Call
/// it once at the start of a program, after anything that sets the locale (a QApplication).
void start(const std::filesystem::path& catalogs);

/// The language of the catalog in use ("fr", "de_CH"), empty for English.
std::string catalogLanguage();

}  // namespace vexlor::i18n
