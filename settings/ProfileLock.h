#pragma once

#include <string>
#include <string_view>

namespace tav {

// The file in a profile's directory whose lock says that a process has the profile open.
inline constexpr std::string_view kProfileLockFileName = ".lock";

// Keeps a profile for one process while it lives: an exclusive flock(2) on the lock file in
// the profile's directory. The system drops the lock when the process ends in any way, so a
// lock file that a killed process left behind never keeps anyone out. The descriptor is
// closed on exec, so programs the client starts (sound players) never inherit the lock.
// Two locks of one process on one profile exclude each other as two processes do.
class ProfileLock {
public:
    enum class State {
        None,  // nothing tried yet, or moved away
        Held,  // this object keeps the profile
        InUse, // another process keeps it
        NoLock // no lock file can be opened there (no directory, no permission): nothing
               // is kept, and nothing refused, since nothing can be saved there either
    };

    ProfileLock() = default;
    ~ProfileLock();
    ProfileLock(ProfileLock&& other) noexcept;
    ProfileLock& operator=(ProfileLock&& other) noexcept;
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    // Tries once to lock the profile whose directory is `directory`, without waiting.
    static ProfileLock TryLock(const std::string& directory);

    State GetState() const { return state_; }
    bool InUse() const { return state_ == State::InUse; }

private:
    void Release();

    int fd_ = -1;
    State state_ = State::None;
};

} // namespace tav
