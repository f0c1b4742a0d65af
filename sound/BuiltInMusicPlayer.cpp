#include "sound/BuiltInMusicPlayer.h"

#include "sound/MusicDecoder.h"
#include "sound/SystemAudioOutput.h"

#include <cstdio>
#include <vector>

namespace tav {

namespace {

constexpr std::size_t kChunkFrames = 2048;

const char* KindName(MusicKind kind) {
    return kind == MusicKind::Mod ? "MOD" : "MP3";
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The 44-byte header of a 16-bit stereo PCM WAV file holding `dataBytes` bytes.
std::string WavHeader(int rate, std::uint32_t dataBytes) {
    std::string header = "RIFF";
    PutLittleEndian(header, 36 + dataBytes, 4);
    header += "WAVEfmt ";
    PutLittleEndian(header, 16, 4);
    PutLittleEndian(header, 1, 2); // PCM
    PutLittleEndian(header, 2, 2); // channels
    PutLittleEndian(header, static_cast<std::uint32_t>(rate), 4);
    PutLittleEndian(header, static_cast<std::uint32_t>(rate) * 4, 4);
    PutLittleEndian(header, 4, 2);
    PutLittleEndian(header, 16, 2);
    header += "data";
    PutLittleEndian(header, dataBytes, 4);
    return header;
}

} // namespace

BuiltInMusicPlayer::BuiltInMusicPlayer(AudioOutputFactory outputs)
    : outputs_(outputs ? std::move(outputs)
                       : [] { return std::unique_ptr<AudioOutput>(new SystemAudioOutput); }) {}

BuiltInMusicPlayer::~BuiltInMusicPlayer() {
    Stop();
}

std::string BuiltInMusicPlayer::Play(const std::string& path, MusicKind kind) {
    std::lock_guard lock(mutex_);
    StopLocked();
    std::string error;
    std::unique_ptr<MusicDecoder> decoder = MusicDecoder::OpenFile(path, kind, error);
    if (!decoder) return "Cannot play " + path + " as " + KindName(kind) + ": " + error + ".";
    std::shared_ptr<AudioOutput> output = outputs_();
    if (error = output->Open(decoder->Rate()); !error.empty())
        return std::string("No audio output could be opened for ") + KindName(kind) +
               " playback (" + error + ").";
    output_ = output;
    stop_ = false;
    playing_ = true;
    thread_ = std::thread([this, output, decoder = std::move(decoder)] {
        std::vector<std::int16_t> chunk(kChunkFrames * 2);
        bool ended = false;
        while (!stop_) {
            const std::size_t frames = decoder->Read(chunk.data(), kChunkFrames);
            ended = frames == 0;
            if (ended || !output->Write(chunk.data(), frames)) break;
        }
        output->Close(ended && !stop_);
        playing_ = false;
    });
    return {};
}

void BuiltInMusicPlayer::Stop() {
    std::lock_guard lock(mutex_);
    StopLocked();
}

void BuiltInMusicPlayer::StopLocked() {
    if (!thread_.joinable()) return;
    stop_ = true;
    output_->Interrupt();
    thread_.join();
    output_.reset();
}

bool BuiltInMusicPlayer::IsPlaying() {
    return playing_;
}

std::string BuiltInMusicPlayer::RenderToWav(const std::string& path, MusicKind kind,
                                            const std::string& wavPath) {
    std::string error;
    std::unique_ptr<MusicDecoder> decoder = MusicDecoder::OpenFile(path, kind, error);
    if (!decoder) return "Cannot play " + path + " as " + KindName(kind) + ": " + error + ".";
    std::FILE* file = std::fopen(wavPath.c_str(), "wb");
    if (file == nullptr) return "Cannot write " + wavPath + ".";
    // The header is written again with the length once it is known.
    std::string header = WavHeader(decoder->Rate(), 0);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    std::vector<std::int16_t> chunk(kChunkFrames * 2);
    std::uint64_t dataBytes = 0;
    while (ok) {
        const std::size_t frames = decoder->Read(chunk.data(), kChunkFrames);
        if (frames == 0) break;
        ok = std::fwrite(chunk.data(), 4, frames, file) == frames;
        dataBytes += frames * 4;
    }
    header = WavHeader(decoder->Rate(), static_cast<std::uint32_t>(dataBytes));
    ok = ok && std::fseek(file, 0, SEEK_SET) == 0 &&
         std::fwrite(header.data(), 1, header.size(), file) == header.size();
    ok = std::fclose(file) == 0 && ok;
    return ok ? std::string() : "Cannot write " + wavPath + ".";
}

} // namespace tav
