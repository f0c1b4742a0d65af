#include "screen/ScreenParser.h"

#include "net/TelnetCodes.h"
#include "screen/BlockScan.h"
#include "screen/FullColourSgr.h"
#include "screen/LegacyCodec.h"
#include "screen/TextDecoder.h"

#include <algorithm>

namespace tav {

namespace {

using telnet::kIac;

constexpr unsigned char kEsc = 27;

// Bytes that belong to a text run: 0x1C..0x7F. The line ends LF, VT, FF and CR end it and
// are handed over one by one; everything else (0x00..0x09, 0x0E..0x1B and 0x80..0xFF) goes
// to the control handlers. A range test rather than a table, so a block of bytes is
// tested at once.
constexpr ByteRange kPrintable{0x1C, 0x7F};
constexpr ByteRange kLineEnds{10, 13};

// Bytes 0x80-0xFE: text in the 8-bit encodings (0xFF is telnet's IAC).
bool IsHighByte(unsigned char b) {
    return b >= 0x80 && b < kIac;
}

} // namespace

void ScreenParser::Append(const char* bytes, std::size_t count, std::size_t limit) {
    const std::size_t room = limit > pending_.size() ? limit - pending_.size() : 0;
    pending_.append(bytes, std::min(count, room));
}

void ScreenParser::Clear() {
    pending_.clear();
    pending_.shrink_to_fit();
    pending_.reserve(4096);
    subnegScanned_ = 0;
}

void ScreenParser::SetEncoding(TextEncoding encoding, bool held) {
    // Outside a hold, a high byte at the start of pending_ can only be the unfinished
    // sequence that ended the last pass; it is shown as given up with the next bytes.
    if (!held && unicode_ && encoding != encoding_ && !pending_.empty() &&
        IsHighByte(static_cast<unsigned char>(pending_[0])))
        pending_ = "?";
    encoding_ = encoding;
    unicode_ = HasUnicodeCells(encoding);
}

ScreenResult ScreenParser::Parse(ParserEvents& events) {
    return Run(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size(), true,
               events);
}

ScreenResult ScreenParser::Feed(const char* bytes, std::size_t count, ParserEvents& events) {
    if (!pending_.empty()) {
        pending_.append(bytes, count);
        return Parse(events);
    }
    // Nothing waits: the caller's bytes are read where they are, and only an unfinished
    // end is kept.
    return Run(reinterpret_cast<const unsigned char*>(bytes), count, false, events);
}

ScreenResult ScreenParser::Run(const unsigned char* data, std::size_t length, bool fromPending,
                               ParserEvents& events) {
    result_ = ScreenResult::None;
    data_ = data;
    length_ = length;
    std::size_t i = 0;
    bool incomplete = false;
    while (i < length) {
        const std::size_t runEnd = i + FindByteOutside(data + i, length - i, kPrintable);
        if (runEnd > i) events.OnText(data + i, runEnd - i, length - i);
        if (runEnd == length) {
            i = length;
            break;
        }
        if (kLineEnds.Holds(data[runEnd])) {
            events.OnLineEnd(data[runEnd]);
            i = runEnd + 1;
            continue;
        }
        // Control sequences outnumber every other control in coloured text: they skip
        // the dispatch through Control and Escape.
        const unsigned char b = data[runEnd];
        const std::size_t next = b == kEsc && runEnd + 1 < length && data[runEnd + 1] == '['
                                     ? Sequence(runEnd, events)
                                 : b == kIac ? Telnet(runEnd, events)
                                             : Control(runEnd, events);
        if (next == runEnd) {
            i = runEnd;
            incomplete = true;
            break;
        }
        i = next;
    }
    data_ = nullptr;
    length_ = 0;
    if (fromPending) {
        if (incomplete)
            pending_.erase(0, i);
        else
            pending_.clear();
    } else if (incomplete) {
        pending_.assign(reinterpret_cast<const char*>(data) + i, length - i);
    }
    return result_;
}

std::size_t ScreenParser::Control(std::size_t i, ParserEvents& events) {
    switch (data_[i]) {
    case 7: // BEL
        events.OnBell();
        return i + 1;
    case 9: // TAB
        events.OnTab();
        return i + 1;
    case kEsc: return Escape(i, events);
    default:
        if (encoding_ != TextEncoding::SevenBit && IsHighByte(data_[i]))
            return HighBytes(i, events);
        return i + 1; // every other control byte (BS included) is ignored, and 7-bit drops
                      // 0x80-0xFE
    }
}

std::size_t ScreenParser::Escape(std::size_t i, ParserEvents& events) {
    if (i + 1 >= length_) return i;
    const unsigned char x = data_[i + 1];
    switch (x) {
    case 'A':
    case 'B':
    case 'C':
    case 'D':
    case 'H':
    case 'J':
    case 'K': events.OnEscape(x); break;
    case 'N':
    case 'O': return i + 1; // only ESC is consumed; the letter is shown as text
    case '[': return Sequence(i, events);
    default: break; // anything else: both bytes consumed
    }
    return i + 2;
}

std::size_t ScreenParser::Sequence(std::size_t i, ParserEvents& events) {
    const std::size_t length = length_;
    const unsigned char* const data = data_;
    if (i + 2 >= length) return i;

    // A sequence that runs on for kMaxControlSequence bytes without its final byte is
    // abandoned there: those bytes are dropped and what follows is read afresh. The rule
    // looks only at the bytes, never at where the socket cut them, and an unfinished
    // sequence waits for more bytes only while it is shorter than that.
    const std::size_t limit = i + kMaxControlSequence;
    const std::size_t end = std::min(length, limit);
    std::size_t j = i + 2;
    // Steps to the next byte; false when there is none yet or the sequence is overlong.
    auto next = [&]() { return ++j < end; };
    auto stop = [&]() { return end == limit ? limit : i; };

    // In full colour ':' separates sub-parameters (38:2::r:g:b) and the list is longer.
    // Each value belongs to the separator before it; a colon joins it to the value before.
    const bool colons = fullColour_;
    const int capacity = colons ? kMaxFullCsiParams : kMaxCsiParams;
    int values[kMaxFullCsiParams];
    bool joined[kMaxFullCsiParams];
    int count = 0;
    int value = 0;
    bool colon = false;
    bool anyColon = false;
    // ':' and ';' follow the digits, so one subtraction sorts a byte: 0-9 a digit, 10 ':',
    // 11 ';', anything else the final byte.
    unsigned sort = static_cast<unsigned char>(data[j] - '0');
    const bool leading = sort == 11 || (sort == 10 && colons);
    if (leading) {
        colon = sort == 10;
        anyColon = colon;
        if (!next()) return stop();
        sort = static_cast<unsigned char>(data[j] - '0');
    }
    for (;;) {
        if (sort <= 9) {
            value = std::min(value * 10 + static_cast<int>(sort), kMaxCsiValue);
        } else if (sort == 11 || (sort == 10 && colons)) {
            if (count < capacity) { // later values are dropped
                joined[count] = colon;
                values[count++] = value;
            }
            value = 0;
            colon = sort == 10;
            anyColon |= colon;
        } else {
            break;
        }
        if (!next()) return stop();
        sort = static_cast<unsigned char>(data[j] - '0');
    }
    if (count < capacity) {
        joined[count] = colon;
        values[count++] = value;
    }
    events.OnControlSequence({values, joined, count, leading, data[j], anyColon});
    return j + 1;
}

std::size_t ScreenParser::Telnet(std::size_t i, ParserEvents& events) {
    using namespace telnet;
    const std::size_t length = length_;
    const unsigned char* const data = data_;
    if (i + 1 >= length) return i;
    const unsigned char command = data[i + 1];
    switch (command) {
    case kWill:
    case kWont:
    case kDo:
    case kDont:
        if (i + 2 >= length) return i;
        if (data[i + 2] == kEcho) {
            if (command == kWill) result_ = ScreenResult::EchoOn;
            if (command == kWont) result_ = ScreenResult::EchoOff;
        }
        return i + 3;
    case kSb: {
        // Subnegotiation: consumed whole through IAC SE; IAC IAC inside is a data byte.
        // One that runs on for kMaxSubnegotiation bytes without its end is abandoned
        // there, the same whether it came in one piece or many.
        const std::size_t limit = i + kMaxSubnegotiation;
        const std::size_t end = std::min(length, limit);
        // An unfinished subnegotiation waits at the start of the pending bytes; the scan
        // goes on where the last pass stopped, so one arriving byte by byte costs linear
        // time, not quadratic.
        std::size_t j = i == 0 && subnegScanned_ > 2 ? subnegScanned_ : i + 2;
        subnegScanned_ = 0;
        for (; j + 1 < end; ++j) {
            if (data[j] != kIac) continue;
            if (data[j + 1] == kSe) return j + 2;
            ++j;
        }
        if (length >= limit) return limit;
        subnegScanned_ = j - i; // the bytes before j hold no end; i becomes 0 next pass
        return i;
    }
    case kIac:
        // IAC IAC is the data byte 0xFF: 'ÿ' in Latin-1, never well-formed UTF-8.
        if (encoding_ != TextEncoding::SevenBit) {
            const unsigned char cell = encoding_ == TextEncoding::Latin1 ? 0xFF : '?';
            events.OnText(&cell, 1, 1);
        }
        return i + 2;
    default: return i + 2; // GA, NOP and the other two-byte commands
    }
}

std::size_t ScreenParser::HighBytes(std::size_t i, ParserEvents& events) {
    if (encoding_ == TextEncoding::Utf8) return Utf8(i, events);
    if (unicode_) return Legacy(i, events);
    // Latin-1: the whole run of 8-bit bytes is text; the C1 controls (0x80-0x9F) have
    // nothing to show and become '?'.
    mapped_.clear();
    std::size_t j = i;
    for (; j < length_ && IsHighByte(data_[j]); ++j)
        mapped_.push_back(static_cast<char>(CellCharacter(data_[j])));
    events.OnText(reinterpret_cast<const unsigned char*>(mapped_.data()), mapped_.size(),
                  mapped_.size());
    return j;
}

void ScreenParser::Character(char32_t c, ParserEvents& events) {
    switch (FitOf(c)) {
    case CellFit::Narrow: narrow_.push_back(c); return;
    case CellFit::Invisible: return;
    case CellFit::Wide:
        FlushNarrow(events);
        events.OnWide(c);
        return;
    case CellFit::Mark:
        FlushNarrow(events);
        events.OnMark(c);
        return;
    }
}

void ScreenParser::FlushNarrow(ParserEvents& events) {
    if (narrow_.empty()) return;
    events.OnNarrow(narrow_.data(), narrow_.size());
    narrow_.clear();
}

std::size_t ScreenParser::Utf8(std::size_t i, ParserEvents& events) {
    // Decodes the run of sequences starting here into cells. A sequence the bytes end
    // inside stays pending for the next read; any other byte that breaks a sequence
    // (CR, LF, ESC, ASCII) ends the run, after a '?' for the broken part.
    narrow_.clear();
    std::size_t j = i;
    const std::string_view bytes(reinterpret_cast<const char*>(data_), length_);
    while (j < length_ && IsHighByte(data_[j])) {
        // Two bytes, as the accented Latin letters take, are read here: a lead C2-DF and
        // a continuation byte are always a character (U+0080-U+07FF).
        const unsigned char lead = data_[j];
        if (lead >= 0xC2 && lead <= 0xDF && j + 1 < length_ && (data_[j + 1] & 0xC0) == 0x80) {
            const auto c = static_cast<char32_t>(((lead & 0x1Fu) << 6) | (data_[j + 1] & 0x3Fu));
            if (c < 0x100)
                narrow_.push_back(static_cast<unsigned char>(CellCharacter(c)));
            else
                Character(c, events);
            j += 2;
            continue;
        }
        const Utf8Step step = DecodeUtf8(bytes.substr(j));
        if (step.kind == Utf8Step::Kind::Incomplete) break;
        if (step.kind != Utf8Step::Kind::Char)
            narrow_.push_back(U'?');
        else if (step.codePoint < 0x100)
            narrow_.push_back(static_cast<unsigned char>(CellCharacter(step.codePoint)));
        else
            Character(step.codePoint, events);
        j += step.length;
    }
    FlushNarrow(events);
    return j;
}

std::size_t ScreenParser::Legacy(std::size_t i, ParserEvents& events) {
    // GB18030 and Big5: a lead byte and the trail bytes after it, which may be ASCII. A
    // character the bytes end inside stays pending for the next read; a byte that begins
    // none, or a sequence iconv maps to nothing, shows as '?'.
    narrow_.clear();
    LegacyCodec& codec = LegacyCodec::ForThread(encoding_);
    std::size_t j = i;
    const std::string_view bytes(reinterpret_cast<const char*>(data_), length_);
    while (j < length_ && IsHighByte(data_[j])) {
        const std::string_view rest = bytes.substr(j);
        const LegacyStep step = ScanLegacy(rest, encoding_);
        if (step.kind == LegacyStep::Kind::Incomplete) break;
        // A sequence that stands for no character (0 here) or for a control shows as '?'.
        const char32_t c = step.kind == LegacyStep::Kind::Char
                               ? codec.DecodeOr(rest.substr(0, step.length), 0)
                               : 0;
        if (c < 0xA0)
            narrow_.push_back(U'?');
        else
            Character(c, events);
        j += step.length;
    }
    FlushNarrow(events);
    return j;
}

} // namespace tav
