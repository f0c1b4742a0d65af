#pragma once

#include "sound/MusicPlayer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tav {

// The largest music file read: a file is decoded from memory.
inline constexpr std::size_t kMaxMusicFileBytes = std::size_t{64} << 20;
// The longest piece played or rendered; decoding ends there.
inline constexpr long kMaxMusicSeconds = 3600;
// The rate MOD files are rendered at; MP3 files keep their own.
inline constexpr int kModRate = 44100;

// Decodes a MOD file (libopenmpt) or an MP3 file (libmpg123) into interleaved 16-bit
// stereo frames. Hostile input stays bounded: the file is read up to kMaxMusicFileBytes
// and at most kMaxMusicSeconds are decoded.
class MusicDecoder {
public:
    // A decoder positioned at the start of the piece, or nothing with `error` set.
    static std::unique_ptr<MusicDecoder> OpenFile(const std::string& path, MusicKind kind,
                                                  std::string& error);
    static std::unique_ptr<MusicDecoder> OpenBytes(std::string bytes, MusicKind kind,
                                                   std::string& error);
    virtual ~MusicDecoder() = default;

    int Rate() const { return rate_; }
    // Fills `out` with up to `frames` frames; 0 at the end of the piece.
    std::size_t Read(std::int16_t* out, std::size_t frames);

protected:
    virtual std::size_t Decode(std::int16_t* out, std::size_t frames) = 0;
    int rate_ = kModRate;

private:
    long long decoded_ = 0;
};

} // namespace tav
