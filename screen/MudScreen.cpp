#include "screen/MudScreen.h"

#include "screen/BlockScan.h"
#include "screen/LegacyCodec.h"
#include "screen/TextDecoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <tuple>

namespace tav {

namespace {

constexpr unsigned char kEsc = 27;
constexpr unsigned char kIac = 0xFF;
constexpr unsigned char kSe = 0xF0;
constexpr unsigned char kSb = 0xFA;
constexpr unsigned char kWill = 0xFB;
constexpr unsigned char kWont = 0xFC;
constexpr unsigned char kDo = 0xFD;
constexpr unsigned char kDont = 0xFE;
constexpr unsigned char kEchoOption = 0x01;

// Bytes that belong to a text run: 0x1C..0x7F and LF, VT, FF, CR. Everything else
// (0x00..0x09, 0x0E..0x1B and 0x80..0xFF) ends the run and goes to the control handlers.
// Two range tests rather than a table, so a block of bytes is tested at once.
constexpr bool IsTextByte(unsigned char b) {
    return static_cast<unsigned char>(b - 0x1C) <= 0x7F - 0x1C ||
           static_cast<unsigned char>(b - 10) <= 13 - 10;
}

// Bytes 0x80-0xFE: text in the 8-bit encodings (0xFF is telnet's IAC).
bool IsHighByte(unsigned char b) {
    return b >= 0x80 && b < kIac;
}

constexpr bool IsLineEnd(unsigned char b) {
    return static_cast<unsigned char>(b - 10) <= 13 - 10;
}

bool IsUrlSpace(Cell ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

} // namespace

TMudScreen::TMudScreen(const Settings& settings, ScreenView* view)
    : settings_(settings), view_(view ? view : &nullView_), buffer_(100) {
    pending_.reserve(4096);
}

// --- feeding --------------------------------------------------------------------------

ScreenResult TMudScreen::AddText(const char* bytes, std::size_t count) {
    if (hold_) {
        // Held output is bounded: what does not fit is dropped rather than kept forever.
        std::size_t room = kMaxHeldBytes > pending_.size() ? kMaxHeldBytes - pending_.size() : 0;
        pending_.append(bytes, std::min(count, room));
        view_->FrameHold(true);
        return ScreenResult::Held;
    }
    pending_.append(bytes, count);
    return ProcessText();
}

ScreenResult TMudScreen::AddString(const char* text) {
    return AddText(text, text ? std::strlen(text) : 0);
}

std::optional<std::string> TMudScreen::TakeLine() {
    if (lineQueue_.empty()) return std::nullopt;
    std::string line = std::move(lineQueue_.front().text);
    lineQueue_.pop_front();
    return line;
}

std::optional<TakenLine> TMudScreen::TakeLineWithAttributes() {
    if (lineQueue_.empty()) return std::nullopt;
    TakenLine line = std::move(lineQueue_.front());
    lineQueue_.pop_front();
    return line;
}

ScreenResult TMudScreen::ProcessText() {
    lineQueue_.clear();
    passScrolls_ = 0;
    result_ = ScreenResult::None;

    const auto* data = reinterpret_cast<const unsigned char*>(pending_.data());
    const std::size_t length = pending_.size();
    std::size_t i = 0;
    bool incomplete = false;
    while (i < length) {
        const std::size_t runEnd =
            i + FindFirst(data + i, length - i, [](unsigned char b) { return !IsTextByte(b); });
        if (runEnd > i) PutText(pending_.data() + i, runEnd - i);
        if (runEnd == length) {
            i = length;
            break;
        }
        std::size_t next = data[runEnd] == kIac ? DoTelnet(runEnd) : DoControl(runEnd);
        if (next == runEnd) {
            i = runEnd;
            incomplete = true;
            break;
        }
        i = next;
    }

    if (incomplete)
        pending_.erase(0, i);
    else
        pending_.clear();

    view_->InvalidateRow(row_);
    if (!smoothscroll && passScrolls_ > 0 && row_ >= rows_ - 1)
        ScrollView(-passScrolls_, false, true);
    view_->UpdateView();
    return result_;
}

void TMudScreen::PutText(const char* run, std::size_t n) {
    PutCells(reinterpret_cast<const unsigned char*>(run), n);
}

template <typename Unit> void TMudScreen::PutCells(const Unit* run, std::size_t n) {
    std::size_t k = 0;
    while (k < n) {
        const auto b = run[k];
        if (b < 0x80 && IsLineEnd(static_cast<unsigned char>(b))) {
            if (b == '\r') {
                if (!appendcr) col_ = bufCol_ = 0;
            } else {
                passScrolls_ += NewLine();
                if (appendcr) col_ = bufCol_ = 0;
            }
            ++k;
            continue;
        }
        // A stretch of printable characters: store as many as fit before the wrap.
        std::size_t chunk = FindFirst(run + k, n - k, [](Unit u) {
            return u < 0x80 && IsLineEnd(static_cast<unsigned char>(u));
        });
        if (autowrap)
            chunk = std::min<std::size_t>(chunk,
                                          static_cast<std::size_t>(std::max(1, cols_ - 1 - col_)));

        ScreenLine& line = buffer_[bufLine_];
        deepest_ = std::max(deepest_, bufLine_);
        const auto fit = static_cast<std::size_t>(kBufferColumns - bufCol_);
        line.PrepareWrite(bufCol_, bufCol_ + static_cast<int>(std::min(chunk, fit)));
        if (chunk < fit) {
            WidenCopy(run + k, chunk, line.ch + bufCol_);
            BlockFill(line.attr + bufCol_, chunk, attr_);
            line.SetColors(bufCol_, bufCol_ + static_cast<int>(chunk), textColor_, backColor_);
            bufCol_ += static_cast<int>(chunk);
        } else {
            // Everything past the last column lands in it; the last character wins.
            WidenCopy(run + k, fit - 1, line.ch + bufCol_);
            BlockFill(line.attr + bufCol_, fit, attr_);
            line.SetColors(bufCol_, kBufferColumns, textColor_, backColor_);
            line.ch[kBufferColumns - 1] = run[k + chunk - 1];
            bufCol_ = kBufferColumns - 1;
        }
        const long long col = static_cast<long long>(col_) + static_cast<long long>(chunk);
        k += chunk;
        AdvanceAfterWrite(col);
    }
}

void TMudScreen::AdvanceAfterWrite(long long col) {
    if (col >= cols_ - 1) {
        if (autowrap) {
            passScrolls_ += NewLine();
            col_ = bufCol_ = 0;
        } else {
            col_ = static_cast<int>(std::min<long long>(col, kBufferColumns - 1));
        }
    } else {
        col_ = static_cast<int>(col);
    }
}

void TMudScreen::PutWide(char32_t c) {
    // A wide character never splits at the right edge: with autowrap it goes to the next
    // line when its right half would reach the wrap column; without, or in the last
    // buffer column, it takes the two cells that end there.
    if (autowrap && col_ > 0 && col_ + 2 > cols_ - 1) {
        passScrolls_ += NewLine();
        col_ = bufCol_ = 0;
    }
    const int at = std::min(bufCol_, kBufferColumns - 2);
    ScreenLine& line = buffer_[bufLine_];
    line.PrepareWrite(at, at + 2);
    line.ch[at] = c;
    line.ch[at + 1] = kWideTail;
    line.attr[at] = line.attr[at + 1] = attr_;
    line.SetColors(at, at + 2, textColor_, backColor_);
    bufCol_ = std::min(at + 2, kBufferColumns - 1);
    AdvanceAfterWrite(static_cast<long long>(col_) + 2);
}

void TMudScreen::AttachMark(char32_t mark) {
    // The mark joins the character just written on this line; with none there it is
    // dropped, as are marks beyond what a cell keeps.
    if (bufCol_ == 0) return;
    ScreenLine& line = buffer_[bufLine_];
    int k = bufCol_ - 1;
    if (line.ch[k] == 0) return;
    if (line.ch[k] == kWideTail && k > 0) --k;
    line.AddMark(k, mark);
}

void TMudScreen::PutCharacter(char32_t c, std::u32string& narrow) {
    switch (FitOf(c)) {
    case CellFit::Narrow: narrow.push_back(c); return;
    case CellFit::Invisible: return;
    case CellFit::Wide:
    case CellFit::Mark: break;
    }
    if (!narrow.empty()) {
        PutCells(narrow.data(), narrow.size());
        narrow.clear();
    }
    if (FitOf(c) == CellFit::Wide)
        PutWide(c);
    else
        AttachMark(c);
}

int TMudScreen::NewLine() {
    if (scrolledBack_) {
        top_ = savedTop_;
        view_->InvalidateScreen();
        view_->UpdateView();
        view_->Scrolled();
        scrolledBack_ = false;
    }
    view_->InvalidateRow(row_);

    const ScreenLine& line = buffer_[bufLine_];
    // One scan finds where the text ends, or the first colon, which every URL has; a
    // line without one needs no look for URLs.
    const auto stop = static_cast<int>(
        FindFirst(line.ch, kBufferColumns, [](Cell c) { return c == 0 || c == ':'; }));
    const bool colon = stop < kBufferColumns && line.ch[stop] == ':';
    const int length = colon ? TextLength(line) : stop;
    if (settings_.urlaware && colon) MarkUrls(length);
    // The prompt at the start of this line was handed over already.
    const bool promptKept = PromptKept();
    const bool removeNow = removePrompt_ && promptKept;
    const int from = promptKept ? std::min(promptLength_, length) : 0;
    if (from < length)
        QueueLine(line, from, length);
    else if (!promptKept)
        QueueLine(line, 0, 0);
    promptLine_ = -1;
    removePrompt_ = false;
    if (removeNow) {
        // A gagged prompt's line goes now that it is complete: the cursor stays on the
        // buffer line, which the line below has moved into.
        RemoveLine(bufLine_);
        return 0;
    }

    if (bufLine_ >= buffer_.Lines() - 1) {
        buffer_.Advance(attr_);
        bufLine_ = buffer_.Lines() - 1;
    } else {
        ++bufLine_;
    }

    if (row_ >= rows_ - 1) {
        scrollMax_ = top_;
        top_ = std::min(top_ + 1, buffer_.Lines() - rows_);
        view_->Scrolled();
        if (smoothscroll) ScrollView(-1, false, true);
        row_ = rows_ - 1;
        return 1;
    }
    ++row_;
    view_->UpdateView();
    return 0;
}

void TMudScreen::MarkUrls(int length) {
    // Every prefix has its one ':' where the scheme ends, so a single walk over the colons
    // finds them all; each line pays for one scan however many prefixes there are. The
    // walk reads the cells themselves: a character beyond ASCII matches no prefix and is
    // no space, so it is part of a URL.
    ScreenLine& line = buffer_[bufLine_];
    const Cell* const cells = line.ch;
    const auto end = static_cast<std::size_t>(length);
    auto isColon = [](Cell c) { return c == ':'; };
    for (std::size_t colon = FindFirst(cells, end, isColon); colon < end;
         colon += 1 + FindFirst(cells + colon + 1, end - colon - 1, isColon)) {
        for (std::string_view prefix : kUrlPrefixes) {
            const std::size_t scheme = prefix.find(':');
            if (colon < scheme || colon - scheme + prefix.size() > end ||
                !std::equal(
                    prefix.begin(), prefix.end(), cells + (colon - scheme),
                    [](char p, Cell c) { return Cell{static_cast<unsigned char>(p)} == c; }))
                continue;
            std::size_t k = colon - scheme;
            while (k < end && !IsUrlSpace(cells[k]))
                line.attr[k++] |= attr::kUrl;
            break;
        }
    }
}

// --- controls and escapes -------------------------------------------------------------

std::size_t TMudScreen::DoControl(std::size_t i) {
    switch (static_cast<unsigned char>(pending_[i])) {
    case 7: // BEL
        view_->Bell(bellPath);
        if (settings_.visualbell) {
            view_->VisualBell();
            view_->InvalidateScreen();
        }
        return i + 1;
    case 9: { // TAB
        col_ = std::min((col_ / 8) * 8 + 8, kBufferColumns - 1);
        int newCol = std::min((bufCol_ / 8) * 8 + 8, kBufferColumns - 1);
        ScreenLine& line = buffer_[bufLine_];
        line.PrepareWrite(bufCol_, newCol);
        for (int k = bufCol_; k < newCol; ++k) {
            line.ch[k] = ' ';
            line.attr[k] = attr_;
        }
        line.SetColors(bufCol_, newCol, textColor_, backColor_);
        bufCol_ = newCol;
        return i + 1;
    }
    case kEsc: return DoEscape(i);
    default:
        if (encoding_ != TextEncoding::SevenBit &&
            IsHighByte(static_cast<unsigned char>(pending_[i])))
            return DoHighBytes(i);
        return i + 1; // every other control byte (BS included) is ignored, and 7-bit drops
                      // 0x80-0xFE
    }
}

std::size_t TMudScreen::DoHighBytes(std::size_t i) {
    if (encoding_ == TextEncoding::Utf8) return DoUtf8(i);
    if (unicode_) return DoLegacy(i);
    // Latin-1: the whole run of 8-bit bytes is text; the C1 controls (0x80-0x9F) have
    // nothing to show and become '?'. pending_ is ours, so the run is mapped in place.
    std::size_t j = i;
    while (j < pending_.size() && IsHighByte(static_cast<unsigned char>(pending_[j]))) {
        pending_[j] = CellCharacter(static_cast<unsigned char>(pending_[j]));
        ++j;
    }
    PutText(pending_.data() + i, j - i);
    return j;
}

std::size_t TMudScreen::DoUtf8(std::size_t i) {
    // Decodes the run of sequences starting here into cells. A sequence the bytes end
    // inside stays in pending_ for the next read; any other byte that breaks a sequence
    // (CR, LF, ESC, ASCII) ends the run, after a '?' for the broken part.
    std::u32string& narrow = narrowRun_;
    narrow.clear();
    std::size_t j = i;
    while (j < pending_.size() && IsHighByte(static_cast<unsigned char>(pending_[j]))) {
        const Utf8Step step = DecodeUtf8(std::string_view(pending_).substr(j));
        if (step.kind == Utf8Step::Kind::Incomplete) break;
        if (step.kind != Utf8Step::Kind::Char)
            narrow.push_back(U'?');
        else if (step.codePoint < 0x100)
            narrow.push_back(static_cast<unsigned char>(CellCharacter(step.codePoint)));
        else
            PutCharacter(step.codePoint, narrow);
        j += step.length;
    }
    if (!narrow.empty()) PutCells(narrow.data(), narrow.size());
    return j;
}

std::size_t TMudScreen::DoLegacy(std::size_t i) {
    // GB18030 and Big5: a lead byte and the trail bytes after it, which may be ASCII. A
    // character the bytes end inside stays in pending_ for the next read; a byte that
    // begins none, or a sequence iconv maps to nothing, shows as '?'.
    std::u32string& narrow = narrowRun_;
    narrow.clear();
    LegacyCodec& codec = LegacyCodec::ForThread(encoding_);
    std::size_t j = i;
    while (j < pending_.size() && IsHighByte(static_cast<unsigned char>(pending_[j]))) {
        const std::string_view rest = std::string_view(pending_).substr(j);
        const LegacyStep step = ScanLegacy(rest, encoding_);
        if (step.kind == LegacyStep::Kind::Incomplete) break;
        const std::optional<char32_t> c = step.kind == LegacyStep::Kind::Char
                                              ? codec.Decode(rest.substr(0, step.length))
                                              : std::nullopt;
        if (!c || *c < 0xA0)
            narrow.push_back(U'?');
        else
            PutCharacter(*c, narrow);
        j += step.length;
    }
    if (!narrow.empty()) PutCells(narrow.data(), narrow.size());
    return j;
}

std::size_t TMudScreen::DoEscape(std::size_t i) {
    if (i + 1 >= pending_.size()) return i;
    const auto x = static_cast<unsigned char>(pending_[i + 1]);
    switch (x) {
    case 'A':
        if (row_ > 0) --row_;
        break;
    case 'B':
        if (row_ < rows_ - 1) ++row_;
        break;
    case 'C':
        if (col_ < cols_ - 1) ++col_;
        break;
    case 'D':
        if (col_ > 0) --col_;
        break;
    case 'H': GotoXY(0, 0); break;
    case 'J': EraseToEndOfScreen(); break;
    case 'K': EraseToEndOfLine(); break;
    case 'N':
    case 'O': return i + 1; // only ESC is consumed; the letter is shown as text
    case '[': return DoAnsi(i);
    default: break; // anything else: both bytes consumed
    }
    return i + 2;
}

std::size_t TMudScreen::DoAnsi(std::size_t i) {
    const std::size_t length = pending_.size();
    const auto* data = reinterpret_cast<const unsigned char*>(pending_.data());
    if (i + 2 >= length) return i;

    // A sequence that runs on for kMaxControlSequence bytes without its final byte is
    // abandoned there: those bytes are dropped and what follows is read afresh. The rule
    // looks only at the bytes, never at where the socket cut them, and an unfinished
    // sequence waits for more bytes only while it is shorter than that.
    const std::size_t limit = i + kMaxControlSequence;
    std::size_t j = i + 2;
    // Steps to the next byte; false when there is none yet or the sequence is overlong.
    auto next = [&]() { return ++j < length && j < limit; };
    auto stop = [&]() { return j >= limit ? limit : i; };

    // In full colour ':' separates sub-parameters (38:2::r:g:b) and the list is longer.
    const bool full = colourMode_ == ColourMode::Full;
    const int capacity = full ? kMaxFullCsiParams : kMaxCsiParams;
    auto separator = [&](unsigned char b) { return b == ';' || (full && b == ':'); };
    // One slot in front for a graphic rendition list that starts with an empty value.
    int list[kMaxFullCsiParams + 1];
    bool joinedList[kMaxFullCsiParams + 1];
    int* values = list + 1;
    bool* joined = joinedList + 1;
    const unsigned char leading = data[j];
    int count = 0;
    for (;;) {
        int value = 0;
        bool colon = false;
        if (separator(data[j])) {
            colon = data[j] == ':';
            if (!next()) return stop();
        }
        while (data[j] >= '0' && data[j] <= '9') {
            value = std::min(value * 10 + (data[j] - '0'), kMaxCsiValue);
            if (!next()) return stop();
        }
        if (count < capacity) { // later values are dropped
            joined[count] = colon;
            values[count++] = value;
        }
        if (!separator(data[j])) break;
    }

    const unsigned char final = data[j];
    const int p0 = values[0];
    const int p1 = count > 1 ? values[1] : 0;
    switch (final) {
    case 'A': MoveCursor(-p0, 0); break;
    case 'B': MoveCursor(p0, 0); break;
    case 'C': MoveCursor(0, p0); break;
    case 'D': MoveCursor(0, -p0); break;
    case 'H':
    case 'f':
        if (count == 1)
            GotoXY(std::max(p0, 0), 0);
        else if (count == 2)
            GotoXY(std::max(p0, 0), std::max(p1, 0));
        break;
    case 'J':
        if (p0 == 1)
            EraseFromStartOfScreen();
        else
            ClearScreen();
        break;
    case 'K':
        if (p0 == 1)
            EraseFromStartOfLine();
        else
            EraseLine(row_);
        break;
    case 'm':
        if (full) {
            // The separator a list starts with follows an empty value, as anywhere else.
            if (separator(leading)) {
                list[0] = 0;
                joinedList[0] = false;
                ApplyFullColourSgr(rendition_, list, joinedList, count + 1);
            } else {
                joined[0] = false;
                ApplyFullColourSgr(rendition_, values, joined, count);
            }
            attr_ = rendition_.attr;
            std::tie(textColor_, backColor_) = WrittenColors(rendition_);
        } else {
            SelectGraphicRendition(values, count);
        }
        break;
    default: break;
    }
    return j + 1;
}

void TMudScreen::SelectGraphicRendition(const int* values, int count) {
    constexpr Attr kColourMask = 0x1E1; // normal, the three colour bits and gray
    for (int k = 0; k < count; ++k) {
        switch (values[k]) {
        case 0: attr_ = count == 1 ? attr::kNormal : attr::kGray; break;
        case 1: attr_ |= attr::kBold; break;
        case 4: attr_ |= attr::kUnderline; break;
        case 5: attr_ |= attr::kBlink; break;
        case 7: attr_ |= attr::kReverse; break;
        case 31: attr_ = (attr_ & ~kColourMask) | 0x20; break;
        case 32: attr_ = (attr_ & ~kColourMask) | 0x40; break;
        case 33: attr_ = (attr_ & ~kColourMask) | 0x60; break;
        case 34: attr_ = (attr_ & ~kColourMask) | 0x80; break;
        case 35: attr_ = (attr_ & ~kColourMask) | 0xA0; break;
        case 36: attr_ = (attr_ & ~kColourMask) | 0xC0; break;
        case 37: attr_ = (attr_ & ~attr::kGray) | 0xE0; break; // keeps the normal bit
        default: break;
        }
    }
}

std::size_t TMudScreen::DoTelnet(std::size_t i) {
    const std::size_t length = pending_.size();
    const auto* data = reinterpret_cast<const unsigned char*>(pending_.data());
    if (i + 1 >= length) return i;
    const unsigned char command = data[i + 1];
    switch (command) {
    case kWill:
    case kWont:
    case kDo:
    case kDont:
        if (i + 2 >= length) return i;
        if (data[i + 2] == kEchoOption) {
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
            const char cell = encoding_ == TextEncoding::Latin1 ? '\xFF' : '?';
            PutText(&cell, 1);
        }
        return i + 2;
    default: return i + 2; // GA, NOP and the other two-byte commands
    }
}

// --- cursor and erasing ---------------------------------------------------------------

void TMudScreen::GotoXY(int row, int col) {
    row_ = std::clamp(row, 0, rows_ - 1);
    col_ = std::clamp(col, 0, cols_ - 1);
    bufLine_ = top_ + row_;
    bufCol_ = col_;
}

void TMudScreen::MoveCursor(int dy, int dx) {
    auto add = [](int a, int b, int hi) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(a) + b, 0, hi));
    };
    row_ = add(row_, dy, rows_ - 1);
    col_ = add(col_, dx, cols_ - 1);
    bufLine_ = add(bufLine_, dy, buffer_.Lines() - 1);
    bufCol_ = add(bufCol_, dx, kBufferColumns - 1);
}

void TMudScreen::BlankCells(ScreenLine& line, int from, int to) {
    if (from == 0 && to == kBufferColumns)
        line.Blank(attr_);
    else
        line.Blank(from, to, attr_);
    // Full colour erases in the current background.
    if (rendition_.back) line.SetColors(from, to, 0, rendition_.back);
}

void TMudScreen::EraseLine(int row) {
    if (row < 0 || row >= rows_) return; // only rows on the screen
    BlankCells(buffer_[top_ + row], 0, kBufferColumns);
    view_->InvalidateRow(row);
}

void TMudScreen::EraseToEndOfLine() {
    BlankCells(buffer_[top_ + row_], col_, kBufferColumns);
    view_->InvalidateRow(row_);
}

void TMudScreen::EraseToEndOfScreen() {
    EraseToEndOfLine();
    for (int k = row_ + 1; k < rows_; ++k)
        EraseLine(k);
}

void TMudScreen::EraseFromStartOfLine() {
    BlankCells(buffer_[top_ + row_], 0, std::min(col_ + 1, kBufferColumns));
    view_->InvalidateRow(row_);
}

void TMudScreen::EraseFromStartOfScreen() {
    EraseFromStartOfLine();
    for (int k = 0; k < row_; ++k)
        EraseLine(k);
}

void TMudScreen::ClearScreen() {
    for (int k = 0; k < rows_; ++k)
        EraseLine(k);
    GotoXY(0, 0);
}

void TMudScreen::ResetScreen(int lines) {
    ClearScreen();
    buffer_.Reset(std::clamp(lines, 1, kMaxScreenLines));
    rows_ = std::min(rows_, buffer_.Lines());
    top_ = savedTop_ = 0;
    row_ = col_ = bufLine_ = bufCol_ = deepest_ = 0;
    promptLine_ = -1;
    removePrompt_ = false;
    // The selection's cells are gone; its ends stay, but inside the smaller buffer.
    anchor_.line = std::min(anchor_.line, buffer_.Lines() - 1);
    end_.line = std::min(end_.line, buffer_.Lines() - 1);
    pending_.clear();
    subnegScanned_ = 0;
    pending_.shrink_to_fit();
    pending_.reserve(4096);
    scrollMax_ = buffer_.Lines() - rows_;
    view_->Scrolled();
    view_->InvalidateScreen();
}

// --- geometry -------------------------------------------------------------------------

int TMudScreen::LimitTop(long long top) const {
    return static_cast<int>(std::clamp<long long>(top, 0, buffer_.Lines() - rows_));
}

void TMudScreen::SetSize(int rows, int cols) {
    // A window smaller than one cell (a minimised one) still keeps one row and one
    // column, so every position stays inside the buffer.
    cols_ = std::clamp(cols, 1, kBufferColumns);
    rows_ = std::clamp(rows, 1, buffer_.Lines());
    top_ = LimitTop(bufLine_ - rows_ + 1);
    row_ = bufLine_ - top_;
    col_ = std::min(col_, cols_ - 1);
    // The new top line is the live position for the new height. A top saved before the
    // resize may lie beyond the new last top line; the next line end would copy it back
    // and place the cursor past the buffer.
    savedTop_ = top_;
    scrolledBack_ = false;
    scrollMax_ = buffer_.Lines() - rows_;
    view_->Scrolled();
}

// --- hold and text extraction ---------------------------------------------------------

void TMudScreen::SetEncoding(TextEncoding encoding) {
    // Outside a hold, a high byte at the start of pending_ can only be the unfinished
    // sequence that ended the last pass; it is shown as given up with the next bytes.
    if (!hold_ && unicode_ && encoding != encoding_ && !pending_.empty() &&
        IsHighByte(static_cast<unsigned char>(pending_[0])))
        pending_ = "?";
    encoding_ = encoding;
    unicode_ = HasUnicodeCells(encoding);
}

void TMudScreen::SetColourMode(ColourMode mode) {
    if (mode == colourMode_) return;
    colourMode_ = mode;
    rendition_ = Rendition{};
    attr_ = attr::kNormal;
    textColor_ = backColor_ = 0;
}

void TMudScreen::ToggleHold() {
    if (!hold_) {
        hold_ = true;
        return;
    }
    if (ReleaseHold()) AddText(" ", 1);
}

bool TMudScreen::ReleaseHold() {
    if (!hold_) return false;
    hold_ = false;
    view_->FrameHold(false);
    return !pending_.empty();
}

std::optional<std::string> TMudScreen::GetSelectedText() const {
    if (!hasSelection_) return std::nullopt;
    const int last = buffer_.Lines() - 1;
    const int from = std::clamp(std::min(anchor_.line, end_.line), 0, last);
    const int to = std::clamp(std::max(anchor_.line, end_.line), 0, last);
    std::string text;
    for (int n = from; n <= to; ++n) {
        const ScreenLine& line = buffer_[n];
        for (int k = 0; k < kBufferColumns; ++k)
            if (line.attr[k] & attr::kSelected) AppendCellText(text, line, k, k + 1, unicode_);
        if (n < to) text += "\r\n";
    }
    return text;
}

std::string TMudScreen::GetAllText() const {
    std::string text;
    for (int n = 0; n < buffer_.Lines(); ++n) {
        AppendCellText(text, buffer_[n], 0, kBufferColumns, unicode_);
        if (n + 1 < buffer_.Lines()) text += "\r\n";
    }
    return text;
}

} // namespace tav
