#include "settings/SettingsFile.h"

#include "settings/ColorFile.h"
#include "settings/SettingsText.h"
#include "settings/TextMode.h"

#include <cstring>
#include <utility>

namespace tav {

namespace {

// Rectangles given to the windows when a profile has no settings file yet.
constexpr Rect kDefaultFrameRect{0, 0, 640, 400};
constexpr Rect kDefaultToolRect{0, 0, 300, 300};

} // namespace

SettingsFile::SettingsFile(Settings& settings, StoredValues& values, SettingsHost& host,
                           LocalPrinter& printer, LogSink& log, std::string root)
    : settings_(settings), values_(values), host_(host), printer_(printer), log_(log),
      root_(std::move(root)) {}

std::string SettingsFile::SettingsPath(std::string_view profile) const {
    return root_ + "/profiles/" + std::string(profile) + "/tav.cfg";
}

std::string SettingsFile::ColorsPath(std::string_view profile) const {
    return root_ + "/profiles/" + std::string(profile) + "/colors.dat";
}

void SettingsFile::LoadSettings(std::string_view profile) {
    std::optional<std::string> text = ReadTextFile(SettingsPath(profile));
    if (!text) {
        ApplyMissingFileDefaults();
        return;
    }
    ReadSettingsText(*text, settings_, values_, host_);
    LoadColors(profile);

    if (settings_.ontop != 0) {
        printer_.PrintLocal("Always on top mode selected.\r\n");
        host_.SetTopmost(true);
    } else {
        host_.SetTopmost(false);
    }
    printer_.PrintLocal("Selected wavplayer: MCI Internal\r\n");
    if (settings_.midiexternal != 0)
        printer_.PrintLocal("Selected midiplayer: " + std::string(FieldView(settings_.midiplayer)) +
                            "\r\n");
    else
        printer_.PrintLocal("Selected midiplayer: MCI Internal\r\n");
    printer_.PrintLocal("Selected modplayer: " + std::string(FieldView(settings_.modplayer)) +
                        "\r\n");
    printer_.PrintLocal("Selected mp3player: " + std::string(FieldView(settings_.mp3player)) +
                        "\r\n");
}

void SettingsFile::ApplyMissingFileDefaults() {
    printer_.PrintLocal("Unable to open tav.cfg ...Opening config dialog.\r\n");
    values_.termpos = kDefaultFrameRect;
    for (Rect* rect :
         {&values_.scrollpos, &values_.brdpos, &values_.idpos, &values_.gosspos, &values_.editorpos,
          &values_.helppos, &values_.invpos, &values_.eqpos, &values_.whopos})
        *rect = kDefaultToolRect;
    // Cleared whole, so nothing of the previous profile's password stays in memory.
    std::memset(settings_.user, 0, sizeof settings_.user);
    std::memset(settings_.passwd, 0, sizeof settings_.passwd);
    std::memset(settings_.waitsecs, 0, sizeof settings_.waitsecs);
    std::memset(settings_.logincom, 0, sizeof settings_.logincom);
    settings_.waitclient = 0;
    settings_.autoterm = 0;
    settings_.autoclient = 0;
    host_.PlaceFrame(values_.termpos);
    host_.PostConfigCommand();
}

void SettingsFile::SaveSettings(std::string_view profile) {
    // The file holds the password, so only the user may read it.
    if (!WriteTextFile(SettingsPath(profile), WriteSettingsText(settings_, values_),
                       FileAccess::OwnerOnly)) {
        printer_.PrintLocal("Unable to open tav.cfg for writing...\r\n");
        return;
    }
    SaveColors(profile);
    log_.LogLine("Configuration saved.");
}

bool SettingsFile::LoadColors(std::string_view profile) {
    std::optional<std::string> bytes = ReadFileBytes(ColorsPath(profile));
    if (!bytes) return false;
    ReadColorBytes(*bytes, values_);
    return true;
}

bool SettingsFile::SaveColors(std::string_view profile) {
    if (WriteFileAtomically(ColorsPath(profile), WriteColorBytes(values_))) return true;
    printer_.PrintLocal("Unable to open colors.dat for writing...\r\n");
    return false;
}

} // namespace tav
