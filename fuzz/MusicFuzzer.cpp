// A MOD or MP3 file as a server may send it (the first byte picks the kind), decoded as
// the built-in player does: the decoder takes it or says why not, and what it gives stays
// within what was asked, at a rate a device can open.
#include "fuzz/FuzzSupport.h"
#include "sound/MusicDecoder.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const tav::MusicKind kind = data[0] % 2 == 0 ? tav::MusicKind::Mod : tav::MusicKind::Mp3;
    std::string error;
    const auto decoder = tav::MusicDecoder::OpenBytes(
        std::string(reinterpret_cast<const char*>(data) + 1, size - 1), kind, error);
    if (!decoder) {
        FUZZ_CHECK(!error.empty(), "a refusal says why");
        return 0;
    }
    FUZZ_CHECK(decoder->Rate() >= 8000 && decoder->Rate() <= 96000, "a rate a device opens");
    // Ten seconds at most per input keep the runs quick; the decoder's own bound is an hour.
    constexpr std::size_t kChunk = 4096;
    std::vector<std::int16_t> chunk(kChunk * 2 + 2, 0x5A5A);
    for (long frames = 0; frames < 10L * decoder->Rate();) {
        const std::size_t got = decoder->Read(chunk.data(), kChunk);
        FUZZ_CHECK(got <= kChunk, "no more frames than asked for");
        FUZZ_CHECK(chunk[kChunk * 2] == 0x5A5A, "nothing written past the frames asked for");
        if (got == 0) break;
        frames += static_cast<long>(got);
    }
    return 0;
}
