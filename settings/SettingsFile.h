#pragma once

#include "settings/LocalPrinter.h"
#include "settings/LogSink.h"
#include "settings/Settings.h"
#include "settings/SettingsHost.h"
#include "settings/StoredValues.h"

#include <string>
#include <string_view>

namespace tav {

// Loads and saves a profile's settings file "profiles/<name>/tav.cfg" and colour file
// "profiles/<name>/colors.dat" below a root directory (the working directory, ".", in
// the program; a scratch directory in tests). It fills the settings record and the
// stored window values, reports on the terminal screen and in the client log, and
// leaves the window effects of a load to the host.
class SettingsFile {
public:
    SettingsFile(Settings& settings, StoredValues& values, SettingsHost& host,
                 LocalPrinter& printer, LogSink& log, std::string root = ".");

    std::string SettingsPath(std::string_view profile) const;
    std::string ColorsPath(std::string_view profile) const;

    // Reads tav.cfg and then colors.dat, applies them and prints the player summary.
    // Without a readable tav.cfg: the missing-file defaults, and the configuration
    // dialog is asked for.
    void LoadSettings(std::string_view profile);
    // Writes tav.cfg (readable by the user only) and then colors.dat. Each file is
    // replaced whole or not at all.
    void SaveSettings(std::string_view profile);

    // colors.dat alone; false when it could not be read (tables unchanged) or written.
    bool LoadColors(std::string_view profile);
    bool SaveColors(std::string_view profile);

private:
    void ApplyMissingFileDefaults();

    Settings& settings_;
    StoredValues& values_;
    SettingsHost& host_;
    LocalPrinter& printer_;
    LogSink& log_;
    std::string root_;
};

} // namespace tav
