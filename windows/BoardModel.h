#pragma once

#include "client/ClientRequests.h"
#include "client/MessageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Headings go into a 128-byte header text: 127 bytes and the NUL.
inline constexpr std::size_t kMaxHeadingBytes = 127;

// The heading a reply to a message index line proposes: "re: " and the text after the
// first "::", at most kMaxHeadingBytes bytes; empty for a line without "::".
std::string ReplyHeading(std::string_view line);
// The first kMaxHeadingBytes bytes of a heading.
std::string LimitHeading(std::string_view heading);

// What the boards window knows about the boards and sends for them, without the widgets:
// the board index, the current board (the one chosen last) and the message list.
//
// A message index reply does not say which board it lists: it is taken for the current
// board, and reading, replying and deleting go to the current board. Pairing each reply
// with the oldest request in flight instead goes wrong for good, by one board more each
// time, as soon as one request is answered otherwise (a text such as "No such board.") or
// not at all. This rule cannot drift; only while the user moves on faster than the server
// answers can the list show an earlier board's lines for a moment.
class BoardModel {
public:
    explicit BoardModel(ClientRequests& requests) : requests_(requests) {}

    // A new board index: the current board becomes 0 and the message list is emptied.
    void SetBoards(std::vector<BoardEntry> boards);
    // A message index reply, the current board's.
    void SetMessages(std::vector<std::string> lines) { messages_ = std::move(lines); }

    const std::vector<BoardEntry>& Boards() const { return boards_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    // The current board; negative before a board index arrived.
    std::int32_t CurrentBoard() const { return currentBoard_; }

    // The board at a board list position becomes current, the message list is emptied and
    // its index asked for. False when the position holds no board.
    bool SelectBoard(int position);
    // Asks for the message at a message list position. False (nothing sent) when the
    // position holds no message.
    bool ReadMessage(int position);
    // Deletes the message at a message list position and asks for the index again.
    bool DeleteMessage(int position);
    // The heading a reply to the message at a position proposes, or nothing when the
    // position holds no message.
    std::optional<std::string> ReplyHeadingAt(int position) const;
    // Posts to a board with the heading (cut to the limit). The board is the one current
    // when the heading was asked for, which a board index arriving meanwhile may have
    // changed. False when it is no board or the post could not be sent.
    bool Post(std::int32_t board, std::string_view heading);
    // A board's content changed: its index is asked for again when it is the current
    // board. Returns the title to notify of, or nothing when the number is no board list
    // position or the title is empty.
    std::optional<std::string> BoardUpdate(std::int32_t board);

private:
    bool ValidMessage(int position) const {
        return currentBoard_ >= 0 && position >= 0 &&
               static_cast<std::size_t>(position) < messages_.size();
    }

    ClientRequests& requests_;
    std::vector<BoardEntry> boards_;
    std::vector<std::string> messages_;
    std::int32_t currentBoard_ = -1;
};

} // namespace tav
