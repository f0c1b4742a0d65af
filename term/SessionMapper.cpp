#include "term/SessionMapper.h"

#include "commands/GotoCommand.h"
#include "term/TermSession.h"

#include <utility>

namespace tav {

namespace {

std::string_view EndText(WalkEnd end) {
    switch (end) {
    case WalkEnd::Arrived: return "Walk ended: you have arrived.";
    case WalkEnd::Stopped: return "Walk stopped.";
    case WalkEnd::Unexpected: return "Walk stopped: you are not where the map expected.";
    case WalkEnd::NoAnswer: return "Walk stopped: the game did not answer the last step.";
    }
    return {};
}

} // namespace

SessionMapper::SessionMapper(TermSession& session, EventLoop& loop, LogSink* log)
    : session_(session), loop_(loop), log_(log) {}

SessionMapper::~SessionMapper() {
    if (ticking_) loop_.StopTimer(kMapWalkTimer);
}

void SessionMapper::SetProfile(const std::string& profileDir) {
    steps_.clear();
    mapper_.reset();
    ++mapSerial_;
    if (!profileDir.empty()) {
        mapper_ = std::make_unique<Mapper>(static_cast<MapSession&>(*this));
        mapper_->OpenWhenMapped(MapFilePath(profileDir));
    }
    Changed();
}

Mapper::WalkStart SessionMapper::WalkTo(RoomNumber room) {
    if (!mapper_) return Mapper::WalkStart::NoCurrentRoom;
    const Mapper::WalkStart start = mapper_->WalkTo(room);
    const std::string number = std::to_string(room);
    switch (start) {
    case Mapper::WalkStart::Started:
        session_.PrintLocal("Walking to room " + number + "...\r\n");
        if (!ticking_) {
            ticking_ = true;
            loop_.StartTimer(kMapWalkTimer, 1000, [this] { Tick(); });
        }
        Flush();
        break;
    case Mapper::WalkStart::AlreadyThere:
        session_.PrintLocal("You are in room " + number + " already.\r\n");
        break;
    case Mapper::WalkStart::NoCurrentRoom:
        session_.PrintLocal("The map does not know where you are yet.\r\n");
        break;
    case Mapper::WalkStart::UnknownRoom:
        session_.PrintLocal("Room " + number + " is not on the map.\r\n");
        break;
    case Mapper::WalkStart::NoPath:
        session_.PrintLocal("No known way leads to room " + number + ".\r\n");
        break;
    }
    return start;
}

void SessionMapper::StopWalk() {
    if (mapper_) mapper_->StopWalk();
    Flush();
}

bool SessionMapper::ImportFrom(const std::string& path) {
    if (!mapper_ || !mapper_->ImportFrom(path)) return false;
    Changed();
    return true;
}

void SessionMapper::Gmcp(std::string_view message) {
    if (!mapper_) return;
    mapper_->Gmcp(message);
    Changed();
}

void SessionMapper::Msdp(std::string_view payload) {
    if (!mapper_) return;
    mapper_->Msdp(payload);
    Changed();
}

void SessionMapper::EndOfInput() {
    if (!mapper_) return;
    mapper_->EndOfInput();
    // The telnet layer has returned: the next step may go out now.
    Flush();
    Changed();
}

void SessionMapper::CommandSent(std::string_view command) {
    if (mapper_ && !sendingStep_) mapper_->CommandSent(command);
}

void SessionMapper::ConnectionChanged(bool open) {
    if (!mapper_) return;
    steps_.clear();
    if (open)
        mapper_->Connected();
    else
        mapper_->StopWalk();
    Flush();
    Changed();
}

bool SessionMapper::TakeTypedLine(std::string_view line) {
    const std::optional<GotoCommand> command = ReadGotoCommand(line);
    // Without a map the line is the game's, as it always was.
    if (!command || !mapper_ || mapper_->Map().Size() == 0) return false;
    if (!command->room)
        session_.PrintLocal("#goto takes a room number.\r\n");
    else
        WalkTo(*command->room);
    return true;
}

void SessionMapper::SendMapCommand(std::string_view command) {
    steps_.emplace_back(command);
}

void SessionMapper::Flush() {
    const std::vector<std::string> steps = std::exchange(steps_, {});
    for (const std::string& step : steps) {
        sendingStep_ = true;
        const int sent = session_.TermSend(step, true, false);
        sendingStep_ = false;
        if (sent < 0 && mapper_) {
            mapper_->StopWalk();
            break;
        }
    }
    steps_.clear();
    for (const std::string& note : std::exchange(notes_, {}))
        session_.PrintLocal(note);
}

void SessionMapper::WalkEnded(WalkEnd end) {
    steps_.clear();
    notes_.push_back(std::string(EndText(end)) + "\r\n");
}

void SessionMapper::MapProblem(std::string_view text) {
    if (log_) log_->LogLine(text);
}

void SessionMapper::Tick() {
    if (mapper_) mapper_->Tick(Mapper::Clock::now());
    Flush();
    if (!Walking() && ticking_) {
        ticking_ = false;
        loop_.StopTimer(kMapWalkTimer);
    }
}

} // namespace tav
