#include "settings/ProfileSession.h"

namespace tav {

ProfileSession::ProfileSession(std::string& name, const Settings& settings, ProfileHost& host)
    : name_(name), settings_(settings), host_(host) {}

bool ProfileSession::StartWith(bool chosen) {
    if (!chosen && !loaded_) return false;
    if (!loaded_) {
        Apply();
        host_.CreateBars();
    }
    return true;
}

void ProfileSession::Apply() {
    host_.SetCaption(FormatWithName("TavClient - %s", name_));
    host_.LoadSettings();
    host_.ApplyScreenSettings();
    host_.ApplySizes();
    host_.PlaceFrame();
    host_.RestoreSideWindows();
    host_.LoadTriggers();
    if (!started_) {
        started_ = true;
        host_.TermStartup();
    }
    if (settings_.autoterm != 0 || settings_.autoclient != 0) host_.AutoConnect();
    host_.StartTimers();
    host_.ReleaseLayout();
    loaded_ = true;
}

void ProfileSession::Switch(std::string_view message) {
    if (host_.TermConnected()) host_.TermDisconnect();
    host_.ClientDisconnect();
    Apply();
    host_.CreateBars();
    host_.PrintLocal(FormatWithName(message, name_));
}

void ProfileSession::SaveIfLoaded() {
    if (loaded_) host_.SaveSettings();
}

std::string FormatWithName(std::string_view format, std::string_view value) {
    std::string out(format);
    if (std::size_t at = out.find("%s"); at != std::string::npos) out.replace(at, 2, value);
    return out;
}

} // namespace tav
