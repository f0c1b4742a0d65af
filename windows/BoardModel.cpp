#include "windows/BoardModel.h"

namespace tav {

std::string LimitHeading(std::string_view heading) {
    return std::string(heading.substr(0, kMaxHeadingBytes));
}

std::string ReplyHeading(std::string_view line) {
    const std::size_t at = line.find("::");
    if (at == std::string_view::npos) return {};
    return LimitHeading("re: " + std::string(line.substr(at + 2)));
}

void BoardModel::SetBoards(std::vector<BoardEntry> boards) {
    boards_ = std::move(boards);
    currentBoard_ = 0;
    ClearMessages();
}

void BoardModel::SetMessages(std::vector<std::string> lines) {
    // A reply nobody is known to have asked for (the server's own, or one asked before a
    // reconnect) is taken for the current board.
    std::int32_t board = currentBoard_;
    if (!pending_.empty()) {
        board = pending_.front();
        pending_.pop_front();
    }
    messages_ = std::move(lines);
    messageBoard_ = board;
}

void BoardModel::ClearMessages() {
    messages_.clear();
    messageBoard_ = -1;
}

void BoardModel::RequestIndex(std::int32_t board) {
    if (requests_.SendMsgIndexRequest(board) < 0) return; // no answer will come
    if (pending_.size() == kMaxPendingRequests) pending_.pop_front();
    pending_.push_back(board);
}

bool BoardModel::SelectBoard(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= boards_.size()) return false;
    ClearMessages();
    currentBoard_ = boards_[static_cast<std::size_t>(position)].number;
    RequestIndex(currentBoard_);
    return true;
}

bool BoardModel::ReadMessage(int position) {
    if (!ValidMessage(position)) return false;
    requests_.SendMsgRequest(messageBoard_, position);
    return true;
}

bool BoardModel::DeleteMessage(int position) {
    if (!ValidMessage(position)) return false;
    const std::int32_t board = messageBoard_;
    requests_.SendMsgDelete(board, position);
    RequestIndex(board);
    return true;
}

std::optional<std::string> BoardModel::ReplyHeadingAt(int position) const {
    if (!ValidMessage(position)) return std::nullopt;
    return ReplyHeading(messages_[static_cast<std::size_t>(position)]);
}

bool BoardModel::PostReply(std::string_view heading) {
    if (messageBoard_ < 0) return false;
    requests_.SendMsgPost(messageBoard_, LimitHeading(heading));
    return true;
}

bool BoardModel::PostMessage(std::string_view heading) {
    if (currentBoard_ < 0) return false;
    requests_.SendMsgPost(currentBoard_, LimitHeading(heading));
    return true;
}

std::optional<std::string> BoardModel::BoardUpdate(std::int32_t board) {
    if (board == currentBoard_ && currentBoard_ >= 0) RequestIndex(board);
    if (board < 0 || static_cast<std::size_t>(board) >= boards_.size()) return std::nullopt;
    const std::string& title = boards_[static_cast<std::size_t>(board)].title;
    if (title.empty()) return std::nullopt;
    return title;
}

} // namespace tav
