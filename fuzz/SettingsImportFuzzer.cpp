// A settings file to import as anyone may have written it: every entry taken fits the
// profile's files, and exporting what was taken and reading that again takes the same.
#include "commands/SettingsExport.h"
#include "fuzz/FuzzSupport.h"
#include "triggers/TriggerLimits.h"

namespace {

bool StoredLines(const std::string& text, std::size_t limit) {
    return text.size() <= limit && (text.empty() || text.ends_with("\r\n"));
}

bool SameBundle(const tav::SettingsBundle& a, const tav::SettingsBundle& b) {
    return a.triggers == b.triggers && a.timers == b.timers && a.aliases == b.aliases &&
           a.buttons == b.buttons && a.functionKeys == b.functionKeys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Odd sizes read as a profile that keeps UTF-8, even ones as a Latin-1 profile.
    const bool utf8 = size % 2 == 1;
    const tav::SettingsImport read = tav::ParseSettingsImport(text, utf8);
    const tav::SettingsBundle& bundle = read.bundle;
    for (const tav::TriggerRecord& trigger : bundle.triggers) {
        FUZZ_CHECK(trigger.pattern.size() <= tav::kMaxPatternChars, "a pattern fits");
        FUZZ_CHECK(StoredLines(trigger.reaction, tav::kMaxReactionChars), "a reaction fits");
    }
    for (const tav::CustomButtonRecord& button : bundle.buttons) {
        FUZZ_CHECK(button.name.size() <= tav::kMaxButtonName, "a button name fits");
        FUZZ_CHECK(StoredLines(button.command, tav::kMaxButtonCommand), "a command fits");
    }
    for (const tav::CommandTimer& timer : bundle.timers)
        FUZZ_CHECK(tav::TimerProblem(timer).empty(), "a timer taken is a timer kept");
    for (const std::string& key : bundle.functionKeys)
        FUZZ_CHECK(key.size() < tav::kFunctionKeySize, "a function key fits");

    const std::string exported = tav::FormatSettingsExport(bundle);
    if (exported.size() <= tav::kMaxImportBytes) {
        const tav::SettingsImport again = tav::ParseSettingsImport(exported, utf8);
        FUZZ_CHECK(again.refused.empty(), "an export is read without refusals");
        FUZZ_CHECK(SameBundle(again.bundle, bundle), "an export reads back the same");
    }

    tav::SettingsBundle merged;
    tav::MergeSettings(merged, bundle);
    FUZZ_CHECK(merged.timers.size() <= tav::kMaxTimers, "merging keeps the timer bound");
    return 0;
}
