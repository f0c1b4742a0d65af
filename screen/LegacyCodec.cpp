#include "screen/LegacyCodec.h"

#include <iconv.h>

#include <algorithm>

namespace tav {

namespace {

const char* CharsetName(TextEncoding encoding) {
    return encoding == TextEncoding::Big5 ? "BIG5" : "GB18030";
}

iconv_t Handle(void* h) {
    return static_cast<iconv_t>(h);
}

bool Opened(void* h) {
    return Handle(h) != reinterpret_cast<iconv_t>(-1);
}

bool InRange(unsigned char b, unsigned char low, unsigned char high) {
    return b >= low && b <= high;
}

// Two-byte sequences: a lead 0x81-0xFE and a trail 0x40-0xFE, of which each encoding
// takes some.
constexpr unsigned char kFirstLead = 0x81;
constexpr unsigned char kLastLead = 0xFE;
constexpr unsigned char kFirstTrail = 0x40;
constexpr unsigned char kLastTrail = 0xFE;
constexpr std::size_t kTrails = kLastTrail - kFirstTrail + 1;
constexpr std::size_t kPairs = (kLastLead - kFirstLead + 1) * kTrails;
constexpr char32_t kNotDecoded = 0xFFFFFFFF;
constexpr char32_t kNoCharacter = 0xFFFFFFFE;

} // namespace

LegacyStep ScanLegacy(std::string_view bytes, TextEncoding encoding) {
    const auto at = [&bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (!InRange(at(0), 0x81, 0xFE)) return {LegacyStep::Kind::Malformed, 1};
    if (bytes.size() < 2) return {LegacyStep::Kind::Incomplete, 1};
    const unsigned char trail = at(1);
    if (encoding == TextEncoding::Big5)
        return InRange(trail, 0x40, 0x7E) || InRange(trail, 0xA1, 0xFE)
                   ? LegacyStep{LegacyStep::Kind::Char, 2}
                   : LegacyStep{LegacyStep::Kind::Malformed, 1};
    if (InRange(trail, 0x40, 0x7E) || InRange(trail, 0x80, 0xFE))
        return {LegacyStep::Kind::Char, 2};
    if (!InRange(trail, 0x30, 0x39)) return {LegacyStep::Kind::Malformed, 1};
    if (bytes.size() < 3) return {LegacyStep::Kind::Incomplete, 2};
    if (!InRange(at(2), 0x81, 0xFE)) return {LegacyStep::Kind::Malformed, 1};
    if (bytes.size() < 4) return {LegacyStep::Kind::Incomplete, 3};
    if (!InRange(at(3), 0x30, 0x39)) return {LegacyStep::Kind::Malformed, 1};
    return {LegacyStep::Kind::Char, 4};
}

LegacyCodec::LegacyCodec(TextEncoding encoding)
    : toUnicode_(iconv_open("UTF-32LE", CharsetName(encoding))),
      fromUnicode_(iconv_open(CharsetName(encoding), "UTF-32LE")) {}

LegacyCodec::~LegacyCodec() {
    if (Opened(toUnicode_)) iconv_close(Handle(toUnicode_));
    if (Opened(fromUnicode_)) iconv_close(Handle(fromUnicode_));
}

std::optional<char32_t> LegacyCodec::Decode(std::string_view sequence) {
    const char32_t c = DecodeOr(sequence, kNoCharacter);
    if (c == kNoCharacter) return std::nullopt;
    return c;
}

char32_t LegacyCodec::DecodeOr(std::string_view sequence, char32_t none) {
    const auto byte = [&sequence](std::size_t k) {
        return static_cast<unsigned char>(sequence[k]);
    };
    if (sequence.size() != 2 || !InRange(byte(0), kFirstLead, kLastLead) ||
        !InRange(byte(1), kFirstTrail, kLastTrail))
        return DecodeWithIconv(sequence).value_or(none);
    if (!pairs_) {
        pairs_ = std::make_unique_for_overwrite<char32_t[]>(kPairs);
        std::fill_n(pairs_.get(), kPairs, kNotDecoded);
    }
    char32_t& known = pairs_[(byte(0) - kFirstLead) * kTrails + (byte(1) - kFirstTrail)];
    if (known == kNotDecoded) known = DecodeWithIconv(sequence).value_or(kNoCharacter);
    return known == kNoCharacter ? none : known;
}

std::optional<char32_t> LegacyCodec::DecodeWithIconv(std::string_view sequence) {
    if (!Opened(toUnicode_) || sequence.empty() || sequence.size() > 4) return std::nullopt;
    char in[4];
    sequence.copy(in, sequence.size());
    unsigned char out[8];
    char* inPtr = in;
    std::size_t inLeft = sequence.size();
    auto* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(Handle(toUnicode_), nullptr, nullptr, nullptr, nullptr); // a fresh start
    // The sequence (one character's shape) stands for a character when exactly one came
    // out: a conversion that fails writes none, and one that succeeds has taken it whole.
    iconv(Handle(toUnicode_), &inPtr, &inLeft, &outPtr, &outLeft);
    if (sizeof out - outLeft != 4) return std::nullopt;
    return static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                                 (static_cast<char32_t>(out[3]) << 24));
}

bool LegacyCodec::Encode(std::string& out, char32_t codePoint) {
    if (!Opened(fromUnicode_)) return false;
    char in[4] = {static_cast<char>(codePoint & 0xFF), static_cast<char>((codePoint >> 8) & 0xFF),
                  static_cast<char>((codePoint >> 16) & 0xFF),
                  static_cast<char>((codePoint >> 24) & 0xFF)};
    char bytes[8];
    char* inPtr = in;
    std::size_t inLeft = sizeof in;
    char* outPtr = bytes;
    std::size_t outLeft = sizeof bytes;
    iconv(Handle(fromUnicode_), nullptr, nullptr, nullptr, nullptr);
    if (iconv(Handle(fromUnicode_), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return false;
    out.append(bytes, sizeof bytes - outLeft);
    return true;
}

LegacyCodec& LegacyCodec::ForThread(TextEncoding encoding) {
    thread_local LegacyCodec gb18030(TextEncoding::Gb18030);
    thread_local LegacyCodec big5(TextEncoding::Big5);
    return encoding == TextEncoding::Big5 ? big5 : gb18030;
}

} // namespace tav
