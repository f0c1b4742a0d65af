#include "term/TextDecoder.h"

namespace tav {

namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

Utf8Step DecodeUtf8(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) return {Utf8Step::Kind::Char, 1, lead};

    // The sequence length and the range the second byte must lie in; the narrower ranges
    // after E0, ED, F0 and F4 are what rule out overlong forms, surrogates and code points
    // past U+10FFFF.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {Utf8Step::Kind::Malformed, 1, 0}; // C0, C1, F5-FF or a lone continuation
    }

    for (std::size_t k = 1; k < length; ++k) {
        if (k >= bytes.size()) return {Utf8Step::Kind::Incomplete, k, 0};
        const auto b = static_cast<unsigned char>(bytes[k]);
        const bool fits = k == 1 ? (b >= low && b <= high) : IsContinuation(b);
        if (!fits) return {Utf8Step::Kind::Malformed, k, 0};
        value = (value << 6) | (b & 0x3F);
    }
    return {Utf8Step::Kind::Char, length, value};
}

char CellCharacter(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    return '?';
}

void AppendEncoded(std::string& out, char32_t codePoint, TextEncoding encoding) {
    if (encoding != TextEncoding::Utf8) {
        out.push_back(codePoint <= 0xFF ? static_cast<char>(codePoint) : '?');
        return;
    }
    // A lone surrogate or a value past U+10FFFF has no UTF-8 form.
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        out.push_back('?');
    } else if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

std::string Latin1ToGameBytes(std::string_view latin1, TextEncoding encoding) {
    if (encoding != TextEncoding::Utf8) return std::string(latin1);
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1)
        AppendEncoded(out, static_cast<unsigned char>(c), encoding);
    return out;
}

} // namespace tav
