#pragma once

#include "settings/ProfileOptions.h"

#include <cstddef>
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

// The one-byte cell that shows a character: itself for ASCII and the printable Latin-1
// range (U+00A0-U+00FF), '?' for anything else (the C1 controls, characters outside
// Latin-1).
char CellCharacter(char32_t codePoint);

// Appends the game's bytes for one character: UTF-8 for Utf8, otherwise the Latin-1 byte
// ('?' for a character outside Latin-1).
void AppendEncoded(std::string& out, char32_t codePoint, TextEncoding encoding);

// The game's bytes for Latin-1 text the program holds (settings, triggers, the screen's
// cells): unchanged for 7-bit and Latin-1, UTF-8 for Utf8.
std::string Latin1ToGameBytes(std::string_view latin1, TextEncoding encoding);

} // namespace tav
