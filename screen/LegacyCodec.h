#pragma once

#include "settings/ProfileOptions.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Where the multibyte character at the start of some GB18030 or Big5 bytes ends.
struct LegacyStep {
    enum class Kind {
        Char,       // `length` bytes that are one character's shape
        Malformed,  // `length` bytes (1) that begin none
        Incomplete, // the bytes end inside the character: wait for more
    };
    Kind kind;
    std::size_t length;
};

// Scans the sequence at the start of `bytes` (not empty, the first byte 0x80 or above).
// GB18030: a lead 0x81-0xFE and a trail 0x40-0x7E or 0x80-0xFE, or four bytes lead,
// digit, lead, digit. Big5: a lead 0x81-0xFE and a trail 0x40-0x7E or 0xA1-0xFE.
LegacyStep ScanLegacy(std::string_view bytes, TextEncoding encoding);

// Converts single characters between Unicode and GB18030 or Big5 with the C library's
// iconv. One codec serves one thread. Both encodings are stateless, so what a two-byte
// sequence stands for is asked of iconv once and kept: the text of a game in them is
// nearly all two-byte characters, and iconv takes a long way for each.
class LegacyCodec {
public:
    explicit LegacyCodec(TextEncoding encoding);
    ~LegacyCodec();
    LegacyCodec(const LegacyCodec&) = delete;
    LegacyCodec& operator=(const LegacyCodec&) = delete;

    // The character one whole sequence (as ScanLegacy found it) stands for; nothing when
    // the encoding gives it none.
    std::optional<char32_t> Decode(std::string_view sequence);
    // As Decode, with `none` for a sequence that stands for no character: the screen's
    // intake asks for every character, and an optional returned from here went back
    // through memory in a way that stalled each call.
    char32_t DecodeOr(std::string_view sequence, char32_t none);
    // Appends a character's bytes; false (nothing appended) when the encoding lacks it.
    bool Encode(std::string& out, char32_t codePoint);

    // This thread's codec for GB18030 or Big5.
    static LegacyCodec& ForThread(TextEncoding encoding);

private:
    std::optional<char32_t> DecodeWithIconv(std::string_view sequence);

    void* toUnicode_;
    void* fromUnicode_;
    // By lead and trail byte: the character of each two-byte sequence decoded so far,
    // kNoCharacter for one that stands for none, kNotDecoded for the rest.
    std::unique_ptr<char32_t[]> pairs_;
};

} // namespace tav
