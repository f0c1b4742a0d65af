// A profile's tav.cfg and colors.dat as anything may have left them, loaded and saved
// twice through real files: both saves write the same bytes, and fonts and colours handed
// to the windows stay within their fields. Input: colors.dat (its length in the last
// byte; 0 leaves the file out), then tav.cfg.
#include "fuzz/FuzzSupport.h"
#include "settings/ColorFile.h"
#include "settings/LocalPrinter.h"
#include "settings/LogSink.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsHost.h"
#include "settings/TextMode.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfile = "fuzz";

struct Host final : tav::SettingsHost, tav::LocalPrinter, tav::LogSink {
    void ReplaceFont(tav::FontItem, const tav::FontSpec& font) override {
        FUZZ_CHECK(strnlen(font.face, sizeof font.face) < sizeof font.face,
                   "a font's face name keeps its NUL");
        FUZZ_CHECK(font.face[0] != '\0', "only a named face replaces a font");
    }
    void SetScreenColor(tav::ScreenColor, tav::ColorRef color) override {
        FUZZ_CHECK(color <= 0xFFFFFF, "colour channels are bytes");
    }
    void SetTopmost(bool) override {}
    void PlaceFrame(const tav::Rect&) override {}
    void PostConfigCommand() override {}
    void PrintLocal(std::string_view) override {}
    void LogLine(std::string_view) override {}
};

const fs::path& Root() {
    return tav::fuzz::ScratchDir("settings", {"profiles/fuzz"});
}

struct Saved {
    std::string settings;
    std::string colors;
};

Saved LoadAndSave(const std::string& root, Host& host) {
    tav::Settings settings{};
    tav::StoredValues values = tav::StoredValues::Defaults();
    tav::SettingsFile file(settings, values, host, host, host, root);
    file.LoadSettings(kProfile);
    file.SaveSettings(kProfile);
    auto text = tav::ReadFileBytes(file.SettingsPath(kProfile));
    auto colors = tav::ReadFileBytes(file.ColorsPath(kProfile));
    FUZZ_CHECK(text && colors, "the saved files are there");
    return {*text, *colors};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t colorBytes = provider.ConsumeIntegral<std::uint8_t>();
    const std::string colors = provider.ConsumeBytesAsString(colorBytes);
    const std::string settings = provider.ConsumeRemainingBytesAsString();

    const std::string root = Root().string();
    const fs::path dir = Root() / "profiles" / kProfile;
    tav::fuzz::WriteRaw(dir / "tav.cfg", settings);
    tav::fuzz::WriteRaw(dir / "colors.dat", colors);
    if (colorBytes == 0) fs::remove(dir / "colors.dat");
    Host host;
    const Saved first = LoadAndSave(root, host);
    FUZZ_CHECK(first.colors.size() == tav::kColorFileSize, "colors.dat is 128 bytes");
    FUZZ_CHECK(first.settings == tav::ToTextMode(tav::FromTextMode(first.settings)),
               "tav.cfg is written in text mode");
    const Saved second = LoadAndSave(root, host);
    FUZZ_CHECK(first.settings == second.settings, "tav.cfg reads back as it was saved");
    FUZZ_CHECK(first.colors == second.colors, "colors.dat reads back as it was saved");
    return 0;
}
