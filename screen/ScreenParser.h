#pragma once

#include "settings/ProfileOptions.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tav {

// Result of interpreting bytes (AddText / ProcessText).
enum class ScreenResult {
    None = 0,
    EchoOff = 1, // IAC WONT ECHO: typed input is shown again
    EchoOn = 2,  // IAC WILL ECHO: the server echoes (password entry)
    Held = 3,    // output is held (Scroll Lock); nothing interpreted
};

// Bounds on what the byte stream can make the parser hold.
inline constexpr int kMaxCsiParams = 10;
// A control sequence without its final byte after this many bytes is abandoned.
inline constexpr std::size_t kMaxControlSequence = 256;
// CSI parameter values saturate here instead of overflowing.
inline constexpr int kMaxCsiValue = 1'000'000;

// One control sequence (ESC [ ... final) as the parser read it.
struct ControlSequence {
    const int* values;  // at least one value; a missing one is 0
    const bool* joined; // full colour: the value followed ':' (a sub-parameter)
    int count;
    // The list began with a separator: an empty value stands before values[0].
    bool leadingSeparator;
    unsigned char final;
    // False when no joined[k] is set, so that every value stands alone.
    bool anyJoined = false;
};

// What the parser finds in the byte stream, in order; the screen acts on it.
class ParserEvents {
public:
    virtual ~ParserEvents() = default;
    // Characters one cell each, as bytes (ASCII, the Latin-1 range, '?'); never line ends.
    // `readable` bytes (at least n) may be read at run.
    virtual void OnText(const unsigned char* run, std::size_t n, std::size_t readable) = 0;
    // A line end: CR, LF, VT or FF, to be acted on where it stands.
    virtual void OnLineEnd(unsigned char b) = 0;
    // Unicode characters one cell wide (never line ends).
    virtual void OnNarrow(const char32_t* run, std::size_t n) = 0;
    // A character two cells wide, and a combining mark for the character before it.
    virtual void OnWide(char32_t c) = 0;
    virtual void OnMark(char32_t c) = 0;
    virtual void OnBell() = 0;
    virtual void OnTab() = 0;
    // ESC followed by one of A B C D H J K.
    virtual void OnEscape(unsigned char final) = 0;
    virtual void OnControlSequence(const ControlSequence& sequence) = 0;
};

// The byte parser of a terminal screen: splits the stream into text runs, controls,
// escape and control sequences and the telnet groups a screen takes (the echo offers, a
// subnegotiation skipped whole through IAC SE, IAC IAC as the data byte 0xFF, the other
// two-byte commands), and decodes the bytes 0x80-0xFE in the screen's encoding. Bytes that
// cannot be interpreted yet (an unfinished sequence at the end of a block, or everything
// while the screen is held) stay pending and are read with the next ones; every wait is
// bounded, so no stream makes it hold more than its bounds.
class ScreenParser {
public:
    ScreenParser() { pending_.reserve(4096); }

    // Appends bytes to the pending ones, at most up to `limit` pending bytes in all.
    void Append(const char* bytes, std::size_t count, std::size_t limit = std::string::npos);
    // Interprets the pending bytes as far as they are complete; the last echo group read
    // decides the result (None when there was none).
    ScreenResult Parse(ParserEvents& events);
    // Appends the bytes and interprets what is complete, as Append and Parse would; with
    // nothing pending the bytes are read in place and only an unfinished end is copied.
    ScreenResult Feed(const char* bytes, std::size_t count, ParserEvents& events);
    std::size_t PendingBytes() const { return pending_.size(); }
    // Drops the pending bytes (a reset screen).
    void Clear();

    // How bytes 0x80-0xFE become characters. `held`: the pending bytes were never read,
    // so nothing of them is given up; otherwise a multibyte character left unfinished by
    // the last bytes is given up and shows as '?'.
    void SetEncoding(TextEncoding encoding, bool held);
    TextEncoding Encoding() const { return encoding_; }
    // Full colour reads ':' as a separator and keeps longer parameter lists.
    void SetFullColour(bool full) { fullColour_ = full; }

private:
    // Interprets data[0..length): the pending bytes themselves (fromPending) or the
    // caller's, of which only an unfinished end is kept.
    ScreenResult Run(const unsigned char* data, std::size_t length, bool fromPending,
                     ParserEvents& events);
    // Each returns the index after what it took, or `i` when the bytes end inside it.
    std::size_t Control(std::size_t i, ParserEvents& events);
    std::size_t Escape(std::size_t i, ParserEvents& events);
    std::size_t Sequence(std::size_t i, ParserEvents& events);
    std::size_t Telnet(std::size_t i, ParserEvents& events);
    std::size_t HighBytes(std::size_t i, ParserEvents& events);
    std::size_t Utf8(std::size_t i, ParserEvents& events);
    std::size_t Legacy(std::size_t i, ParserEvents& events);
    // Gathers narrow characters into narrow_ and hands a wide one or a mark over at once.
    void Character(char32_t c, ParserEvents& events);
    void FlushNarrow(ParserEvents& events);

    std::string pending_;
    // The bytes of the pass under way; the handlers read them from here.
    const unsigned char* data_ = nullptr;
    std::size_t length_ = 0;
    std::string mapped_; // a Latin-1 run of high bytes as cells
    TextEncoding encoding_ = TextEncoding::SevenBit;
    bool unicode_ = false; // HasUnicodeCells(encoding_)
    bool fullColour_ = false;
    ScreenResult result_ = ScreenResult::None;
    std::u32string narrow_; // reused by the Unicode decoders
    // How far an unfinished telnet subnegotiation at the start of pending_ has been
    // scanned without finding its end.
    std::size_t subnegScanned_ = 0;
};

} // namespace tav
