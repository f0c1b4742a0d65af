#include "term/TextDecoder.h"

#include "term/LegacyCodec.h"

#include <utf8proc.h>

#include <cstdlib>

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

CellFit FitOf(char32_t codePoint) {
    if (codePoint < 0x300) return CellFit::Narrow; // the Latin-1 rules apply there
    const auto c = static_cast<utf8proc_int32_t>(codePoint);
    const utf8proc_category_t category = utf8proc_category(c);
    if (category == UTF8PROC_CATEGORY_MN || category == UTF8PROC_CATEGORY_ME) return CellFit::Mark;
    const int width = utf8proc_charwidth(c);
    if (width >= 2) return CellFit::Wide;
    if (width == 1) return CellFit::Narrow;
    return category == UTF8PROC_CATEGORY_CF || category == UTF8PROC_CATEGORY_ZL ||
                   category == UTF8PROC_CATEGORY_ZP
               ? CellFit::Invisible
               : CellFit::Narrow;
}

char32_t LowerCase(char32_t codePoint) {
    return static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(codePoint)));
}

char32_t ComposedWithMarks(char32_t base, const char32_t* marks, int count) {
    if (!marks || count <= 0 || marks[0] == 0) return base;
    std::string text;
    AppendEncoded(text, base, TextEncoding::Utf8);
    for (int k = 0; k < count && marks[k] != 0; ++k)
        AppendEncoded(text, marks[k], TextEncoding::Utf8);
    utf8proc_uint8_t* composed = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &composed,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    char32_t result = base;
    if (length > 0) {
        const std::string_view out(reinterpret_cast<const char*>(composed),
                                   static_cast<std::size_t>(length));
        const Utf8Step step = DecodeUtf8(out);
        if (step.kind == Utf8Step::Kind::Char && step.length == out.size()) result = step.codePoint;
    }
    std::free(composed);
    return result;
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

void AppendEncoded(std::string& out, char32_t codePoint, TextEncoding encoding) {
    if (encoding == TextEncoding::Gb18030 || encoding == TextEncoding::Big5) {
        if (codePoint < 0x80)
            out.push_back(static_cast<char>(codePoint));
        else if (!LegacyCodec::ForThread(encoding).Encode(out, codePoint))
            out.push_back('?');
        return;
    }
    if (encoding != TextEncoding::Utf8) {
        out.push_back(codePoint <= 0xFF ? static_cast<char>(codePoint) : '?');
        return;
    }
    char bytes[4];
    out.append(bytes, EncodeUtf8(codePoint, bytes));
}

std::string Latin1ToGameBytes(std::string_view latin1, TextEncoding encoding) {
    if (!HasUnicodeCells(encoding)) return std::string(latin1);
    if (!IsUtf8(latin1)) return Latin1ToGameBytes(Latin1ToUtf8(latin1), encoding);
    if (encoding == TextEncoding::Utf8) return std::string(latin1);
    std::string out;
    out.reserve(latin1.size());
    while (!latin1.empty()) {
        const Utf8Step step = DecodeUtf8(latin1);
        AppendEncoded(out, step.codePoint, encoding);
        latin1.remove_prefix(step.length);
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1)
        AppendEncoded(out, static_cast<unsigned char>(c), TextEncoding::Utf8);
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

} // namespace tav
