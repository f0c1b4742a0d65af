#include "net/TelnetProtocol.h"

#include "net/TelnetCodes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

namespace tav {

namespace {

using namespace telnet;
using Command = OptionStates::Command;
using Side = OptionStates::Side;

// The options the server may turn on at its side (WILL) and the ones we turn on at ours
// when asked (DO). Everything else is refused.
bool AcceptHis(unsigned char option) {
    switch (option) {
    case kSuppressGoAhead:
    case kEndOfRecord:
    case kCharset:
    case kMsdp:
    case kMssp:
    case kCompress2:
    case kGmcp: return true;
    default: return false;
    }
}

bool AcceptOurs(unsigned char option) {
    return option == kTerminalType || option == kWindowSize || option == kCharset;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

TelnetProtocol::TelnetProtocol(TelnetIdentity identity, TelnetEvents& events)
    : identity_(std::move(identity)), events_(events) {}

TelnetProtocol::~TelnetProtocol() = default;

namespace {

// Compressed bytes are handed to the inflate thread in blocks this large or larger, so
// that waking it costs little against the work; Flush hands over a smaller rest.
constexpr std::size_t kInflateBatch = 8 * 1024;
// Blocks the inflate thread may hold before Receive waits for the oldest. Receive hands
// over new blocks only between parsing the inflated ones, so the queue refills in bursts:
// at 8 the two threads fell into a rhythm where each waited for the other about once per
// queue, losing a sixth of the throughput; at 32 such waits are rare. The memory stays
// bounded by the worker's own limit on output not yet taken.
constexpr std::size_t kMaxInflateBlocks = 32;

} // namespace

void TelnetProtocol::Receive(std::string_view bytes) {
    if (worker_) {
        TakeInflated(false);
        while (!failed_ && worker_->Queued() >= kMaxInflateBlocks)
            TakeInflated(true);
    }
    Consume(bytes);
    FlushText();
}

void TelnetProtocol::Flush() {
    while (worker_ && !failed_ && (worker_->Queued() > 0 || !pending_.input.empty())) {
        if (!pending_.input.empty()) SubmitPending();
        TakeInflated(true);
    }
    FlushText();
}

void TelnetProtocol::StartStream() {
    if (!inflateThread_) {
        inflater_ = std::make_unique<Inflater>();
        return;
    }
    if (!worker_) worker_ = std::make_unique<InflateWorker>();
    streamOpen_ = true;
    pending_.newStream = true;
}

void TelnetProtocol::SubmitPending() {
    worker_->Submit(std::move(pending_));
    pending_ = {};
}

void TelnetProtocol::TakeInflated(bool wait) {
    while (!failed_) {
        // Waits for one block at most: the thread goes on with the next meanwhile.
        std::optional<InflateWorker::Block> block = worker_->Take(std::exchange(wait, false));
        if (!block) return;
        if (block->plain) { // sent after its stream had ended: read again as received
            ConsumePieces(*block, 0);
            continue;
        }
        if (!block->output.empty()) Parse(block->output);
        if (failed_) return;
        switch (block->result.status) {
        case Inflater::Status::Open: break;
        case Inflater::Status::Ended: {
            // What follows the stream's end is plain: the rest of this block, the blocks
            // sent after it and the bytes not yet sent, read again in the order received.
            streamOpen_ = false;
            std::vector<InflateWorker::Block> later;
            while (auto next = worker_->Take(true))
                later.push_back(std::move(*next));
            InflateWorker::Block unsent = std::move(pending_);
            pending_ = {};
            ConsumePieces(*block, block->result.consumed);
            for (const InflateWorker::Block& next : later)
                ConsumePieces(next, 0);
            ConsumePieces(unsent, 0);
            return;
        }
        case Inflater::Status::Corrupt:
            Fail("The server's compressed text (MCCP) is damaged (" + block->result.error +
                 "); the connection is closed.");
            return;
        case Inflater::Status::TooLarge:
            Fail("The server's compressed text (MCCP) inflates beyond any game's output; "
                 "the connection is closed.");
            return;
        }
    }
}

void TelnetProtocol::ConsumePieces(const InflateWorker::Block& block, std::size_t from) {
    std::size_t start = 0;
    for (const std::size_t end : block.pieceEnds) {
        if (end > from) {
            const std::size_t first = std::max(start, from);
            Consume(std::string_view(block.input).substr(first, end - first));
        }
        start = end;
    }
}

void TelnetProtocol::Consume(std::string_view bytes) {
    while (!bytes.empty() && !failed_) {
        if (streamOpen_) {
            pending_.input.append(bytes);
            pending_.pieceEnds.push_back(pending_.input.size());
            if (pending_.input.size() >= kInflateBatch) SubmitPending();
            return;
        }
        if (inflater_) {
            const Inflater::Result result = inflater_->Inflate(bytes, [this](std::string_view out) {
                if (!failed_) Parse(out);
            });
            switch (result.status) {
            case Inflater::Status::Open: bytes = {}; break;
            case Inflater::Status::Ended:
                // The server ended compression: what follows in this read is plain text.
                inflater_.reset();
                bytes.remove_prefix(result.consumed);
                break;
            case Inflater::Status::Corrupt:
                Fail("The server's compressed text (MCCP) is damaged (" + result.error +
                     "); the connection is closed.");
                break;
            case Inflater::Status::TooLarge:
                Fail("The server's compressed text (MCCP) inflates beyond any game's output; "
                     "the connection is closed.");
                break;
            }
        } else {
            bytes.remove_prefix(Parse(bytes));
        }
    }
}

std::size_t TelnetProtocol::Parse(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const unsigned char byte = data[i];
        switch (state_) {
        case State::Data: {
            const void* iac = std::memchr(data + i, kIac, size - i);
            const std::size_t end =
                iac ? static_cast<std::size_t>(static_cast<const unsigned char*>(iac) - data)
                    : size;
            text_.append(bytes.data() + i, end - i);
            i = end;
            if (iac) {
                state_ = State::Iac;
                ++i;
            }
            continue;
        }
        case State::Iac:
            state_ = State::Data;
            if (byte == kIac) {
                text_.append("\xFF\xFF", 2); // the data byte 0xFF, left for the screen
            } else if (byte >= kWill && byte <= kDont) {
                command_ = byte;
                state_ = State::Negotiate;
            } else if (byte == kSb) {
                state_ = State::SubOption;
            } else if (byte == kGa || byte == kEor) {
                FlushText();
                events_.PromptEnd();
            } // NOP, a stray SE and the other two-byte commands mean nothing here
            break;
        case State::Negotiate:
            state_ = State::Data;
            Negotiate(command_, byte);
            break;
        case State::SubOption:
            subOption_ = byte;
            sub_.clear();
            state_ = State::SubData;
            break;
        case State::SubData:
        case State::SubDiscard:
            if (byte == kIac) {
                subIacFrom_ = state_;
                state_ = State::SubIac;
            } else if (state_ == State::SubData) {
                AddSubnegotiationByte(byte);
            }
            break;
        case State::SubIac:
            if (byte == kIac) {
                state_ = subIacFrom_;
                if (state_ == State::SubData) AddSubnegotiationByte(byte);
            } else if (subIacFrom_ == State::SubDiscard) {
                state_ = State::Data; // the end of an abandoned one: nothing to act on
            } else {
                // IAC SE ends it; any other command after IAC ends it as well (a server
                // that forgot SE) and is itself ignored.
                state_ = State::Data;
                Subnegotiation();
                if (startCompression_) {
                    startCompression_ = false;
                    FlushText();
                    StartStream();
                    return i + 1;
                }
            }
            break;
        }
        ++i;
    }
    return size;
}

void TelnetProtocol::Negotiate(unsigned char command, unsigned char option) {
    if (option == kEcho) {
        // The server's echo offers drive the input line's masking, as on a connection
        // without negotiation; they are never answered.
        if (command == kWill || command == kWont) {
            const char group[] = {'\xFF', static_cast<char>(command), static_cast<char>(kEcho)};
            text_.append(group, sizeof group);
        }
        return;
    }
    const auto cmd = static_cast<Command>(command);
    const bool his = command == kWill || command == kWont;
    const bool accept = his ? AcceptHis(option) : AcceptOurs(option);
    const OptionStates::Answer answer = options_.Received(cmd, option, accept);
    if (answer.send) {
        const char reply[] = {'\xFF', static_cast<char>(answer.reply), static_cast<char>(option)};
        Send(std::string_view(reply, sizeof reply));
    }
    if (answer.changed && answer.enabled) OptionEnabled(his ? Side::Him : Side::Us, option);
    if (option == kTerminalType && !answer.enabled) terminalTypeAnswers_ = 0;
}

void TelnetProtocol::OptionEnabled(Side side, unsigned char option) {
    if (side == Side::Us) {
        if (option == kWindowSize) {
            // Agreed again after a DONT: the server has forgotten the size it was told.
            sentColumns_ = sentRows_ = -1;
            SendWindowSize();
        }
        if (option == kTerminalType) terminalTypeAnswers_ = 0;
        return;
    }
    if (option == kGmcp) {
        std::string hello = "Core.Hello {\"client\":\"TavClient\",\"version\":\"";
        hello += identity_.version;
        hello += "\"}";
        SendGmcp(hello);
        SendGmcp("Core.Supports.Set [\"Core 1\",\"Char 1\",\"Char.Vitals 1\",\"Room 1\","
                 "\"Comm 1\",\"Comm.Channel 1\"]");
    } else if (option == kMsdp) {
        std::string report;
        report.push_back(static_cast<char>(kMsdpVar));
        report += "REPORT";
        // The room variables feed the automapper: ROOM is the whole room as one table,
        // the others the same room in pieces, as games offer one or the other.
        for (const char* name :
             {"HEALTH", "HEALTH_MAX", "MANA", "MANA_MAX", "MOVEMENT", "MOVEMENT_MAX", "ROOM_NAME",
              "ROOM_EXITS", "ROOM", "ROOM_AREA", "ROOM_TERRAIN", "ROOM_COORDS", "ROOM_VNUM"}) {
            report.push_back(static_cast<char>(kMsdpVal));
            report += name;
        }
        SendSubnegotiation(kMsdp, report);
    }
}

void TelnetProtocol::AddSubnegotiationByte(unsigned char byte) {
    if (sub_.size() < kMaxSubnegotiation) {
        sub_.push_back(static_cast<char>(byte));
    } else {
        // Abandoned: the rest, up to its end, is never taken for game text.
        sub_.clear();
        state_ = State::SubDiscard;
    }
}

void TelnetProtocol::Subnegotiation() {
    const bool his = options_.Enabled(Side::Him, subOption_);
    const bool ours = options_.Enabled(Side::Us, subOption_);
    switch (subOption_) {
    case kCompress2:
        if (his && !Compressing()) startCompression_ = true;
        break;
    case kTerminalType:
        if (ours && !sub_.empty() && sub_[0] == static_cast<char>(kTerminalTypeSend))
            AnswerTerminalType();
        break;
    case kCharset:
        if ((his || ours) && !sub_.empty() && sub_[0] == static_cast<char>(kCharsetRequest))
            AnswerCharset(std::string_view(sub_).substr(1));
        break;
    case kGmcp:
        if (his) events_.Gmcp(sub_);
        break;
    case kMsdp:
        if (his) events_.Msdp(sub_);
        break;
    case kMssp:
        if (his) events_.Mssp(sub_);
        break;
    default: break;
    }
}

void TelnetProtocol::AnswerTerminalType() {
    // The MTTS cycle: the client's name, then the terminal type, then "MTTS <bits>",
    // which repeats so that the server sees the cycle end.
    std::string answer(1, static_cast<char>(kTerminalTypeIs));
    if (terminalTypeAnswers_ == 0) {
        answer += identity_.clientName;
    } else if (terminalTypeAnswers_ == 1) {
        answer += identity_.terminalType;
    } else {
        answer += "MTTS " + std::to_string(identity_.mttsBits);
    }
    terminalTypeAnswers_ = std::min(terminalTypeAnswers_ + 1, 2);
    SendSubnegotiation(kTerminalType, answer);
}

void TelnetProtocol::AnswerCharset(std::string_view request) {
    // An optional "[TTABLE]" and its version byte come before the separator.
    constexpr std::string_view kTable = "[TTABLE]";
    if (request.substr(0, kTable.size()) == kTable)
        request.remove_prefix(std::min(request.size(), kTable.size() + 1));
    bool utf8 = false;
    if (request.size() > 1 && identity_.acceptUtf8) {
        const char separator = request[0];
        request.remove_prefix(1);
        while (!request.empty() && !utf8) {
            const std::size_t end = std::min(request.find(separator), request.size());
            const std::string_view name = request.substr(0, end);
            utf8 = EqualsNoCase(name, "UTF-8") || EqualsNoCase(name, "UTF8");
            request.remove_prefix(std::min(end + 1, request.size()));
        }
    }
    if (utf8) {
        SendSubnegotiation(kCharset, std::string(1, static_cast<char>(kCharsetAccepted)) + "UTF-8");
        FlushText(); // text before the switch was decoded the old way
        events_.Utf8Agreed();
    } else {
        SendSubnegotiation(kCharset, std::string(1, static_cast<char>(kCharsetRejected)));
    }
}

void TelnetProtocol::SetWindowSize(int columns, int rows) {
    columns_ = std::clamp(columns, 0, 0xFFFF);
    rows_ = std::clamp(rows, 0, 0xFFFF);
    if (options_.Enabled(Side::Us, kWindowSize)) SendWindowSize();
}

void TelnetProtocol::SendWindowSize() {
    if (columns_ <= 0 || rows_ <= 0) return;
    if (columns_ == sentColumns_ && rows_ == sentRows_) return;
    sentColumns_ = columns_;
    sentRows_ = rows_;
    const char size[] = {static_cast<char>(columns_ >> 8), static_cast<char>(columns_ & 0xFF),
                         static_cast<char>(rows_ >> 8), static_cast<char>(rows_ & 0xFF)};
    SendSubnegotiation(kWindowSize, std::string_view(size, sizeof size));
}

void TelnetProtocol::SendGmcp(std::string_view message) {
    if (options_.Enabled(Side::Him, kGmcp)) SendSubnegotiation(kGmcp, message);
}

void TelnetProtocol::SendSubnegotiation(unsigned char option, std::string_view data) {
    std::string bytes = {'\xFF', static_cast<char>(kSb), static_cast<char>(option)};
    bytes += EscapeIac(data);
    bytes += {'\xFF', static_cast<char>(kSe)};
    Send(bytes);
}

void TelnetProtocol::FlushText() {
    if (text_.empty()) return;
    events_.ScreenBytes(text_);
    text_.clear();
}

void TelnetProtocol::Fail(std::string_view reason) {
    FlushText();
    failed_ = true;
    inflater_.reset();
    streamOpen_ = false;
    worker_.reset(); // what it holds is never read
    pending_ = {};
    events_.Failed(reason);
}

} // namespace tav
