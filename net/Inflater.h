#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tav {

// One MCCP version 2 stream: zlib data that starts after the server's IAC SB COMPRESS2
// IAC SE and runs until the zlib stream ends, after which the connection is plain again.
// Output is handed over in chunks of at most kInflateChunk bytes, so memory stays bounded
// whatever the compression ratio.
class Inflater {
public:
    static constexpr std::size_t kInflateChunk = 16 * 1024;
    // More inflated output than this from one call is taken for a compression bomb.
    static constexpr std::size_t kMaxOutputPerInput = 8 * 1024 * 1024;

    enum class Status {
        Open,    // all input consumed, the stream goes on
        Ended,   // the stream ended; `consumed` bytes of the input belonged to it
        Corrupt, // not a zlib stream, or damaged; `error` says how
        TooLarge // more than kMaxOutputPerInput bytes came out of one input
    };
    struct Result {
        Status status = Status::Open;
        std::size_t consumed = 0;
        std::string error;
    };

    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates `input`, calling `output` with each chunk as it comes out. After Ended,
    // Corrupt or TooLarge the inflater is finished and takes no more input.
    Result Inflate(std::string_view input, const std::function<void(std::string_view)>& output);

private:
    struct Stream;
    std::unique_ptr<Stream> stream_;
};

} // namespace tav
