// The same bytes fed whole and in pieces give the same cells, attributes, cursor, lines,
// pending tail and echo result, in every text encoding and both colour modes (the explicit
// colours too). Input: the stream, then (from the end) geometry, modes and the seed of the
// cuts, whose top bit chooses full colour; at most kMaxStream bytes, past where an
// unfinished telnet subnegotiation is abandoned.
// Then it goes in reads to a Term session negotiating telnet and one not, with only GA, EOR
// and IAC IAC kept where the screen alone takes them whole, and (seed bit 29) a part MCCP for
// the first: the same lines and screen; with prompts at GA/EOR every line is still there.
#include "fuzz/FuzzSupport.h"
#include "screen/MudScreen.h"
#include "settings/Settings.h"
#include "term/PollEventLoop.h"
#include "term/TermSession.h"
#include "tests/support/TelnetBytes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kMaxStream = 2 * tav::telnet::kMaxSubnegotiation;

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

FUZZ_UNTRACED void ExpectSameScreen(const tav::TMudScreen& a, const tav::TMudScreen& b) {
    FUZZ_CHECK(a.Lines() == b.Lines() && a.Top() == b.Top(), "same buffer and top line");
    FUZZ_CHECK(a.CursorRow() == b.CursorRow() && a.CursorCol() == b.CursorCol(), "same cursor");
    FUZZ_CHECK(a.BufferLine() == b.BufferLine() && a.BufferCol() == b.BufferCol(),
               "same output position");
    FUZZ_CHECK(a.CurrentAttr() == b.CurrentAttr(), "same current attribute");
    FUZZ_CHECK(a.PendingBytes() == b.PendingBytes(), "same unfinished tail");
    FUZZ_CHECK(a.BufferColumns() == b.BufferColumns(), "same line width");
    const auto width = static_cast<std::size_t>(a.BufferColumns());
    for (int n = 0; n < a.Lines(); ++n) {
        const tav::ScreenLine& lineA = a.Line(n);
        const tav::ScreenLine& lineB = b.Line(n);
        FUZZ_CHECK(lineA.width == a.BufferColumns() && lineB.width == a.BufferColumns(),
                   "every line as wide as the buffer");
        FUZZ_CHECK(std::memcmp(lineA.ch, lineB.ch, width * sizeof(tav::Cell)) == 0,
                   "same characters");
        FUZZ_CHECK(std::memcmp(lineA.attr, lineB.attr, width * sizeof(tav::Attr)) == 0,
                   "same attributes");
        for (int col = 0; col < lineA.width; ++col)
            FUZZ_CHECK(lineA.TextColor(col) == lineB.TextColor(col) &&
                           lineA.BackColor(col) == lineB.BackColor(col),
                       "same explicit colours");
        const tav::LineMarks none{};
        const tav::LineMarks& marksA = lineA.marks ? *lineA.marks : none;
        const tav::LineMarks& marksB = lineB.marks ? *lineB.marks : none;
        FUZZ_CHECK(std::memcmp(&marksA, &marksB, sizeof none) == 0, "same combining marks");
    }
}

// A session on a connection without a socket, and the lines it completed.
struct Session {
    tav::TMudScreen screen;
    std::vector<std::string> lines;
    std::unique_ptr<tav::TermSession> session;
    Session(tav::Settings& settings, bool negotiate, bool gaPrompts) : screen(settings) {
        static tav::PollEventLoop loop;
        tav::TermServices services;
        services.onLine = [this](std::string_view line) { lines.emplace_back(line); };
        session = std::make_unique<tav::TermSession>(settings, screen, loop, services);
        session->SetNegotiation(negotiate);
        session->SetGaPrompts(gaPrompts);
    }
    void Receive(std::string_view bytes, std::uint32_t cuts) {
        session->Adopt(-1);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n =
                std::min<std::size_t>(1 + tav::fuzz::XorShift(cuts) % 300, bytes.size() - at);
            session->ReceiveBytes(bytes.data() + at, n);
            at += n;
        }
    }
};

// GA, EOR and IAC IAC kept anywhere in text without escapes and 8-bit bytes (`plain`), else
// after line ends; other IACs go with their next byte. `bounds`: where MCCP may start or end.
std::string SessionStream(const std::string& stream, bool plain, std::vector<std::size_t>& bounds) {
    std::string out;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        bounds.push_back(out.size());
        const auto b = static_cast<unsigned char>(stream[i]);
        const char next = i + 1 < stream.size() ? stream[i + 1] : 0;
        if (b == 0xFF && (next == '\xF9' || next == '\xEF' || next == '\xFF') &&
            (plain || out.empty() || out.back() == '\n' || out.back() == '\r'))
            out.append(stream, i, 2);
        if (b != 0xFF && (!plain || (b != 0x1B && b < 0x80))) out.push_back(stream[i]);
        i += b == 0xFF ? 1 : 0; // an IAC's next byte goes with it
    }
    bounds.push_back(out.size());
    return out;
}

// Every line of `whole` in order, as one line of `cut` or the end of a run of them (prompts
// handed over at GA/EOR, then the rest of their line); the others are overwritten prompts.
bool EveryLineKept(const std::vector<std::string>& whole, const std::vector<std::string>& cut) {
    std::size_t next = 0;
    for (std::size_t i = 0, first = 0; i < cut.size() && next < whole.size(); ++i) {
        std::string joined; // cut[k..i]; those before `first` are in `whole` already
        for (std::size_t k = i + 1; k-- > first && joined.size() <= whole[next].size();) {
            if (joined.insert(0, cut[k]) != whole[next]) continue;
            ++next;
            first = i + 1;
            break;
        }
    }
    return next == whole.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::uint8_t modes = provider.ConsumeIntegral<std::uint8_t>();
    const int rows = provider.ConsumeIntegralInRange(1, 60);
    const int cols = provider.ConsumeIntegralInRange(1, 140);
    std::uint32_t cuts = provider.ConsumeIntegral<std::uint32_t>() | 1;
    const bool fullColour = (cuts >> 31) != 0;
    const std::uint32_t seed = cuts;
    const auto encoding = static_cast<tav::TextEncoding>(provider.ConsumeIntegralInRange(0, 4));
    const std::string stream = provider.ConsumeRemainingBytesAsString();
    if (stream.size() > kMaxStream) return 0;

    tav::Settings settings{};
    settings.urlaware = (modes & 4) != 0 ? 1 : 0;
    tav::TMudScreen whole(settings);
    tav::TMudScreen pieces(settings);
    Session off(settings, false, false), on(settings, true, false), prompts(settings, true, true);
    for (tav::TMudScreen* screen : {&whole, &pieces, &off.screen, &on.screen, &prompts.screen}) {
        screen->autowrap = (modes & 1) != 0;
        screen->appendcr = (modes & 2) != 0;
        screen->SetEncoding(encoding);
        screen->SetColourMode(fullColour ? tav::ColourMode::Full : tav::ColourMode::Basic);
        screen->SetSize(rows, cols);
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

    std::vector<std::size_t> bounds;
    const std::string plain = SessionStream(stream, (seed >> 30) & 1, bounds);
    std::string negotiated = plain;
    if ((seed >> 29) & 1) {
        const auto [from, to] = std::minmax(bounds[tav::fuzz::XorShift(cuts) % bounds.size()],
                                            bounds[tav::fuzz::XorShift(cuts) % bounds.size()]);
        negotiated = "\xFF\xFB\x56" + plain.substr(0, from) + "\xFF\xFA\x56\xFF\xF0" +
                     tav::test::Compressed(plain.substr(from, to - from)) + plain.substr(to);
    }
    off.Receive(plain, cuts);
    on.Receive(negotiated, cuts * 3);
    prompts.Receive(negotiated, cuts * 5);
    FUZZ_CHECK(on.lines == off.lines, "the same lines with and without negotiation");
    ExpectSameScreen(on.screen, off.screen);
    FUZZ_CHECK(EveryLineKept(off.lines, prompts.lines), "no line lost to prompts");
    return 0;
}
