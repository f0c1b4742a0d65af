#include "sound/MusicDecoder.h"

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include <algorithm>
#include <fstream>
#include <mutex>

namespace tav {

namespace {

class ModDecoder final : public MusicDecoder {
public:
    explicit ModDecoder(openmpt_module* module) : module_(module) {}
    ~ModDecoder() override { openmpt_module_destroy(module_); }
    ModDecoder(const ModDecoder&) = delete;
    ModDecoder& operator=(const ModDecoder&) = delete;

    static std::unique_ptr<MusicDecoder> Open(const std::string& bytes, std::string& error) {
        // Subsongs are not scanned at load: a hostile file cannot make that slow.
        const openmpt_module_initial_ctl ctls[] = {{"load.skip_subsongs_init", "1"},
                                                   {nullptr, nullptr}};
        int code = 0;
        const char* message = nullptr;
        openmpt_module* module = openmpt_module_create_from_memory2(
            bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
            nullptr, &code, &message, ctls);
        if (module == nullptr) {
            error = message != nullptr && *message != '\0' ? message : "not a module";
            openmpt_free_string(message);
            return nullptr;
        }
        openmpt_free_string(message);
        return std::make_unique<ModDecoder>(module);
    }

protected:
    std::size_t Decode(std::int16_t* out, std::size_t frames) override {
        return openmpt_module_read_interleaved_stereo(module_, kModRate, frames, out);
    }

private:
    openmpt_module* module_;
};

class Mp3Decoder final : public MusicDecoder {
public:
    explicit Mp3Decoder(mpg123_handle* handle) : handle_(handle) {}
    ~Mp3Decoder() override { mpg123_delete(handle_); }
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    static std::unique_ptr<MusicDecoder> Open(const std::string& bytes, std::string& error) {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        int code = MPG123_OK;
        mpg123_handle* handle = mpg123_new(nullptr, &code);
        if (handle == nullptr) {
            error = mpg123_plain_strerror(code);
            return nullptr;
        }
        auto decoder = std::make_unique<Mp3Decoder>(handle);
        // Every rate, always 16-bit stereo (a mono stream is doubled); tags are skipped,
        // not kept.
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
        mpg123_format_none(handle);
        const long* rates = nullptr;
        std::size_t count = 0;
        mpg123_rates(&rates, &count);
        for (std::size_t i = 0; i < count; ++i)
            mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(handle) != MPG123_OK ||
            mpg123_feed(handle, reinterpret_cast<const unsigned char*>(bytes.data()),
                        bytes.size()) != MPG123_OK) {
            error = mpg123_strerror(handle);
            return nullptr;
        }
        // The first frame gives the rate; a file without one is no MP3.
        long rate = 0;
        int channels = 0, encoding = 0;
        std::size_t done = 0;
        int rc = MPG123_OK;
        for (int tries = 0; rc == MPG123_OK && tries < 64; ++tries)
            rc = mpg123_read(handle, nullptr, 0, &done);
        if (rc != MPG123_NEW_FORMAT ||
            mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
            error = "no MPEG audio frame";
            return nullptr;
        }
        decoder->rate_ = static_cast<int>(rate);
        return decoder;
    }

protected:
    std::size_t Decode(std::int16_t* out, std::size_t frames) override {
        constexpr std::size_t kFrameBytes = 2 * sizeof(std::int16_t);
        auto* bytes = reinterpret_cast<unsigned char*>(out);
        std::size_t filled = 0;
        // A read that neither decodes nor ends the stream is retried a bounded number of
        // times.
        for (int idle = 0; filled < frames * kFrameBytes && idle < 64;) {
            std::size_t done = 0;
            const int rc =
                mpg123_read(handle_, bytes + filled, frames * kFrameBytes - filled, &done);
            filled += done;
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break; // the end, or an error
            idle = done == 0 ? idle + 1 : 0;
        }
        // A format change mid-stream keeps 16-bit stereo; a partial frame is dropped.
        return filled / kFrameBytes;
    }

private:
    mpg123_handle* handle_;
};

std::string TooLarge() {
    return "larger than " + std::to_string(kMaxMusicFileBytes >> 20) + " MB";
}

} // namespace

std::unique_ptr<MusicDecoder> MusicDecoder::OpenFile(const std::string& path, MusicKind kind,
                                                     std::string& error) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size < 0 || !file.seekg(0)) {
        error = "cannot be read";
        return nullptr;
    }
    if (static_cast<unsigned long long>(size) > kMaxMusicFileBytes) {
        error = TooLarge();
        return nullptr;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.read(bytes.data(), size);
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return OpenBytes(std::move(bytes), kind, error);
}

std::unique_ptr<MusicDecoder> MusicDecoder::OpenBytes(std::string bytes, MusicKind kind,
                                                      std::string& error) {
    if (bytes.size() > kMaxMusicFileBytes) {
        error = TooLarge();
        return nullptr;
    }
    return kind == MusicKind::Mod ? ModDecoder::Open(bytes, error) : Mp3Decoder::Open(bytes, error);
}

std::size_t MusicDecoder::Read(std::int16_t* out, std::size_t frames) {
    const long long left = static_cast<long long>(rate_) * kMaxMusicSeconds - decoded_;
    frames = static_cast<std::size_t>(std::min<long long>(static_cast<long long>(frames), left));
    if (frames == 0) return 0;
    const std::size_t got = Decode(out, frames);
    decoded_ += static_cast<long long>(got);
    return got;
}

} // namespace tav
