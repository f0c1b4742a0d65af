#pragma once

#include "map/Mapper.h"
#include "settings/LogSink.h"
#include "term/EventLoop.h"
#include "term/TermServices.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

class TermSession;

// The automapper of the open profile, fed by the Term session: the game's room data, the
// commands sent and the connection's state. The profile's map file, map.db in its
// directory, is read when the profile opens and made only once a room is mapped. It walks
// the player to a room (a double-click, "#goto NUMBER") one confirmed step at a time and
// tells the screen how the walk ended; map file problems go to the client log.
//
// Steps are sent once the read that confirmed the last one has been handled, never from
// inside the telnet layer's parse. Everything runs on the session's event loop.
class SessionMapper final : public SessionFollower, private MapSession {
public:
    SessionMapper(TermSession& session, EventLoop& loop, LogSink* log = nullptr);
    ~SessionMapper() override;

    // A new profile's map (the previous one is closed); "" closes the map.
    void SetProfile(const std::string& profileDir);
    // The open profile's mapper; null before a profile.
    Mapper* Map() { return mapper_.get(); }
    const Mapper* Map() const { return mapper_.get(); }
    // Counts the maps opened: a view can tell another profile's map from the one it showed.
    std::uint64_t MapSerial() const { return mapSerial_; }
    // Called after anything that may change what the map shows.
    void SetChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }

    // Walks to `room`, saying on the screen why not when it cannot.
    Mapper::WalkStart WalkTo(RoomNumber room);
    void StopWalk();
    bool Walking() const { return mapper_ && mapper_->Walking(); }
    bool ExportTo(const std::string& path) const { return mapper_ && mapper_->ExportTo(path); }
    bool ImportFrom(const std::string& path);

    // SessionFollower
    void Gmcp(std::string_view message) override;
    void Msdp(std::string_view payload) override;
    void EndOfInput() override;
    void CommandSent(std::string_view command) override;
    void ConnectionChanged(bool open) override;
    bool TakeTypedLine(std::string_view line) override;

private:
    // MapSession
    void SendMapCommand(std::string_view command) override;
    void WalkEnded(WalkEnd end) override;
    void MapProblem(std::string_view text) override;

    // Sends the steps and prints the notes that wait.
    void Flush();
    void Tick();
    void Changed() {
        if (changed_) changed_();
    }

    TermSession& session_;
    EventLoop& loop_;
    LogSink* log_;
    std::unique_ptr<Mapper> mapper_;
    std::vector<std::string> steps_; // waiting to be sent
    std::vector<std::string> notes_; // for the screen, waiting with them
    bool sendingStep_ = false;
    bool ticking_ = false;
    std::uint64_t mapSerial_ = 0;
    std::function<void()> changed_;
};

} // namespace tav
