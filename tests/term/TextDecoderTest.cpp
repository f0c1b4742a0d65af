#include "term/TextDecoder.h"
#include "term/MudScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using Kind = Utf8Step::Kind;

TEST(Utf8Decode, WellFormedMalformedAndIncompleteSequences) {
    const std::tuple<std::string, Kind, std::size_t, char32_t> cases[] = {
        // Every form's boundaries decode in the encoder's round trip below.
        {"A", Kind::Char, 1, U'A'},
        {"\xC3\xA9", Kind::Char, 2, U'\u00E9'},
        {"\xE2\x86\x92", Kind::Char, 3, U'\u2192'},
        {"\xF0\x9F\x98\x80", Kind::Char, 4, 0x1F600},
        // Overlong forms, surrogates, code points past U+10FFFF and stray continuation
        // bytes, at their boundaries (the screen's table below has more of each).
        {"\xC1\xBF", Kind::Malformed, 1, 0},
        {"\xE0\x9F\xBF", Kind::Malformed, 1, 0},
        {"\xF0\x80\x80\xAF", Kind::Malformed, 1, 0},
        {"\xF0\x8F\xBF\xBF", Kind::Malformed, 1, 0},
        {"\xED\xBF\xBF", Kind::Malformed, 1, 0},
        {"\xF4\x90\x80\x80", Kind::Malformed, 1, 0},
        {"\xF5\x80\x80\x80", Kind::Malformed, 1, 0},
        {"\xFE", Kind::Malformed, 1, 0},
        // A sequence broken by another byte covers what came before that byte.
        {"\xE2\r\n", Kind::Malformed, 1, 0},
        {"\xF0\x9F\x98\x1B", Kind::Malformed, 3, 0},
        {"\xC3\xC3\xA9", Kind::Malformed, 1, 0},
        // Running out inside a well-formed start: wait.
        {"\xC3", Kind::Incomplete, 1, 0},
        {"\xE2\x86", Kind::Incomplete, 2, 0},
        {"\xF0\x9F\x98", Kind::Incomplete, 3, 0},
    };
    for (const auto& [bytes, kind, length, codePoint] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        const Utf8Step step = DecodeUtf8(bytes);
        EXPECT_EQ(step.kind, kind);
        EXPECT_EQ(step.length, length);
        if (kind == Kind::Char) {
            EXPECT_EQ(step.codePoint, codePoint);
        }
    }
}

// Around every boundary of the UTF-8 forms: the length the form takes, and what is sent
// decodes back to the same character; Latin-1 has the first 256 only. (How a whole line
// is sent in each encoding is checked through the session, with its 0xFF doubling.)
TEST(GameBytes, EachCharacterIsSentInTheEncodingAndDecodesBack) {
    const std::pair<char32_t, std::size_t> points[] = {
        {0x7F, 1},   {0x80, 2},    {0xFF, 2},     {0x100, 2},    {0x7FF, 2},
        {0x800, 3},  {0xD7FF, 3},  {0xD800, 1},   {0xDFFF, 1},   {0xE000, 3},
        {0xFFFF, 3}, {0x10000, 4}, {0x10FFFF, 4}, {0x110000, 1},
    };
    for (const auto& [codePoint, length] : points) {
        SCOPED_TRACE(static_cast<unsigned>(codePoint));
        std::string utf8, latin1;
        AppendEncoded(utf8, codePoint, TextEncoding::Utf8);
        AppendEncoded(latin1, codePoint, TextEncoding::Latin1);
        EXPECT_EQ(latin1, codePoint <= 0xFF ? std::string(1, static_cast<char>(codePoint)) : "?");
        ASSERT_EQ(utf8.size(), length);
        if (length == 1 && codePoint > 0x7F) {
            EXPECT_EQ(utf8, "?"); // no UTF-8 form
        } else {
            const Utf8Step back = DecodeUtf8(utf8);
            EXPECT_EQ(back.kind, Kind::Char);
            EXPECT_EQ(back.codePoint, codePoint);
            EXPECT_EQ(back.length, length);
        }
    }
}

// The lines a screen completes for `bytes`.
std::vector<std::string> LinesOf(TextEncoding encoding, const std::string& bytes) {
    Settings settings{};
    TMudScreen screen(settings);
    screen.SetEncoding(encoding);
    screen.AddText(bytes);
    std::vector<std::string> lines;
    while (auto line = screen.TakeLine())
        lines.push_back(*line);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(MudScreenEncoding, EachEncodingTurnsHighBytesIntoCells) {
    const std::tuple<TextEncoding, std::string, Lines> cases[] = {
        // 7-bit: high bytes are dropped, as always.
        {TextEncoding::SevenBit, "Caf\xC3\xA9 \xE9t\xE9\r\n", {"Caf t"}},
        {TextEncoding::Latin1, "Caf\xE9 \xC3\xA9\r\n", {"Caf\xE9 \xC3\xA9"}},
        {TextEncoding::Latin1,
         "a\x85"
         "b\x9F\xA0\r\n",
         {"a?b?\xA0"}},
        {TextEncoding::Utf8, "Caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x98\x80!\r\n", {"Caf\xE9 ? ?!"}},
        {TextEncoding::Utf8, "\xC2\x85\xC3\xBF\r\n", {"?\xFF"}},
        // Malformed bytes become '?' and never take the line end with them.
        {TextEncoding::Utf8, "a\xE9t\xE9\r\nb\x80\xBF\r\n", {"a?t?", "b??"}},
        // A sequence cut short by CR LF or an escape: '?', then the control byte works.
        {TextEncoding::Utf8, "cut \xE2\x86\r\nnext\r\n", {"cut ?", "next"}},
        {TextEncoding::Utf8, "esc \xC3\x1B[1mB\r\n", {"esc ?B"}},
        // IAC IAC is the data byte 0xFF; other telnet commands stay commands.
        {TextEncoding::SevenBit, "y\xFF\xFFz\xFF\xF9\r\n", {"yz"}},
        {TextEncoding::Latin1, "y\xFF\xFFz\xFF\xF9\r\n", {"y\xFFz"}},
        {TextEncoding::Utf8, "y\xFF\xFFz\xFF\xF9\r\n", {"y?z"}},
    };
    for (const auto& [encoding, bytes, lines] : cases)
        EXPECT_EQ(LinesOf(encoding, bytes), lines) << testing::PrintToString(bytes);
}

TEST(MudScreenEncoding, SevenBitIsUnchangedByTheOtherPathsAndSwitchingEndsAPendingSequence) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all += "\r\n";
    std::string ascii;
    for (unsigned char b : all)
        if (b < 0x80) ascii.push_back(static_cast<char>(b));
    // Every byte value at once: the high half vanishes, the rest reads as ASCII alone does.
    EXPECT_EQ(LinesOf(TextEncoding::SevenBit, all), LinesOf(TextEncoding::SevenBit, ascii));

    // Switching gives up a pending sequence as a question mark.
    Settings settings{};
    TMudScreen screen(settings);
    screen.SetEncoding(TextEncoding::Utf8);
    screen.AddText("ab\xE2\x86");
    EXPECT_EQ(screen.PendingBytes(), 2u);
    screen.SetEncoding(TextEncoding::Latin1);
    screen.AddText("\x92\xE9\r\n");
    EXPECT_EQ(screen.TakeLine(), "ab??\xE9");
}

} // namespace
} // namespace tav
