#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Game state a server sends out of band (GMCP or MSDP), in the program's terms.
struct GameVitals {
    std::optional<long> hp, maxHp, mana, maxMana, moves, maxMoves;
    bool operator==(const GameVitals&) const = default;
};

struct GameRoom {
    std::string name;
    std::vector<std::string> exits; // as the game names them ("n", "north", "up")
    bool operator==(const GameRoom&) const = default;
};

struct GameChannelText {
    std::string channel;
    std::string talker;
    std::string text;
    bool operator==(const GameChannelText&) const = default;
};

// Receives what GameDataReader found. Texts are the server's UTF-8.
class GameDataSink {
public:
    virtual ~GameDataSink() = default;
    virtual void Vitals(const GameVitals& vitals) = 0;
    virtual void Room(const GameRoom& room) = 0;
    virtual void ChannelText(const GameChannelText& text) = 0;
};

// Reads the common GMCP packages (Char.Vitals, Char.Maxstats, Room.Info,
// Comm.Channel.Text, in the spellings the big games use) and the MSDP variables for the
// same things, and tells `sink` what they carried. Anything else, or anything malformed,
// is ignored.
class GameDataReader {
public:
    // JSON nested deeper than this is refused unread.
    static constexpr int kMaxDepth = 32;

    explicit GameDataReader(GameDataSink& sink) : sink_(sink) {}
    void ReadGmcp(std::string_view message);
    void ReadMsdp(std::string_view payload);

private:
    GameDataSink& sink_;
};

// "GMCP Char.Vitals {...}" or "MSDP HEALTH 10 ...": one line for the client log, at most
// kMaxLoggedMessage bytes, control characters shown as '.'.
inline constexpr std::size_t kMaxLoggedMessage = 1000;
std::string LoggedGameMessage(std::string_view protocol, std::string_view message);

} // namespace tav
