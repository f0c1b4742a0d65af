#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace tav::fuzz {

// The screen fuzzer's script: one byte names an operation (modulo kScreenOpCount), the
// bytes after it are its arguments; a script that ends early reads zeros.
enum class ScreenOp : std::uint8_t {
    Feed,      // length n (one byte), then n bytes for AddText
    Resize,    // rows, columns (one byte each): SetSize to that many cells
    ScrollBar, // request (ScrollRequest, modulo 9), position (two bytes, signed)
    PageUp,    // one byte: bit 0 paints at once
    PageDown,  // one byte: bit 0 paints at once
    Hold,      // ToggleHold, as Scroll Lock does
    Reset,     // two bytes: ResetScreen(1 + value % kMaxResetLines)
    Modes,     // two bytes: autowrap, appendcr, smoothscroll, urlaware, visualbell, full
               // colour, wide buffer and line attribute bits, then the text encoding (modulo 5)
    Select,    // kind, x, y (one byte each): the mouse, select all, clear, copy, URL
    Line,      // one byte: one of the last lines taken (bits 0-2) is gagged or coloured (bit 3)
    Prompt,    // EndPrompt, as a prompt mark from the server ends a prompt
};
inline constexpr int kScreenOpCount = 11;
// How many of the last completed lines the Line operation can reach.
inline constexpr std::size_t kRecentTakenLines = 8;
// Small scrollbacks keep each run quick.
inline constexpr int kMaxResetLines = 400;

inline void AppendOp(std::string& script, ScreenOp op, std::string_view arguments = {}) {
    script.push_back(static_cast<char>(op));
    script.append(arguments);
}

// Feeds `bytes` in operations of at most 255 bytes.
inline void AppendFeed(std::string& script, std::string_view bytes) {
    do {
        const std::size_t n = std::min<std::size_t>(bytes.size(), 255);
        AppendOp(script, ScreenOp::Feed);
        script.push_back(static_cast<char>(n));
        script.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
    } while (!bytes.empty());
}

inline void AppendResize(std::string& script, int rows, int cols) {
    AppendOp(script, ScreenOp::Resize);
    script.push_back(static_cast<char>(rows));
    script.push_back(static_cast<char>(cols));
}

} // namespace tav::fuzz
