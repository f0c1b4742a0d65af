#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// What one UTF-8 sequence at the start of some bytes comes to.
struct Utf8Step {
    enum class Kind {
        Char,       // a well-formed sequence of `length` bytes
        Malformed,  // `length` bytes (at least 1) that begin no well-formed sequence
        Incomplete, // a well-formed start that the bytes end inside: wait for more
    };
    Kind kind;
    std::size_t length;
    char32_t codePoint; // Char only
};

// Decodes the sequence at the start of `bytes` (not empty). Overlong forms, surrogates,
// code points past U+10FFFF and stray continuation bytes are malformed; a malformed
// sequence covers the longest start that could have been well formed (at least one
// byte), so the byte that broke it is read afresh: "\xE2\x82\r" is one malformed
// sequence of two bytes followed by the CR.
Utf8Step DecodeUtf8(std::string_view bytes);

// Writes the UTF-8 form of `codePoint` ('?' for one that has none) to `out`, which has room
// for four bytes; returns how many it wrote.
std::size_t EncodeUtf8(char32_t codePoint, char* out);

// Latin-1 bytes as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);
// Whether the bytes are well-formed UTF-8 throughout.
bool IsUtf8(std::string_view bytes);
// The Latin-1 bytes of UTF-8 text, or nothing when it is not UTF-8 or holds a character
// beyond Latin-1.
std::optional<std::string> Utf8ToLatin1(std::string_view utf8);

// Untrusted bytes as one line of text to show and keep: UTF-8 as it is (Latin-1 turned
// into UTF-8 when the bytes are not UTF-8 throughout), control characters (C0, DEL and
// C1) left out, spaces at either end trimmed, and cut at a character boundary to at most
// `maxBytes` bytes.
std::string PlainUtf8Line(std::string_view bytes, std::size_t maxBytes);

} // namespace tav
