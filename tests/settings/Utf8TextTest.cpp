// The shared UTF-8 routines, checked as properties over every code point and every pair of
// leading bytes rather than case by case: the decoder must take each well-formed sequence
// whole and nothing else.
#include "settings/Utf8Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

namespace tav {
namespace {

bool HasUtf8Form(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

TEST(Utf8Text, EveryCodePointRoundTripsAndEveryPrefixWaits) {
    char bytes[4];
    for (std::uint32_t u = 0; u <= 0x10FFFF; ++u) {
        const char32_t c = u;
        const std::size_t n = EncodeUtf8(c, bytes);
        const std::string_view encoded(bytes, n);
        if (!HasUtf8Form(c)) {
            ASSERT_EQ(encoded, "?") << std::hex << u;
            continue;
        }
        const Utf8Step step = DecodeUtf8(encoded);
        ASSERT_EQ(step.kind, Utf8Step::Kind::Char) << std::hex << u;
        ASSERT_EQ(step.length, n) << std::hex << u;
        ASSERT_EQ(static_cast<std::uint32_t>(step.codePoint), u);
        ASSERT_TRUE(IsUtf8(encoded)) << std::hex << u;
        for (std::size_t k = 1; k < n; ++k) {
            const Utf8Step part = DecodeUtf8(encoded.substr(0, k));
            ASSERT_EQ(part.kind, Utf8Step::Kind::Incomplete) << std::hex << u << " " << k;
            ASSERT_EQ(part.length, k);
        }
    }
}

// Overlong forms, surrogates and values past U+10FFFF decode to a character whose own
// encoding differs from the bytes, or to none; whatever is refused is refused from its first
// byte onwards, so the text after it is read afresh.
TEST(Utf8Text, NoOtherSequenceIsTakenForACharacter) {
    char encoded[4];
    for (int lead = 0; lead < 256; ++lead) {
        for (int second = 0; second < 256; ++second) {
            const char raw[] = {static_cast<char>(lead), static_cast<char>(second), '\x80', '\x80'};
            const std::string_view bytes(raw, sizeof raw);
            const Utf8Step step = DecodeUtf8(bytes);
            ASSERT_NE(step.kind, Utf8Step::Kind::Incomplete);
            ASSERT_GE(step.length, 1u);
            ASSERT_LE(step.length, 4u);
            if (step.kind == Utf8Step::Kind::Char) {
                ASSERT_TRUE(HasUtf8Form(step.codePoint)) << lead << " " << second;
                const std::size_t n = EncodeUtf8(step.codePoint, encoded);
                ASSERT_EQ(bytes.substr(0, step.length), std::string_view(encoded, n))
                    << lead << " " << second;
            } else {
                ASSERT_FALSE(IsUtf8(bytes.substr(0, step.length)));
            }
        }
    }
}

TEST(Utf8Text, Latin1ConvertsBothWaysAndRefusesWhatItCannotHold) {
    std::string latin1;
    for (int b = 1; b < 256; ++b)
        latin1.push_back(static_cast<char>(b));
    const std::string utf8 = Latin1ToUtf8(latin1);
    EXPECT_TRUE(IsUtf8(utf8));
    EXPECT_EQ(utf8.size(), 127u + 2 * 128u);
    EXPECT_EQ(Utf8ToLatin1(utf8), latin1);
    EXPECT_EQ(Utf8ToLatin1("caf\xC3\xA9 \xE2\x82\xAC"), std::nullopt); // the euro sign
    EXPECT_EQ(Utf8ToLatin1("caf\xC3"), std::nullopt);
    EXPECT_FALSE(IsUtf8("a\xC0\xAF"));
}

// Text from a game made one plain line: controls (C1 too) dropped, the ends' spaces
// trimmed, Latin-1 taken as such, and the bound kept whole characters only.
TEST(Utf8Text, APlainLineKeepsPrintableTextWithinItsBound) {
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"  Gate\r\n\tof\x1b[31m the \xC2\x85town\xC2\x9F  ", 40, "Gateof[31m the town"},
        {"caf\xE9", 40, "caf\xC3\xA9"}, // not UTF-8: read as Latin-1
        {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 6, "\xE2\x82\xAC\xE2\x82\xAC"}, // 3 bytes each
        {"\x01\x7F", 40, ""},
    };
    for (const auto& [bytes, bound, plain] : cases)
        EXPECT_EQ(PlainUtf8Line(bytes, bound), plain) << bytes;
}

} // namespace
} // namespace tav
