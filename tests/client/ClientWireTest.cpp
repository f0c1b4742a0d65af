#include "ConnectionTestSupport.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace tav::test {
namespace {

// The largest single block asked of operator new while `run` runs; this binary's operator
// new and delete (below) are plain malloc and free that watch the sizes while armed, and
// then refuse any block larger than `refusedAbove`, as a system short of memory would.
std::atomic<bool> gArmed{false};
std::atomic<std::size_t> gLargest{0};
std::atomic<std::size_t> gRefusedAbove{SIZE_MAX};

std::size_t LargestAllocationDuring(const std::function<void()>& run,
                                    std::size_t refusedAbove = SIZE_MAX) {
    gLargest = 0;
    gRefusedAbove = refusedAbove;
    gArmed = true;
    run();
    gArmed = false;
    return gLargest.load();
}

} // namespace

void* Allocate(std::size_t size) {
    if (gArmed.load(std::memory_order_relaxed)) {
        std::size_t seen = gLargest.load(std::memory_order_relaxed);
        while (size > seen && !gLargest.compare_exchange_weak(seen, size)) {
        }
        if (size > gRefusedAbove.load(std::memory_order_relaxed)) throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}

namespace {

Bytes Frame(std::int32_t type, std::string_view text1, std::string_view text2, const Bytes& data) {
    const std::string frame =
        ServerFrame(type, text1, text2, {reinterpret_cast<const char*>(data.data()), data.size()});
    return {frame.begin(), frame.end()};
}

Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

// Where the stream is cut is client_stream_fuzzer's check (each message against its frame
// in the whole stream, seed "every-type"); the real socket's own pieces are
// ClientConnection.LargeSoundFilesArriveButFramesBeyondTheLimitEndTheConnection's.
TEST(ReadDblockTest, ProgressIsReportedPerChunkOnlyAbove512BytesAndTryAgainWaits) {
    using Reports = std::vector<std::pair<std::int64_t, std::int64_t>>;
    struct Case {
        std::size_t dataBytes;
        std::vector<std::size_t> cuts; // in the stream, which starts with the 4-byte length
        std::vector<std::size_t> asked;
        Reports reports;
        bool tryAgain = false; // "try again" at the first cut: one wait, then the rest
    };
    const std::vector<Case> cases = {
        {0, {}, {4, 272}, {{4, 4}, {272, 272}}},
        {728,
         {604},
         {4, 1000, 400, 400},
         {{4, 4}, {600, 1000}, {600, 1000}, {1000, 1000}, {1000, 1000}},
         true},
        {240, {4, 100}, {4, 512, 416}, {{4, 4}, {512, 512}}},
        {241, {}, {4, 513}, {{4, 4}, {513, 513}, {513, 513}}},
        {9728,
         {},
         {4, 4096, 4096, 1808},
         {{4, 4}, {4096, 10000}, {8192, 10000}, {10000, 10000}, {10000, 10000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        ScriptedSocket socket;
        socket.AddSplit(Frame(60, "", "", Pattern(c.dataBytes)), c.cuts);
        if (c.tryAgain) socket.script.insert(socket.script.begin() + 1, {{}, EAGAIN});
        WireRig rig(socket, /*debug=*/true);
        EXPECT_TRUE(rig.wire.read_dblock(socket).Ok());
        EXPECT_TRUE(rig.log.lines.empty()); // a cut or a wait is no failure
        EXPECT_EQ(std::tuple(socket.asked, rig.gauge.reports, socket.waits),
                  std::tuple(c.asked, c.reports, c.tryAgain ? 1 : 0));
    }
}

TEST(ReadDblockTest, ShortReadsEndTheFrame) {
    const Bytes frame = Frame(60, "", "", Pattern(728));
    struct Case {
        const char* name;
        std::size_t available; // bytes of the frame before the failure
        int error;             // 0: the peer closes
        std::vector<std::string> lines, debugLines;
        int disconnects;
    };
    const std::string closed = "Connection closed by server...";
    const std::string size = "Msgsize read failure (read_dblock).";
    const std::string body = "Msgbody read failure (read_dblock).";
    const std::vector<Case> cases = {
        {"close at once", 0, 0, {closed}, {closed, size}, 1},
        {"close in length", 2, 0, {closed}, {closed, size}, 1},
        {"close in body", 700, 0, {closed}, {closed, body}, 1},
        {"error in body", 700, EIO, {}, {body}, 0},
    };
    for (bool debug : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (debug ? " debug" : ""));
            ScriptedSocket socket;
            socket.Add(Bytes(frame.begin(), frame.begin() + c.available));
            if (c.error != 0) socket.script.push_back({{}, c.error});
            WireRig rig(socket, debug);
            const ReadResult r = rig.wire.read_dblock(socket);
            EXPECT_EQ(std::pair(r.Ok(), r.size), std::pair(false, std::ptrdiff_t{-1}));
            EXPECT_EQ(rig.log.lines, debug ? c.debugLines : c.lines);
            EXPECT_EQ(rig.link.disconnects, c.disconnects);
            if (c.error != 0) {
                EXPECT_EQ(rig.gauge.reports.back(), std::make_pair(1000L, 1000L));
            }
        }
    }
}

TEST(ReadDblockTest, MalformedFramesAreRefused) {
    auto withLength = [](std::uint32_t length) {
        Bytes b(4 + 300, 0);
        StoreLe32(b.data(), length);
        return b;
    };
    auto withDataLen = [](std::int32_t dataLen, std::size_t dataBytes) {
        Bytes b = Frame(60, "", "", Pattern(dataBytes));
        StoreLe32(b.data() + 4 + kDataLenOffset, static_cast<std::uint32_t>(dataLen));
        return b;
    };
    // The bytes, the line they are refused with, and what is left unread.
    const std::tuple<Bytes, std::string, std::size_t> cases[] = {
        {withLength(271), "Frame of 271 bytes is shorter than a header (read_dblock).", 300},
        {withLength(kMaxFrameBytes + 1),
         "Frame of 268435457 bytes exceeds the limit of 268435456 bytes (read_dblock).", 300},
        {withLength(0xFFFFFFFF),
         "Frame of 4294967295 bytes exceeds the limit of 268435456 bytes (read_dblock).", 300},
        {withDataLen(-1, 10),
         "Frame data length -1 does not fit a frame of 282 bytes (read_dblock).", 0},
        {withDataLen(11, 10),
         "Frame data length 11 does not fit a frame of 282 bytes (read_dblock).", 0},
    };
    for (const auto& [stream, line, leftUnread] : cases) {
        SCOPED_TRACE(line);
        ScriptedSocket socket;
        socket.Add(stream);
        WireRig rig(socket);
        EXPECT_FALSE(rig.wire.read_dblock(socket).Ok());
        EXPECT_EQ(rig.log.lines, std::vector<std::string>{line});
        EXPECT_EQ(socket.Remaining(), leftUnread);
    }

    // A data block shorter than the frame is accepted; the extra bytes are not data.
    ScriptedSocket socket;
    socket.Add(withDataLen(4, 10));
    WireRig rig(socket);
    const ReadResult r = rig.wire.read_dblock(socket);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.size, 286);
    EXPECT_EQ(Bytes(r.message->Data().begin(), r.message->Data().end()), Bytes(Pattern(4)));
}

// A length word alone buys no memory: the buffer starts at kFrameBytesAhead, then at most
// doubles what has arrived. A buffer the system refuses ends the frame with its line.
TEST(ReadDblockTest, LongFramesAllocateOnlyAsTheirBytesArrive) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    const std::string closed = "Connection closed by server...";
    struct Case {
        std::size_t announced; // body bytes the length word promises
        std::size_t sent;      // body bytes that arrive before the peer closes
        std::size_t largest;   // the largest block the read may ask for
        std::string line;
        std::size_t refusedAbove = SIZE_MAX;
    };
    const Case cases[] = {
        {kMaxFrameBytes, kMiB / 2, kFrameBytesAhead, closed},
        {64 * kMiB, 20 * kMiB, 32 * kMiB, closed},
        {64 * kMiB, 2 * kMiB, 2 * kMiB, "Read error in read_dblock...out of memory.", kMiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.announced);
        ScriptedSocket socket;
        Bytes length(kLengthBytes);
        StoreLe32(length.data(), static_cast<std::uint32_t>(c.announced));
        socket.Add(length);
        for (std::size_t at = 0; at < c.sent; at += 64 * 1024) // small pieces: cheap to replay
            socket.Add(Bytes(64 * 1024, 0x5a));
        WireRig rig(socket);
        const std::size_t largest = LargestAllocationDuring(
            [&] { EXPECT_FALSE(rig.wire.read_dblock(socket).Ok()); }, c.refusedAbove);
        EXPECT_LE(largest, c.largest);
        EXPECT_GE(largest, std::min(c.sent, kFrameBytesAhead)); // the probe did see the body
        EXPECT_EQ(rig.log.lines, std::vector<std::string>{c.line});
    }
}

} // namespace
} // namespace tav::test

// The plain new and delete go through malloc and free. The array and nothrow forms call
// them, or (under a sanitizer) stay its own, matched with its own deletes.
void* operator new(std::size_t size) {
    return tav::test::Allocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
