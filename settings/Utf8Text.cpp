#include "settings/Utf8Text.h"

#include <algorithm>

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

std::size_t EncodeUtf8(char32_t codePoint, char* out) {
    // A lone surrogate or a value past U+10FFFF has no UTF-8 form.
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
        out[0] = '?';
        return 1;
    }
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    char bytes[4];
    for (const char c : latin1)
        out.append(bytes, EncodeUtf8(static_cast<unsigned char>(c), bytes));
    return out;
}

bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const Utf8Step step = DecodeUtf8(bytes);
        if (step.kind != Utf8Step::Kind::Char) return false;
        bytes.remove_prefix(step.length);
    }
    return true;
}

std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Step step = DecodeUtf8(utf8);
        if (step.kind != Utf8Step::Kind::Char || step.codePoint > 0xFF) return std::nullopt;
        out.push_back(static_cast<char>(step.codePoint));
        utf8.remove_prefix(step.length);
    }
    return out;
}

std::string PlainUtf8Line(std::string_view bytes, std::size_t maxBytes) {
    const std::string converted = IsUtf8(bytes) ? std::string() : Latin1ToUtf8(bytes);
    std::string_view text = converted.empty() ? bytes : std::string_view(converted);
    std::string out;
    out.reserve(std::min(text.size(), maxBytes));
    while (!text.empty()) {
        const Utf8Step step = DecodeUtf8(text);
        const char32_t c = step.codePoint;
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        if (!control && !(out.empty() && c == ' ')) {
            if (out.size() + step.length > maxBytes) break;
            out.append(text.substr(0, step.length));
        }
        text.remove_prefix(step.length);
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace tav
