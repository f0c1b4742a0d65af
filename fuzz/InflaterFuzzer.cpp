// The inflater must not care where the socket cut a compressed stream: input within its
// bound, inflated in one call and in pieces, gives the same text and the same end (and the
// same bytes after it), or fails in both with the same text as far as either got. What
// zlib made it reads back exactly, with whatever follows the stream left to the caller.
//
// Input: the bytes, then (from the end) a mode byte and the seed of the cuts. With the
// mode's low bit set, the bytes are text that zlib compresses (at the level the mode's high
// half picks, flushed where the seed says, finished with bit 2 or left open); a finished
// stream is followed by plain bytes with bit 4. Otherwise the bytes go to the inflater as
// they are.
#include "fuzz/FuzzSupport.h"
#include "net/Inflater.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

struct Outcome {
    std::string text;
    tav::Inflater::Status status = tav::Inflater::Status::Open;
    std::size_t end = 0; // where the stream ended in the whole input, when it did
    std::string error;
};

// Feeds `input` in pieces of the given lengths (the last piece takes the rest).
Outcome Inflate(std::string_view input, const std::vector<std::size_t>& cuts) {
    tav::Inflater inflater;
    Outcome out;
    std::size_t at = 0;
    for (std::size_t k = 0; at < input.size() || k == 0; ++k) {
        const std::size_t length = k < cuts.size() ? cuts[k] : input.size() - at;
        std::size_t calls = 0;
        const tav::Inflater::Result result =
            inflater.Inflate(input.substr(at, length), [&](std::string_view chunk) {
                FUZZ_CHECK(!chunk.empty() && chunk.size() <= tav::Inflater::kInflateChunk,
                           "bounded chunks");
                ++calls;
                out.text += chunk;
            });
        FUZZ_CHECK(calls <= tav::Inflater::kMaxOutputPerInput / tav::Inflater::kInflateChunk + 1,
                   "bounded output per call");
        if (result.status != tav::Inflater::Status::Open) {
            FUZZ_CHECK(result.status != tav::Inflater::Status::Ended || result.consumed <= length,
                       "the end inside the piece");
            out.status = result.status;
            if (result.status == tav::Inflater::Status::Ended) out.end = at + result.consumed;
            out.error = result.error;
            return out;
        }
        at += length;
    }
    return out;
}

std::string Deflate(const std::string& text, int level, std::uint32_t seed, bool finish) {
    z_stream z{};
    deflateInit(&z, level);
    std::string out;
    std::vector<char> buffer(64 * 1024);
    std::size_t at = 0;
    do {
        seed = seed * 1103515245u + 12345u;
        const std::size_t length = std::min<std::size_t>(text.size() - at, 1 + (seed >> 16) % 400);
        const bool last = at + length == text.size();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + at));
        z.avail_in = static_cast<uInt>(length);
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, last && finish ? Z_FINISH : (seed & 0x100) ? Z_SYNC_FLUSH : Z_NO_FLUSH);
            out.append(buffer.data(), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
        at += length;
    } while (at < text.size());
    if (!finish) { // what a server sends before it goes quiet
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = static_cast<uInt>(buffer.size());
        deflate(&z, Z_SYNC_FLUSH);
        out.append(buffer.data(), buffer.size() - z.avail_out);
    }
    deflateEnd(&z);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::uint8_t mode = provider.ConsumeIntegral<std::uint8_t>();
    std::uint32_t seed = provider.ConsumeIntegral<std::uint32_t>();
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    std::string input = bytes;
    std::size_t streamEnd = 0;
    const bool compressed = mode & 1;
    const bool finished = mode & 2;
    if (compressed) {
        input = Deflate(bytes, (mode >> 4) % 10, seed, finished);
        streamEnd = input.size();
        if (finished && (mode & 4)) input += bytes.substr(0, 64);
    }
    // Deflate makes at most 1032 bytes of one byte (a 258-byte match in two bits): input
    // this short cannot reach the inflater's bound on one call's output, so one call and
    // many calls must agree.
    constexpr std::size_t kInputWithinBound = tav::Inflater::kMaxOutputPerInput / 1032 - 128;
    if (input.size() > kInputWithinBound) return 0;

    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < input.size();) {
        seed = seed * 1103515245u + 12345u;
        cuts.push_back(std::min<std::size_t>(input.size() - at, (seed >> 16) % 200));
        at += cuts.back();
    }
    const Outcome whole = Inflate(input, {});
    const Outcome pieces = Inflate(input, cuts);
    FUZZ_CHECK(pieces.status == whole.status, "same outcome");
    if (whole.status == tav::Inflater::Status::Corrupt) {
        // A damaged stream's last chunk before the fault is dropped, and where the chunks
        // fall depends on the cuts: the two texts agree as far as the shorter goes.
        const std::size_t common = std::min(whole.text.size(), pieces.text.size());
        FUZZ_CHECK(whole.text.compare(0, common, pieces.text, 0, common) == 0,
                   "the same text up to the fault");
    } else {
        FUZZ_CHECK(pieces.text == whole.text, "same text");
        FUZZ_CHECK(pieces.end == whole.end, "the stream ends at the same byte");
    }
    if (compressed) {
        FUZZ_CHECK(whole.text == bytes, "zlib's stream reads back");
        FUZZ_CHECK(whole.status ==
                       (finished ? tav::Inflater::Status::Ended : tav::Inflater::Status::Open),
                   "a finished stream ends, an open one stays open");
        if (finished) FUZZ_CHECK(whole.end == streamEnd, "what follows the stream is left");
    }
    return 0;
}
