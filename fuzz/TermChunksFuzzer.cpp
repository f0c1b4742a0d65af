// The same bytes fed whole and in pieces give the same cells, attributes, cursor, lines,
// pending tail and echo result, in every text encoding and both colour modes (the explicit
// colours too). Input: the stream, then (from the end) geometry, modes and the seed of the
// cuts, whose top bit chooses full colour; at most kMaxStream bytes, past where an
// unfinished telnet subnegotiation is abandoned.
#include "fuzz/FuzzSupport.h"
#include "settings/Settings.h"
#include "term/MudScreen.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kMaxStream = 2 * tav::kMaxSubnegotiation;

struct Fed {
    std::vector<std::string> lines;
    tav::ScreenResult lastEcho = tav::ScreenResult::None;
};

void Feed(tav::TMudScreen& screen, const char* bytes, std::size_t n, Fed& fed) {
    const tav::ScreenResult result = screen.AddText(bytes, n);
    if (result != tav::ScreenResult::None) fed.lastEcho = result;
    while (auto line = screen.TakeLine())
        fed.lines.push_back(std::move(*line));
}

void ExpectSameScreen(const tav::TMudScreen& a, const tav::TMudScreen& b) {
    FUZZ_CHECK(a.Lines() == b.Lines() && a.Top() == b.Top(), "same buffer and top line");
    FUZZ_CHECK(a.CursorRow() == b.CursorRow() && a.CursorCol() == b.CursorCol(), "same cursor");
    FUZZ_CHECK(a.BufferLine() == b.BufferLine() && a.BufferCol() == b.BufferCol(),
               "same output position");
    FUZZ_CHECK(a.CurrentAttr() == b.CurrentAttr(), "same current attribute");
    FUZZ_CHECK(a.PendingBytes() == b.PendingBytes(), "same unfinished tail");
    for (int n = 0; n < a.Lines(); ++n) {
        FUZZ_CHECK(std::memcmp(a.Line(n).ch, b.Line(n).ch, sizeof a.Line(n).ch) == 0,
                   "same characters");
        FUZZ_CHECK(std::memcmp(a.Line(n).attr, b.Line(n).attr, sizeof a.Line(n).attr) == 0,
                   "same attributes");
        for (int col = 0; col < tav::kBufferColumns; ++col)
            FUZZ_CHECK(a.Line(n).TextColor(col) == b.Line(n).TextColor(col) &&
                           a.Line(n).BackColor(col) == b.Line(n).BackColor(col),
                       "same explicit colours");
        const tav::LineMarks none{};
        const tav::LineMarks& marksA = a.Line(n).marks ? *a.Line(n).marks : none;
        const tav::LineMarks& marksB = b.Line(n).marks ? *b.Line(n).marks : none;
        FUZZ_CHECK(std::memcmp(&marksA, &marksB, sizeof none) == 0, "same combining marks");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::uint8_t modes = provider.ConsumeIntegral<std::uint8_t>();
    const int rows = provider.ConsumeIntegralInRange(1, 60);
    const int cols = provider.ConsumeIntegralInRange(1, 140);
    std::uint32_t cuts = provider.ConsumeIntegral<std::uint32_t>() | 1;
    const bool fullColour = (cuts >> 31) != 0;
    const auto encoding = static_cast<tav::TextEncoding>(provider.ConsumeIntegralInRange(0, 4));
    const std::string stream = provider.ConsumeRemainingBytesAsString();
    if (stream.size() > kMaxStream) return 0;

    tav::Settings settings{};
    settings.urlaware = (modes & 4) != 0 ? 1 : 0;
    tav::TMudScreen whole(settings);
    tav::TMudScreen pieces(settings);
    for (tav::TMudScreen* screen : {&whole, &pieces}) {
        screen->autowrap = (modes & 1) != 0;
        screen->appendcr = (modes & 2) != 0;
        screen->SetEncoding(encoding);
        screen->SetColourMode(fullColour ? tav::ColourMode::Full : tav::ColourMode::Basic);
        screen->SetScreenRect({0, 0, 4 + cols * screen->CellWidth(), rows * screen->CellHeight()},
                              false);
    }

    Fed wholeFed;
    Feed(whole, stream.data(), stream.size(), wholeFed);

    const std::size_t longest = (modes & 8) != 0 ? 1 : 1 + (modes >> 4) * 16;
    Fed piecesFed;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n =
            std::min<std::size_t>(1 + tav::fuzz::XorShift(cuts) % longest, stream.size() - at);
        Feed(pieces, stream.data() + at, n, piecesFed);
        at += n;
    }

    FUZZ_CHECK(wholeFed.lines == piecesFed.lines, "same completed lines");
    FUZZ_CHECK(wholeFed.lastEcho == piecesFed.lastEcho, "same echo result");
    ExpectSameScreen(whole, pieces);
    return 0;
}
