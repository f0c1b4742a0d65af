#include "commands/ProfileBundle.h"

#include "commands/AliasFile.h"

#include "settings/TextMode.h"
#include "triggers/TriggerActionFile.h"
#include "triggers/TriggerList.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace tav {

namespace {

// The alias file's new text: the imported aliases replace those of their names and the
// rest are added, every other line staying in its place.
std::string MergeAliasText(std::string_view existing, const std::vector<Alias>& imported) {
    std::vector<Alias> aliases = ParseAliasText(existing).aliases;
    for (const Alias& alias : imported) {
        const auto same = std::find_if(aliases.begin(), aliases.end(),
                                       [&](const Alias& a) { return a.name == alias.name; });
        if (same != aliases.end())
            same->body = alias.body;
        else
            aliases.push_back(alias);
    }
    return WriteAliasText(aliases, existing);
}

std::string AliasPath(const ProfilePlaces& places) {
    return places.dataRoot + "/profiles/" + places.profile + "/aliases.cfg";
}

} // namespace

SettingsBundle ReadProfileBundle(const ProfilePlaces& places,
                                 const std::vector<CommandTimer>& timers) {
    SettingsBundle bundle;
    bundle.utf8 = places.utf8;
    for (std::size_t i = 0; i < places.triggers.Count(); ++i)
        bundle.triggers.push_back(
            {places.triggers.At(i).pattern(), places.triggers.At(i).reaction()});
    bundle.timers = timers;
    if (const std::optional<std::string> text = ReadTextFile(AliasPath(places)))
        bundle.aliases = ParseAliasText(*text).aliases;
    bundle.buttons = LoadCustomButtons(CustomButtonPath(places.dataRoot, places.profile))
                         .value_or(std::vector<CustomButtonRecord>{});
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k)
        bundle.functionKeys[k] = places.stored.fkeys[k];
    return bundle;
}

ImportOutcome ApplyImport(const ProfilePlaces& places, const std::vector<CommandTimer>& timers,
                          const SettingsImport& imported) {
    ImportOutcome outcome;
    for (const std::string& refusal : imported.refused)
        outcome.report.push_back("Refused " + refusal);
    SettingsBundle bundle = ReadProfileBundle(places, timers);
    const SettingsBundle& from = imported.bundle;
    for (std::string& line : MergeSettings(bundle, from))
        outcome.report.push_back(std::move(line));

    if (!from.triggers.empty()) {
        // The list is built anew: the actions of its triggers (kept beside trigs.ndx by
        // pattern and occurrence) go back onto the triggers that still have them.
        const std::vector<TriggerActionRecord> actions = TriggerActionRecords(places.triggers);
        places.triggers.ClearTriggers();
        for (const TriggerRecord& trigger : bundle.triggers)
            places.triggers.AddTrigger(trigger.pattern, trigger.reaction);
        AttachTriggerActions(places.triggers, actions);
        if (!places.triggers.SaveTriggers(places.profile))
            outcome.report.push_back("Unable to write trigs.ndx.");
    }
    if (!from.timers.empty()) outcome.timers = bundle.timers;
    if (from.aliases && !from.aliases->empty()) {
        const std::string path = AliasPath(places);
        const std::string existing = ReadTextFile(path).value_or("");
        if (!WriteTextFile(path, MergeAliasText(existing, *from.aliases)))
            outcome.report.push_back("Unable to write aliases.cfg.");
    }
    if (!from.buttons.empty() &&
        !SaveCustomButtons(CustomButtonPath(places.dataRoot, places.profile), bundle.buttons))
        outcome.report.push_back("Unable to write custbut.ndx.");
    for (std::size_t k = 0; k < kFunctionKeyCount; ++k) {
        if (from.functionKeys[k].empty()) continue;
        const std::string& text = bundle.functionKeys[k];
        std::memset(places.stored.fkeys[k], 0, kFunctionKeySize);
        std::memcpy(places.stored.fkeys[k], text.data(),
                    std::min(text.size(), kFunctionKeySize - 1));
        outcome.functionKeysChanged = true;
    }
    return outcome;
}

} // namespace tav
