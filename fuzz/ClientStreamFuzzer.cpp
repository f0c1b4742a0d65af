// The Client receive path: the frame reader over a stream handed out in pieces (now and
// then "try again"), each message compared with its frame in the whole stream, the
// decoder and the message handler with real files in a scratch directory, a real pane
// screen, and a sender whose frames are read back. Input: the server's stream, then (from
// the end) the settings flags and the seed of the pieces.
#include "client/ClientFiles.h"
#include "client/ClientLink.h"
#include "client/ClientMessageHandler.h"
#include "client/ClientSender.h"
#include "client/ClientSound.h"
#include "client/ClientWire.h"
#include "client/PendingEdit.h"
#include "client/StatusBarSink.h"
#include "client/StreamSocket.h"
#include "client/TransferGauge.h"
#include "fuzz/FuzzSupport.h"
#include "screen/MudScreen.h"
#include "settings/LogSink.h"
#include "term/TermServices.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

namespace fs = std::filesystem;

// The stream in pieces, then a close; what the client sends is kept.
class StreamFromServer final : public tav::StreamSocket {
public:
    StreamFromServer(std::string bytes, std::uint32_t seed)
        : bytes_(std::move(bytes)), rng_(seed) {}

    tav::IoResult Receive(std::span<std::uint8_t> buffer) override {
        FUZZ_CHECK(buffer.size() <= tav::kReceiveChunkBytes, "a read asks at most a chunk");
        if (pos_ == bytes_.size()) return {0, 0};
        const std::uint32_t r = tav::fuzz::XorShift(rng_);
        if (r % 16 == 0) return {-1, EAGAIN};
        const std::size_t n =
            std::min({buffer.size(), bytes_.size() - pos_, std::size_t{1} + r % 700});
        std::copy_n(bytes_.data() + pos_, n, buffer.data());
        pos_ += n;
        return {static_cast<std::ptrdiff_t>(n), 0};
    }
    tav::IoResult Send(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        return {static_cast<std::ptrdiff_t>(bytes.size()), 0};
    }
    void WaitReady(tav::IoDirection) override {}
    std::string_view Whole() const { return bytes_; }

    std::vector<std::uint8_t> sent;

private:
    std::string bytes_;
    std::size_t pos_ = 0;
    std::uint32_t rng_;
};

class Link final : public tav::ClientLink {
public:
    explicit Link(tav::StreamSocket& socket) : socket_(socket) {}
    bool IsConnected() const override { return connected_; }
    void Disconnect() override { connected_ = false; }
    tav::StreamSocket& SendSocket() override { return socket_; }

private:
    tav::StreamSocket& socket_;
    bool connected_ = true;
};

struct Quiet final : tav::LogSink, tav::StatusBarSink, tav::IntervalClock {
    void LogLine(std::string_view) override {}
    std::int32_t NowMs() override { return 123456; }
};

struct Gauge final : tav::TransferGauge {
    void ShowProgress(std::int64_t received, std::int64_t total) override {
        FUZZ_CHECK(received >= 0 && received <= total, "progress within the frame");
    }
};

bool UnderDirectory(std::string_view path, std::string_view dir) {
    return path.size() > dir.size() + 1 && path.substr(0, dir.size()) == dir &&
           path[dir.size()] == '/' && tav::ClientFiles::IsSafeName(path.substr(dir.size() + 1));
}

// Text goes into a pane screen; every path and size handed over is checked.
class Windows final : public tav::ClientWindows, public tav::ClientSound {
public:
    explicit Windows(std::string textDir) : textDir_(std::move(textDir)), pane_(settings_) {}

    void ClearScreen(tav::ClientScreen) override { pane_.ResetScreen(pane_.Lines()); }
    void AppendText(tav::ClientScreen, std::string_view text) override {
        FUZZ_CHECK(text.find('\0') == std::string_view::npos, "text data ends at its NUL");
        pane_.AddText(text);
    }
    void SetMap(const tav::MapGrid&) override {}
    void SetStatusValues(const tav::HitManaMove&) override {}
    void SetGauge(int, int, int) override {}
    void SetBoardIndex(std::vector<tav::BoardEntry> boards) override {
        for (const auto& board : boards)
            FUZZ_CHECK(board.title.size() < tav::kBoardTitleBytes, "board title fits its entry");
    }
    void SetMessageIndex(std::vector<std::string> lines) override {
        for (const auto& line : lines)
            FUZZ_CHECK(line.size() < tav::kMessageEntryBytes, "index line fits its entry");
    }
    void BoardUpdate(int) override {}
    void SetHelpIndex(std::vector<std::string> topics) override {
        for (const auto& topic : topics)
            FUZZ_CHECK(topic.find('\0') == std::string::npos, "topic ends at its NUL");
    }
    void ShowIdentification(std::string_view, std::string_view path, std::string_view) override {
        if (path.empty()) return;
        FUZZ_CHECK(path.size() > 3 && path.substr(path.size() - 3) == ".id", "an .id file");
        FUZZ_CHECK(UnderDirectory(path.substr(0, path.size() - 3), textDir_),
                   "identification file stays in the text directory");
    }
    void SetCharacterLevel(int) override {}
    void SetTimeAndDate(std::string_view time, std::string_view date) override {
        FUZZ_CHECK(time.find_first_of("\r\n") == std::string_view::npos &&
                       date.find_first_of("\r\n") == std::string_view::npos,
                   "time and date end at their line end");
    }
    void ShowMessageBox(std::string_view text, std::string_view) override {
        FUZZ_CHECK(text.size() <= tav::kMaxTextChars, "message text fits its field");
    }
    void PostCommand(int command) override {
        FUZZ_CHECK(command == tav::kEditRequestCommand, "only the edit command is posted");
    }
    void PlaySound(std::string_view path) override {
        FUZZ_CHECK(UnderDirectory(path, tav::kBinaryDir), "sounds play from binary/");
    }
    void StopSound() override {}
    void PollSoundPlayer() override {}

private:
    tav::Settings settings_{};
    std::string textDir_;
    tav::TMudScreen pane_;
};

// Emptied after every input so each run starts from the same files.
const fs::path& Root() {
    return tav::fuzz::ScratchDir("client", {tav::kTextDir, tav::kBinaryDir});
}

// Only plain files directly in text/ and binary/ may have been written.
void CheckAndEmptyRoot() {
    for (const auto& entry : fs::directory_iterator(Root())) {
        const std::string name = entry.path().filename().string();
        FUZZ_CHECK(entry.is_directory() && (name == tav::kTextDir || name == tav::kBinaryDir),
                   "nothing written beside text/ and binary/");
        for (const auto& file : fs::directory_iterator(entry.path())) {
            FUZZ_CHECK(file.is_regular_file(), "only plain files are written");
            fs::remove(file.path());
        }
    }
}

void CheckSentFrames(const std::vector<std::uint8_t>& sent) {
    std::size_t at = 0;
    while (at < sent.size()) {
        FUZZ_CHECK(sent.size() - at >= tav::kLengthBytes + tav::kHeaderBytes, "a whole header");
        const std::uint32_t length = tav::LoadLe32(sent.data() + at);
        const auto dataLen =
            static_cast<std::int32_t>(tav::LoadLe32(sent.data() + at + 4 + tav::kDataLenOffset));
        FUZZ_CHECK(length == tav::kHeaderBytes + static_cast<std::uint32_t>(dataLen),
                   "length word counts header and data");
        FUZZ_CHECK(sent.size() - at >= tav::kLengthBytes + length, "a whole frame");
        at += tav::kLengthBytes + length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::uint8_t flags = provider.ConsumeIntegral<std::uint8_t>();
    const std::uint32_t seed = provider.ConsumeIntegral<std::uint32_t>() | 1;

    tav::Settings settings{};
    settings.cdmdebug = flags & 1;
    settings.ignorequeries = (flags >> 1) & 1;
    settings.downloadall = (flags >> 2) & 1;
    const bool editDialogAnswers = (flags & 8) != 0;

    StreamFromServer socket(provider.ConsumeRemainingBytesAsString(), seed);
    Link link(socket);
    Quiet quiet;
    Gauge gauge;
    tav::ClientWire wire(link, quiet, gauge, settings);
    tav::ClientSender sender(wire, link, quiet, settings);
    const tav::ClientFiles files(Root().string());
    Windows windows((Root() / tav::kTextDir).string());
    tav::PendingEdit pendingEdit;
    const std::atomic<std::int32_t> lastPing{123000};
    tav::ClientMessageHandler handler({settings, windows, windows, quiet, quiet, files, pendingEdit,
                                       quiet, lastPing, tav::kDownloadLimitBytes});

    for (std::size_t at = 0;;) { // where the next frame starts in the whole stream
        tav::ReadResult read = wire.read_dblock(socket);
        if (!read.Ok()) break;
        const tav::ClientMessage& message = *read.message;
        const std::span<const std::uint8_t> body = message.Buffer();
        FUZZ_CHECK(socket.Whole().substr(at + tav::kLengthBytes, body.size()) ==
                       std::string_view(reinterpret_cast<const char*>(body.data()), body.size()),
                   "the message is its frame's body, wherever the stream was cut");
        at += tav::kLengthBytes + body.size();
        const std::int32_t dataLen = message.Header().data_len;
        FUZZ_CHECK(message.Data().size() == static_cast<std::size_t>(std::max(dataLen, 0)),
                   "data is data_len bytes");
        FUZZ_CHECK(read.size == static_cast<std::ptrdiff_t>(tav::kLengthBytes + body.size()),
                   "the frame size counts the length word and the body");
        if (!handler.Handle(std::move(*read.message), link, sender)) break;
        if (editDialogAnswers) pendingEdit.Clear();
        if (!link.IsConnected()) break;
    }
    CheckSentFrames(socket.sent);
    CheckAndEmptyRoot();
    return 0;
}
