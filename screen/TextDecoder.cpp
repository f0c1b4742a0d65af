#include "screen/TextDecoder.h"

#include "screen/LegacyCodec.h"

#include <utf8proc.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace tav {

char CellCharacter(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    return '?';
}

namespace {

CellFit FitFromProperties(char32_t codePoint) {
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

// The fit of every character of the Basic Multilingual Plane, two bits each, worked out
// once: text in the scripts of East Asia asks for one per character, and the properties
// behind it take two lookups in utf8proc's tables each time.
class PlaneFits {
public:
    static constexpr char32_t kPlaneEnd = 0x10000;

    PlaneFits() {
        for (char32_t c = 0; c < kPlaneEnd; ++c) {
            const auto fit = static_cast<std::uint8_t>(FitFromProperties(c));
            packed_[c / kPerByte] |= static_cast<std::uint8_t>(fit << Shift(c));
        }
    }
    CellFit Of(char32_t c) const {
        return static_cast<CellFit>((packed_[c / kPerByte] >> Shift(c)) & 3u);
    }

private:
    static constexpr char32_t kPerByte = 4;
    static_assert(static_cast<int>(CellFit::Invisible) < 4,
                  "each fit, Invisible the last, takes two bits");
    static unsigned Shift(char32_t c) { return static_cast<unsigned>(c % kPerByte) * 2; }

    std::array<std::uint8_t, kPlaneEnd / kPerByte> packed_{};
};

} // namespace

CellFit FitOf(char32_t codePoint) {
    if (codePoint < 0x300) return CellFit::Narrow; // the Latin-1 rules apply there
    if (codePoint < PlaneFits::kPlaneEnd) {
        static const PlaneFits plane;
        return plane.Of(codePoint);
    }
    return FitFromProperties(codePoint);
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

} // namespace tav
