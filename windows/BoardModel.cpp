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
    messages_.clear();
}

bool BoardModel::SelectBoard(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= boards_.size()) return false;
    messages_.clear();
    currentBoard_ = boards_[static_cast<std::size_t>(position)].number;
    requests_.SendMsgIndexRequest(currentBoard_);
    return true;
}

bool BoardModel::ReadMessage(int position) {
    if (!ValidMessage(position)) return false;
    requests_.SendMsgRequest(currentBoard_, position);
    return true;
}

bool BoardModel::DeleteMessage(int position) {
    if (!ValidMessage(position)) return false;
    requests_.SendMsgDelete(currentBoard_, position);
    requests_.SendMsgIndexRequest(currentBoard_);
    return true;
}

std::optional<std::string> BoardModel::ReplyHeadingAt(int position) const {
    if (!ValidMessage(position)) return std::nullopt;
    return ReplyHeading(messages_[static_cast<std::size_t>(position)]);
}

bool BoardModel::Post(std::int32_t board, std::string_view heading) {
    if (board < 0) return false;
    return requests_.SendMsgPost(board, LimitHeading(heading)) >= 0;
}

std::optional<std::string> BoardModel::BoardUpdate(std::int32_t board) {
    if (board == currentBoard_ && currentBoard_ >= 0) requests_.SendMsgIndexRequest(board);
    if (board < 0 || static_cast<std::size_t>(board) >= boards_.size()) return std::nullopt;
    const std::string& title = boards_[static_cast<std::size_t>(board)].title;
    if (title.empty()) return std::nullopt;
    return title;
}

} // namespace tav
