#include "net/Inflater.h"

#include <zlib.h>

namespace tav {

struct Inflater::Stream {
    z_stream z{};
    bool open = false;
    bool finished = false;
};

Inflater::Inflater() : stream_(std::make_unique<Stream>()) {
    stream_->open = inflateInit(&stream_->z) == Z_OK;
}

Inflater::~Inflater() {
    if (stream_->open) inflateEnd(&stream_->z);
}

Inflater::Result Inflater::Inflate(std::string_view input,
                                   const std::function<void(std::string_view)>& output) {
    Result result;
    z_stream& z = stream_->z;
    if (!stream_->open || stream_->finished) {
        result.status = Status::Corrupt;
        result.error = z.msg ? z.msg : "the stream is closed";
        return result;
    }
    unsigned char chunk[kInflateChunk];
    std::size_t produced = 0;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    // Loops while input remains or the last call filled the whole chunk (more may wait
    // inside zlib even when all input was taken).
    bool full = false;
    while (z.avail_in > 0 || full) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        const int status = inflate(&z, Z_SYNC_FLUSH);
        const std::size_t count = sizeof chunk - z.avail_out;
        full = z.avail_out == 0;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            stream_->finished = true;
            result.status = Status::Corrupt;
            result.error = z.msg ? z.msg : zError(status);
            return result;
        }
        produced += count;
        if (produced > kMaxOutputPerInput) {
            stream_->finished = true;
            result.status = Status::TooLarge;
            return result;
        }
        if (count > 0) output(std::string_view(reinterpret_cast<const char*>(chunk), count));
        if (status == Z_STREAM_END) {
            stream_->finished = true;
            result.status = Status::Ended;
            result.consumed = input.size() - z.avail_in;
            return result;
        }
        if (status == Z_BUF_ERROR && count == 0) break; // nothing more without more input
    }
    result.consumed = input.size();
    return result;
}

} // namespace tav
