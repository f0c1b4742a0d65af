#include "map/MapStore.h"

#include "settings/Utf8Text.h"

#include <sqlite3.h>

#include <algorithm>

namespace tav {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE rooms(number INTEGER PRIMARY KEY, name TEXT NOT NULL, area TEXT NOT NULL,
                   environment TEXT NOT NULL, x INTEGER NOT NULL, y INTEGER NOT NULL,
                   z INTEGER NOT NULL, layer INTEGER NOT NULL, game_coordinates INTEGER NOT NULL);
CREATE TABLE exits(room INTEGER NOT NULL, name TEXT NOT NULL, target INTEGER,
                   PRIMARY KEY(room, name)) WITHOUT ROWID;
CREATE TABLE facts(key TEXT PRIMARY KEY, value TEXT);
PRAGMA user_version = 1;
)";
constexpr std::string_view kGameYFact = "game_y";

// Finalizes a statement at the end of a scope.
struct Statement {
    sqlite3_stmt* statement = nullptr;
    ~Statement() { sqlite3_finalize(statement); }
};

std::string_view ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string_view(
                      text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                : std::string_view();
}

int Clamped(sqlite3_int64 value, int limit) {
    return static_cast<int>(std::clamp<sqlite3_int64>(value, -limit, limit));
}

void BindText(sqlite3_stmt* statement, int column, std::string_view text) {
    sqlite3_bind_text(statement, column, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

} // namespace

std::string MapFilePath(std::string_view profileDir) {
    return std::string(profileDir) + "/" + std::string(kMapFileName);
}

bool MapStore::Fail(std::string_view what) {
    error_ = std::string(what);
    if (db_) {
        error_ += ": ";
        error_ += sqlite3_errmsg(db_);
    }
    return false;
}

bool MapStore::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool MapStore::Open(const std::string& path, RoomMap& map) {
    Close();
    map.Clear();
    error_.clear();
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        Fail("cannot open " + path);
        Close();
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    // Only reads until the file is known to be a map of ours (or empty).
    int format = -1, objects = -1;
    bool readable = false;
    {
        // The statements are finalized at the end of this block: the connection closes
        // only without them (a close with one left open fails and keeps it all).
        Statement version, count;
        readable = sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &version.statement,
                                      nullptr) == SQLITE_OK &&
                   sqlite3_step(version.statement) == SQLITE_ROW &&
                   sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1,
                                      &count.statement, nullptr) == SQLITE_OK &&
                   sqlite3_step(count.statement) == SQLITE_ROW;
        if (readable) {
            format = sqlite3_column_int(version.statement, 0);
            objects = sqlite3_column_int(count.statement, 0);
        }
    }
    if (!readable) {
        Fail(path + " is not a map file");
        Close();
        return false;
    }
    std::string problem;
    if (format > kFormat)
        problem = path + " holds a map of a newer kind";
    else if (format == 0 && objects != 0)
        problem = path + " holds something other than a map";
    if (!problem.empty()) {
        Close();
        error_ = problem;
        return false;
    }
    if (format == 0 && !(Exec("BEGIN") && Exec(kSchema) && Exec("COMMIT"))) {
        Fail("cannot make the map file " + path);
        Close();
        return false;
    }
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") || !Prepare() ||
        !Read(map)) {
        Fail("cannot read the map file " + path);
        Close();
        map.Clear();
        return false;
    }
    return true;
}

void MapStore::Close() {
    factsWritten_.reset();
    for (sqlite3_stmt** statement : {&putRoom_, &dropRoom_, &dropExits_, &putExit_, &putFact_}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    sqlite3_close(db_);
    db_ = nullptr;
}

bool MapStore::Prepare() {
    const auto prepare = [&](const char* sql, sqlite3_stmt** statement) {
        return sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr) ==
               SQLITE_OK;
    };
    return prepare("INSERT OR REPLACE INTO rooms VALUES(?,?,?,?,?,?,?,?,?)", &putRoom_) &&
           prepare("DELETE FROM rooms WHERE number = ?", &dropRoom_) &&
           prepare("DELETE FROM exits WHERE room = ?", &dropExits_) &&
           prepare("INSERT OR REPLACE INTO exits VALUES(?,?,?)", &putExit_) &&
           prepare("INSERT OR REPLACE INTO facts VALUES(?,?)", &putFact_);
}

bool MapStore::Read(RoomMap& map) {
    Statement rooms, exits, facts;
    if (sqlite3_prepare_v2(db_, "SELECT * FROM rooms ORDER BY number", -1, &rooms.statement,
                           nullptr) ||
        sqlite3_prepare_v2(db_, "SELECT room, name, target FROM exits ORDER BY room, name", -1,
                           &exits.statement, nullptr) ||
        sqlite3_prepare_v2(db_, "SELECT value FROM facts WHERE key = 'game_y'", -1,
                           &facts.statement, nullptr))
        return false;
    int exitStep = sqlite3_step(exits.statement);
    int step;
    while ((step = sqlite3_step(rooms.statement)) == SQLITE_ROW) {
        sqlite3_stmt* row = rooms.statement;
        MapRoom room;
        room.number = sqlite3_column_int64(row, 0);
        room.name = PlainUtf8Line(ColumnText(row, 1), kMaxRoomNameBytes);
        room.area = PlainUtf8Line(ColumnText(row, 2), kMaxAreaNameBytes);
        room.environment = PlainUtf8Line(ColumnText(row, 3), kMaxEnvironmentBytes);
        room.at = {Clamped(sqlite3_column_int64(row, 4), kMaxCoordinate),
                   Clamped(sqlite3_column_int64(row, 5), kMaxCoordinate),
                   Clamped(sqlite3_column_int64(row, 6), kMaxLevel),
                   std::clamp(sqlite3_column_int(row, 7), 0, kMaxLayer)};
        room.gameCoordinates = sqlite3_column_int(row, 8) != 0;
        // Exits are in room order too: those of rooms that are gone are passed over.
        while (exitStep == SQLITE_ROW && sqlite3_column_int64(exits.statement, 0) < room.number)
            exitStep = sqlite3_step(exits.statement);
        while (exitStep == SQLITE_ROW && sqlite3_column_int64(exits.statement, 0) == room.number) {
            RoomExit exit{ExitName(ColumnText(exits.statement, 1)), std::nullopt};
            if (sqlite3_column_type(exits.statement, 2) != SQLITE_NULL)
                exit.to = sqlite3_column_int64(exits.statement, 2);
            if (!exit.name.empty() && room.exits.size() < kMaxRoomExits)
                room.exits.push_back(std::move(exit));
            exitStep = sqlite3_step(exits.statement);
        }
        NormaliseExits(room.exits);
        map.Put(std::move(room));
    }
    if (step != SQLITE_DONE || (exitStep != SQLITE_ROW && exitStep != SQLITE_DONE)) return false;
    if (sqlite3_step(facts.statement) == SQLITE_ROW) {
        const std::string_view value = ColumnText(facts.statement, 0);
        if (value == "south" || value == "north") map.SetGameYSouth(value == "south");
    }
    factsWritten_ = map.GameYSouth();
    return true;
}

bool MapStore::WriteRoom(const RoomMap& map, RoomNumber number) {
    const auto done = [](sqlite3_stmt* statement) {
        const bool ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        return ok;
    };
    sqlite3_bind_int64(dropExits_, 1, number);
    if (!done(dropExits_)) return false;
    const MapRoom* room = map.Find(number);
    if (!room) {
        sqlite3_bind_int64(dropRoom_, 1, number);
        return done(dropRoom_);
    }
    sqlite3_bind_int64(putRoom_, 1, number);
    BindText(putRoom_, 2, room->name);
    BindText(putRoom_, 3, room->area);
    BindText(putRoom_, 4, room->environment);
    sqlite3_bind_int(putRoom_, 5, room->at.x);
    sqlite3_bind_int(putRoom_, 6, room->at.y);
    sqlite3_bind_int(putRoom_, 7, room->at.z);
    sqlite3_bind_int(putRoom_, 8, room->at.layer);
    sqlite3_bind_int(putRoom_, 9, room->gameCoordinates ? 1 : 0);
    if (!done(putRoom_)) return false;
    for (const RoomExit& exit : room->exits) {
        sqlite3_bind_int64(putExit_, 1, number);
        BindText(putExit_, 2, exit.name);
        if (exit.to) sqlite3_bind_int64(putExit_, 3, *exit.to);
        if (!done(putExit_)) return false;
    }
    return true;
}

bool MapStore::WriteFacts(const RoomMap& map) {
    if (factsWritten_ == map.GameYSouth()) return true;
    factsWritten_.reset(); // until the transaction is through
    BindText(putFact_, 1, kGameYFact);
    if (const auto south = map.GameYSouth()) BindText(putFact_, 2, *south ? "south" : "north");
    const bool ok = sqlite3_step(putFact_) == SQLITE_DONE;
    sqlite3_reset(putFact_);
    sqlite3_clear_bindings(putFact_);
    return ok;
}

bool MapStore::Commit(const RoomMap& map) {
    if (Exec("COMMIT")) {
        factsWritten_ = map.GameYSouth();
        return true;
    }
    Fail("cannot write the map");
    Exec("ROLLBACK");
    return false;
}

bool MapStore::Write(const RoomMap& map, std::span<const RoomNumber> numbers) {
    if (!db_) return false;
    if (!Exec("BEGIN IMMEDIATE")) return Fail("cannot write the map");
    for (RoomNumber number : numbers)
        if (!WriteRoom(map, number)) {
            Fail("cannot write the map");
            Exec("ROLLBACK");
            return false;
        }
    if (!WriteFacts(map)) {
        Fail("cannot write the map");
        Exec("ROLLBACK");
        return false;
    }
    return Commit(map);
}

bool MapStore::WriteAll(const RoomMap& map) {
    if (!db_) return false;
    if (!Exec("BEGIN IMMEDIATE")) return Fail("cannot write the map");
    factsWritten_.reset();
    bool ok = Exec("DELETE FROM exits") && Exec("DELETE FROM rooms") && WriteFacts(map);
    for (auto room = map.Rooms().begin(); ok && room != map.Rooms().end(); ++room)
        ok = WriteRoom(map, room->first);
    if (!ok) {
        Fail("cannot write the map");
        Exec("ROLLBACK");
        return false;
    }
    return Commit(map);
}

} // namespace tav
