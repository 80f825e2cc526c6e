#pragma once

// Small rules about bytes and text that several layers need, written once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexlor::text {

/// Whether two texts are equal but for the letter case of ASCII letters.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
/// Whether `text` ends with `ending`, ignoring the letter case of ASCII letters.
bool endsWithIgnoringCase(std::string_view text, std::string_view ending);

/// A 32-bit number stored most significant byte first.
std::uint32_t bigEndian32(const unsigned char* bytes);

/// Bytes of the UTF-8 character that starts at `at`: the whole sequence when it is valid UTF-8
/// (no overlong forms, no surrogates, nothing above U+10FFFF), otherwise 1.
std::size_t utf8CharacterLength(std::string_view text, std::size_t at);
/// Where the first byte lies that does not start a valid UTF-8 character; nothing when the
/// whole text is valid.
std::optional<std::size_t> firstInvalidUtf8(std::string_view text);
/// Characters in a text; a byte that starts no valid character counts as one.
std::size_t utf8Length(std::string_view text);
/// The byte offset after the first `count` characters (the text's size when it is shorter).
std::size_t utf8Offset(std::string_view text, std::size_t count);

/// The text with every "%XX" (two hexadecimal digits, either case) replaced by its byte; a "%"
/// not followed by two such digits stays as it is.
std::string percentDecoded(std::string_view text);

/// The text with the characters markup reserves written as references: & < > " always, and the
/// apostrophe as &#039; when `apostrophe`.
std::string markupEscaped(std::string_view text, bool apostrophe = false);

}  // namespace vexlor::text
