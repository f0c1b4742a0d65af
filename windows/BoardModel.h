#pragma once

#include "client/ClientRequests.h"
#include "client/MessageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <deque>
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
// the board index, the current board (the one selected last), and the message list with
// the board it belongs to.
//
// A message index reply does not say which board it lists. The requests go out and the
// replies come back in order, so each reply belongs to the oldest request still
// unanswered; a reply for a board the user has already left is shown as what it is, and
// reading, replying and deleting go to the board the shown list belongs to, never to a
// board it does not list.
class BoardModel {
public:
    // Unanswered message index requests kept at most (a server that never answers must not
    // make the list grow for ever).
    static constexpr std::size_t kMaxPendingRequests = 64;

    explicit BoardModel(ClientRequests& requests) : requests_(requests) {}

    // A new board index: the current board becomes 0 and the message list is emptied.
    void SetBoards(std::vector<BoardEntry> boards);
    // A message index reply.
    void SetMessages(std::vector<std::string> lines);
    // The connection went: no answer will come for what was asked.
    void ForgetRequests() { pending_.clear(); }

    const std::vector<BoardEntry>& Boards() const { return boards_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    // The current board; negative before a board index arrived.
    std::int32_t CurrentBoard() const { return currentBoard_; }
    // The board the message list belongs to; negative while it is empty.
    std::int32_t MessageBoard() const { return messageBoard_; }

    // The board at a board list position becomes current, the message list is emptied and
    // its index asked for. False when the position holds no board.
    bool SelectBoard(int position);
    // Asks for the message at a message list position. False (nothing sent) when the
    // position holds no message.
    bool ReadMessage(int position);
    // Deletes the message at a message list position and asks for its board's index again.
    bool DeleteMessage(int position);
    // The heading a reply to the message at a position proposes, or nothing when the
    // position holds no message.
    std::optional<std::string> ReplyHeadingAt(int position) const;
    // Posts a reply to the board of the message list with the heading (cut to the limit).
    bool PostReply(std::string_view heading);
    // Posts to the current board.
    bool PostMessage(std::string_view heading);
    // A board's content changed: its index is asked for again when it is the current
    // board. Returns the title to notify of, or nothing when the number is no board list
    // position or the title is empty.
    std::optional<std::string> BoardUpdate(std::int32_t board);

private:
    void ClearMessages();
    void RequestIndex(std::int32_t board);
    bool ValidMessage(int position) const {
        return messageBoard_ >= 0 && position >= 0 &&
               static_cast<std::size_t>(position) < messages_.size();
    }

    ClientRequests& requests_;
    std::vector<BoardEntry> boards_;
    std::vector<std::string> messages_;
    std::int32_t currentBoard_ = -1;
    std::int32_t messageBoard_ = -1;
    std::deque<std::int32_t> pending_; // boards of the unanswered index requests, oldest first
};

} // namespace tav
