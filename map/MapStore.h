#pragma once

#include "map/RoomMap.h"
#include "settings/ProfileFileNames.h"

#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tav {

// The profile's map file: kMapFileName ("map.db") in the profile directory.
std::string MapFilePath(std::string_view profileDir);

// The map kept in an SQLite file. Opening reads the whole map into memory; every change
// after that is written as one transaction, so when the program dies, a kill or a crash
// loses at most the change being written and never leaves a room half written. The file
// is in SQLite's write-ahead mode: while it is open "map.db-wal" and "map.db-shm" lie
// beside it, and a kill leaves them for the next opening to finish.
class MapStore {
public:
    static constexpr int kFormat = 1; // SQLite's user_version of the files this writes

    MapStore() = default;
    ~MapStore() { Close(); }
    MapStore(const MapStore&) = delete;
    MapStore& operator=(const MapStore&) = delete;

    // Opens or creates the map file at `path` and reads it into `map`, which is emptied
    // first. False, with Error() saying why, when the file cannot be opened, is not a map
    // or is a newer kind of map: then nothing is written to it. What a file holds beyond
    // the map's bounds is brought within them, never refused.
    bool Open(const std::string& path, RoomMap& map);
    bool IsOpen() const { return db_ != nullptr; }
    void Close();

    // Writes the rooms `numbers` as `map` holds them (one that `map` lacks is deleted),
    // with the map's facts, in one transaction.
    bool Write(const RoomMap& map, std::span<const RoomNumber> numbers);
    // Replaces everything the file holds with `map`, in one transaction.
    bool WriteAll(const RoomMap& map);

    const std::string& Error() const { return error_; }

private:
    bool Fail(std::string_view what);
    bool Exec(const char* sql);
    bool Prepare();
    bool Read(RoomMap& map);
    bool WriteRoom(const RoomMap& map, RoomNumber number);
    bool WriteFacts(const RoomMap& map);
    bool Commit(const RoomMap& map);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* putRoom_ = nullptr;
    sqlite3_stmt* dropRoom_ = nullptr;
    sqlite3_stmt* dropExits_ = nullptr;
    sqlite3_stmt* putExit_ = nullptr;
    sqlite3_stmt* putFact_ = nullptr;
    std::optional<std::optional<bool>> factsWritten_; // what the file holds, once known
    std::string error_;
};

} // namespace tav
