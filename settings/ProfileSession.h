#pragma once

#include "settings/ProfileHost.h"
#include "settings/ProfileLock.h"
#include "settings/Settings.h"

#include <string>
#include <string_view>
#include <utility>

namespace tav {

// The current profile and the steps that bring one into effect. Applying a profile sets
// the caption, loads and applies the settings, places the frame, restores the side
// windows, loads the triggers, starts the Term connection's sockets the first time,
// runs the autoconnect and the timers; switching to another profile first disconnects
// both connections and afterwards rebuilds the bars and reports the change.
class ProfileSession {
public:
    // `name` is the terminal window's current profile name ("" = none yet).
    ProfileSession(std::string& name, const Settings& settings, ProfileHost& host);

    const std::string& Name() const { return name_; }
    void SetName(std::string_view name) { name_ = name; }
    // Keeps the lock of `profile`, the one taken next; the lock kept before is released.
    void KeepLock(std::string_view profile, ProfileLock lock) {
        lock_ = std::move(lock);
        lockedName_ = profile;
    }
    // Whether `profile` is the one this session keeps (and so no other process has open).
    bool Keeps(std::string_view profile) const { return lockedName_ == profile; }
    // True once a profile has been applied.
    bool Loaded() const { return loaded_; }

    // Start-up after the profile selection has ended: false when the user left it without
    // a profile (the program ends); otherwise the chosen profile is applied and the bars
    // are built.
    bool StartWith(bool chosen);
    void Apply();
    // The switch of a running program to the current name; `message` is a format with one
    // "%s" for the name, printed at the end.
    void Switch(std::string_view message);
    // Saves the settings when a profile is loaded (before a switch, at shut-down).
    void SaveIfLoaded();

private:
    std::string& name_;
    const Settings& settings_;
    ProfileHost& host_;
    ProfileLock lock_;
    std::string lockedName_;
    bool loaded_ = false;
    bool started_ = false;
};

// Replaces the one "%s" of `format` with `value`.
std::string FormatWithName(std::string_view format, std::string_view value);

} // namespace tav
