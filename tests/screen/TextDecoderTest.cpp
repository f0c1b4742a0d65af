#include "screen/TextDecoder.h"
#include "screen/MudScreen.h"
#include "screen/ScrollbackSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tav {
namespace {

using Kind = Utf8Step::Kind;
const Settings kDefaults{};

// A sequence broken by another byte covers only what came before that byte, so the byte
// (an escape, a line end) is read afresh. Every well-formed and ill-formed start is
// Utf8Text's own property test.
TEST(Utf8Decode, ABrokenSequenceEndsBeforeTheByteThatBrokeIt) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"\xE2\r\n", 1}, {"\xF0\x9F\x98\x1B", 3}, {"\xC3\xC3\xA9", 1}};
    for (const auto& [bytes, length] : cases) {
        const Utf8Step step = DecodeUtf8(bytes);
        EXPECT_EQ(std::pair(step.kind, step.length), std::pair(Kind::Malformed, length))
            << testing::PrintToString(bytes);
    }
}

// What is typed goes out in the profile's encoding; Latin-1 has 256 characters only.
TEST(GameBytes, EachCharacterIsSentInTheEncoding) {
    const std::tuple<char32_t, TextEncoding, std::string> cases[] = {
        {0xFF, TextEncoding::Latin1, "\xFF"},
        {0x100, TextEncoding::Latin1, "?"},
        {0x20AC, TextEncoding::Utf8, "\xE2\x82\xAC"},
        {0xD800, TextEncoding::Utf8, "?"},
    };
    for (const auto& [codePoint, encoding, bytes] : cases) {
        SCOPED_TRACE(static_cast<unsigned>(codePoint));
        std::string out;
        AppendEncoded(out, codePoint, encoding);
        EXPECT_EQ(out, bytes);
    }
}

// Text of the program (Latin-1, or UTF-8 where it is valid UTF-8) goes out in the game's
// encoding, each character once.
TEST(GameBytes, TextGoesOutEncodedOnce) {
    const auto encoded = [](std::string_view ascii, char32_t c, TextEncoding encoding) {
        std::string out(ascii);
        AppendEncoded(out, c, encoding);
        return out;
    };
    const std::tuple<std::string, TextEncoding, std::string> cases[] = {
        {"caf\xE9", TextEncoding::Latin1, "caf\xE9"},
        {"caf\xE9", TextEncoding::SevenBit, "caf\xE9"},
        {"caf\xE9", TextEncoding::Utf8, "caf\xC3\xA9"},
        {"caf\xC3\xA9", TextEncoding::Utf8, "caf\xC3\xA9"},
        {"look", TextEncoding::Utf8, "look"},
        {"caf\xE9", TextEncoding::Gb18030, encoded("caf", 0xE9, TextEncoding::Gb18030)},
        {"\xE2\x82\xAC 5", TextEncoding::Big5, encoded("", 0x20AC, TextEncoding::Big5) + " 5"},
    };
    for (const auto& [text, encoding, bytes] : cases)
        EXPECT_EQ(Latin1ToGameBytes(text, encoding), bytes) << text;
}

// The lines a screen completes for `bytes`.
std::vector<std::string> LinesOf(TextEncoding encoding, const std::string& bytes) {
    TMudScreen screen(kDefaults);
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
        {TextEncoding::Latin1, "a\x85z\x9F\xA0\r\n", {"a?z?\xA0"}},
        {TextEncoding::Utf8, "\xC2\x85\xC3\xBF\r\n", {"?\xC3\xBF"}},
        // Malformed bytes become '?' and never take the line end with them.
        {TextEncoding::Utf8, "a\xE9t\xE9\r\nb\x80\xBF\r\n", {"a?t?", "b??"}},
        // A sequence cut short by CR LF or an escape: '?', then the control byte works.
        {TextEncoding::Utf8, "cut \xE2\x86\r\nnext\r\n", {"cut ?", "next"}},
        {TextEncoding::Utf8, "esc \xC3\x1B[1mB\r\n", {"esc ?B"}},
        // IAC IAC is the data byte 0xFF; other telnet commands stay commands.
        {TextEncoding::SevenBit, "y\xFF\xFFz\xFF\xF9\r\n", {"yz"}},
        {TextEncoding::Latin1, "y\xFF\xFFz\xFF\xF9\r\n", {"y\xFFz"}},
        {TextEncoding::Utf8, "y\xFF\xFFz\xFF\xF9\r\n", {"y?z"}},
        // Also right after other high bytes, which end their run there.
        {TextEncoding::Latin1, "\xE9\xFF\xFF\xE8\xFF\xF9!\r\n", {"\xE9\xFF\xE8!"}},
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
    TMudScreen screen(kDefaults);
    screen.SetEncoding(TextEncoding::Utf8);
    screen.AddText("ab\xE2\x86");
    EXPECT_EQ(screen.PendingBytes(), 2u);
    screen.SetEncoding(TextEncoding::Latin1);
    screen.AddText("\x92\xE9\r\n");
    EXPECT_EQ(screen.TakeLine(), "ab??\xE9");
}

// Cells 0..n-1: '.' empty, '>' a wide character's right half, else the text in UTF-8.
std::string CellsOf(const ScreenLine& line, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) {
        if (line.ch[k] == 0)
            out += '.';
        else if (line.ch[k] == kWideTail)
            out += '>';
        else
            AppendCellText(out, line, k, k + 1, true);
    }
    return out;
}

// A line's text, with or without its attributes and columns and in either encoding, is
// what its cells give one by one; the quick ways over whole blocks of cells included, and
// blocks of ASCII broken by an empty cell or a wide character's right half.
TEST(UnicodeCells, ALinesTextIsItsCellsTextInEveryWay) {
    const auto expectSameText = [](const ScreenLine& line, int length) {
        for (const bool utf8 : {false, true}) {
            std::string cellsText;
            std::vector<Attr> cellsAttrs;
            std::vector<std::uint8_t> cellsColumns;
            for (int k = 0; k < length; ++k)
                AppendCellText(cellsText, line, k, k + 1, utf8, &cellsAttrs, &cellsColumns);
            for (const int ways : {0, 1, 2, 3}) {
                std::string text;
                std::vector<Attr> attrs;
                std::vector<std::uint8_t> columns;
                AppendCellText(text, line, 0, length, utf8, ways & 1 ? &attrs : nullptr,
                               ways & 2 ? &columns : nullptr);
                EXPECT_EQ(text, cellsText) << utf8 << ways;
                if (ways & 1) {
                    EXPECT_EQ(attrs, cellsAttrs) << utf8 << ways;
                }
                if (ways & 2) {
                    EXPECT_EQ(columns, cellsColumns) << utf8 << ways;
                }
            }
        }
    };
    Settings settings{};
    TMudScreen latin1(settings);
    latin1.SetEncoding(TextEncoding::Latin1);
    latin1.AddText("ab\xE9"
                   "cdefghijklmnopqrstu\x1b[31mvw\xE8xyz0123456789ABCDEFGHIJ\x1b[0mKL");
    ASSERT_EQ(TextLength(latin1.Line(latin1.BufferLine())), 50);
    expectSameText(latin1.Line(latin1.BufferLine()), 50);

    TMudScreen utf8(settings);
    utf8.SetEncoding(TextEncoding::Utf8);
    utf8.AddText("0123456789abcdefgh\x1b[2Cijklmnopqrstuvwxyz\u4E2DABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const ScreenLine& gaps = utf8.Line(utf8.BufferLine());
    constexpr int kGapsLength = 18 + 2 + 18 + 2 + 26;
    ASSERT_EQ(gaps.ch[18], Cell{0});
    ASSERT_EQ(gaps.ch[kGapsLength - 1], Cell{'Z'});
    expectSameText(gaps, kGapsLength);
    std::string taken;
    std::vector<std::uint8_t> columns;
    AppendCellText(taken, gaps, 0, kGapsLength, true, nullptr, &columns);
    EXPECT_EQ(taken, "0123456789abcdefghijklmnopqrstuvwxyz\u4E2DABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(UnicodeCells, WidthsWrappingOverwritingAndMarks) {
    // Autowrap, the bytes, and the first 10 cells of buffer lines 0 and 1.
    const std::tuple<bool, std::string, std::string, std::string> cases[] = {
        // A wide character that would reach the wrap column goes to the next line whole.
        {true, "abcdefgh\xE4\xB8\xAD", "abcdefgh..", "\xE4\xB8\xAD>........"},
        // One column sooner, its right half stands just before the wrap column: it stays.
        {true, "abcdefg\xE4\xB8\xAD", "abcdefg\xE4\xB8\xAD>.", ".........."},
        // Without autowrap it takes the last two columns.
        {false, "abcdefgh\xE4\xB8\xAD", "abcdefgh\xE4\xB8\xAD>", ".........."},
        // Overwriting or erasing either half blanks the other.
        {true, "\xE4\xB8\xAD\xE6\x96\x87\x1B[0;1Hx", " x\xE6\x96\x87>......", ".........."},
        {true, "\xE4\xB8\xAD\xE6\x96\x87\x1B[2Dy", "\xE4\xB8\xAD>y ......", ".........."},
        {true, "\xE4\xB8\xAD\xE6\x96\x87\x1B[0;1H\x1BK", " .........", ".........."},
        // Emoji are wide; marks (two at most) join the cell before; zero-width takes none.
        {true, "\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80>!.......", ".........."},
        {true, "e\xCC\x81\xCC\xA3\xCC\x8Ax\xE2\x80\x8By", "e\xCC\x81\xCC\xA3xy.......",
         ".........."},
        {true, "\xE4\xB8\xAD\xCC\x81z", "\xE4\xB8\xAD\xCC\x81>z.......", ".........."},
        // A mark past the two goes, leaving the written cell after it as it was.
        {true, "ab\x1B[2De\xCC\x81\xCC\xA3\xCC\x8A",
         "e\xCC\x81\xCC\xA3"
         "b........",
         ".........."},
    };
    for (const auto& [autowrap, bytes, line0, line1] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        TMudScreen screen(kDefaults);
        screen.SetEncoding(TextEncoding::Utf8);
        screen.SetSize(24, 10);
        screen.autowrap = autowrap;
        screen.AddText(bytes);
        EXPECT_EQ(std::pair(CellsOf(screen.Line(0), 10), CellsOf(screen.Line(1), 10)),
                  std::pair(line0, line1));
    }
}

// A completed line hands over what its cells hold, whether the screen followed its text as
// it was written or read it back: wide characters and marks where the text ends, at the
// buffer's edge, after a wrap, past what a cell keeps, and on a cell the cursor went back to.
TEST(UnicodeCells, ALineOfWideCharactersAndMarksHandsOverItsCells) {
    struct Case {
        bool autowrap;
        std::string bytes;
        int bufferColumns = kBufferColumns;
    };
    std::string heavy; // four bytes a character and two marks of four: room for few
    for (int k = 0; k < kWideBufferColumns - 1; ++k)
        heavy += "\U00010000\U0001D167\U0001D168";
    const Case cases[] = {
        {true, "a\u4E2Db\U0001F600!"},
        {true, "e\u0301\u0323\u030Ax"},            // the third mark is dropped
        {true, "\u4E2D\u0301z"},                   // a mark on a wide character
        {true, "ae\u0301\u0323"},                  // two marks in the room of two columns
        {true, "\u00E9\u0301\u0323"},              // more bytes than four a column
        {true, "ab\x1b[1D\u0301c"},                // a mark on a cell before the text's end
        {true, std::string(79, 'a') + "\u4E2Dz"},  // wrapped whole to the next line
        {false, std::string(131, 'a') + "\u4E2D"}, // takes the last cell of the text
        {false, std::string(130, 'a') + "\u4E2D\u0301"},
        {false, heavy, kWideBufferColumns},
    };
    for (const auto& [autowrap, bytes, bufferColumns] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes.substr(0, 40)));
        Settings settings{};
        settings.urlaware = 1;
        TMudScreen screen(settings);
        screen.SetEncoding(TextEncoding::Utf8);
        screen.SetBufferColumns(bufferColumns);
        screen.keepLineAttributes = true;
        screen.autowrap = autowrap;
        screen.AddText("\r\n\x1b[1m" + bytes + "\r\n");
        std::vector<TakenLine> taken;
        while (auto line = screen.TakeLineWithAttributes())
            taken.push_back(std::move(*line));
        ASSERT_EQ(taken.size(), autowrap && bytes.size() > 80 ? 3u : 2u);
        for (std::size_t k = 0; k < taken.size(); ++k) {
            const ScreenLine& line =
                screen.Line(screen.BufferLine() - static_cast<int>(taken.size() - k));
            std::string text;
            std::vector<Attr> attrs;
            std::vector<std::uint8_t> columns;
            AppendCellText(text, line, 0, TextLength(line), true, &attrs, &columns);
            bool byteAColumn = true; // then the columns go without saying, but for marks
            for (std::size_t b = 0; b < columns.size(); ++b)
                byteAColumn &= columns[b] == b;
            if (byteAColumn && !line.marks) columns.clear();
            EXPECT_EQ(std::tuple(taken[k].text, taken[k].attrs, taken[k].byteColumns),
                      std::tuple(text, attrs, columns));
        }
    }
    // After a prompt with a mark, the rest of its line (all ASCII) still comes with its
    // columns, as the line's cells read back give them.
    TMudScreen prompt(kDefaults);
    prompt.SetEncoding(TextEncoding::Utf8);
    prompt.AddText("\r\ne\u0301> ");
    prompt.EndPrompt();
    prompt.AddText("go\r\n");
    std::vector<TakenLine> taken;
    while (auto line = prompt.TakeLineWithAttributes())
        taken.push_back(std::move(*line));
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(std::tuple(taken[2].text, taken[2].column, taken[2].byteColumns),
              std::tuple("go", 3, std::vector<std::uint8_t>{3, 4}));

    // A URL that a wide character ends, at the end of its line, is marked whole.
    Settings settings{};
    settings.urlaware = 1;
    TMudScreen screen(settings);
    screen.SetEncoding(TextEncoding::Utf8);
    screen.AddText("\r\nsee http://x.jp/\u4F8B\r\n");
    EXPECT_EQ(screen.UrlAt({1, 4}), "http://x.jp/\u4F8B");
    EXPECT_TRUE(screen.Line(1).attr[17] & attr::kUrl); // its right half underlined too
}

// A Unicode screen hands out UTF-8 (whole wide characters selected); search counts cells.
TEST(UnicodeCells, HandedOutTextIsUtf8) {
    Settings settings{};
    settings.urlaware = 1;
    TMudScreen screen(settings);
    screen.SetEncoding(TextEncoding::Utf8);
    screen.AddText("\u4E2D\u6587 E\u0301cole http://\u4F8B.jp/a ok\r\n");
    EXPECT_EQ(screen.TakeLine(), "\u4E2D\u6587 E\u0301cole http://\u4F8B.jp/a ok");
    EXPECT_EQ(screen.UrlAt({0, 20}), "http://\u4F8B.jp/a");
    screen.BeginSelection({0, 1});
    screen.ExtendSelection({0, 2});
    EXPECT_EQ(screen.GetSelectedText(), "\u4E2D\u6587");
    screen.BeginSelection({0, 4}); // a range ending just after a wide character: no more
    screen.ExtendSelection({0, 2});
    EXPECT_EQ(screen.GetSelectedText(), "\u6587 ");
    EXPECT_TRUE(screen.GetAllText().starts_with("\u4E2D\u6587 E\u0301"));
    EXPECT_EQ(SearchScreen(screen, "\u6587", {}).matches, (std::vector{SearchMatch{0, 2, 2}}));
    EXPECT_EQ(SearchScreen(screen, "e\u0301COLE", {}).matches, (std::vector{SearchMatch{0, 5, 5}}));
}

// GB18030 and Big5 decode across reads (ASCII-range trail bytes too), show '?' for bytes
// that begin no character or stand for none (each read again and again, as remembered),
// and encode typed characters back.
TEST(UnicodeCells, LegacyEncodingsDecodeAcrossReadsAndEncodeBack) {
    const std::tuple<TextEncoding, std::string, std::string> cases[] = {
        {TextEncoding::Gb18030, "\xD6\xD0\xCE\xC4\x94\x39\xFC\x36\xD4\x53\x80!\r\n",
         "\xE4\xB8\xAD\xE6\x96\x87\xF0\x9F\x98\x80\xE8\xA8\xB1?!"},
        // 81 40 has a pair's shape but stands for nothing.
        {TextEncoding::Big5, "\xA4\xA4\xA4\xE5\xB3\x5C\x81\x40\xA4\r\n",
         "\xE4\xB8\xAD\xE6\x96\x87\xE8\xA8\xB1??"},
    };
    for (const auto& [encoding, bytes, text] : cases) {
        for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
            SCOPED_TRACE(cut);
            TMudScreen screen(kDefaults);
            screen.SetEncoding(encoding);
            screen.AddText(bytes.substr(0, cut));
            if (cut == 4) { // a read ending with a whole character (a prompt) shows it at once
                EXPECT_EQ(CellsOf(screen.Line(0), 5), "\xE4\xB8\xAD>\xE6\x96\x87>.");
            }
            screen.AddText(bytes.substr(cut));
            EXPECT_EQ(screen.TakeLine(), text);
        }
        std::string sent;
        for (char32_t c : {U'\u4E2D', U'\u6587', U'\u8A31', U'a'})
            AppendEncoded(sent, c, encoding);
        EXPECT_EQ(sent, bytes.substr(0, 4) +
                            bytes.substr(encoding == TextEncoding::Big5 ? 4 : 8, 2) + "a");
    }
}

} // namespace
} // namespace tav
