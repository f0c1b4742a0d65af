// trigs.ndx and trigs.act as anything may have left them: every value stays within its
// bound, saving keeps every attached action and every line kept from the file, and a
// second save writes the same bytes. Input: trigs.ndx (its length in the last two bytes),
// then trigs.act.
#include "fuzz/FuzzSupport.h"
#include "settings/TextMode.h"
#include "triggers/TriggerActionFile.h"
#include "triggers/TriggerList.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfile = "fuzz";

const fs::path& Root() {
    return tav::fuzz::ScratchDir("trigger-actions", {kProfile});
}

void ExpectBounded(const tav::TriggerActions& a) {
    for (const std::string* group : {&a.group, &a.groupOn, &a.groupOff})
        FUZZ_CHECK(group->size() <= tav::kMaxGroupChars, "group names within their bound");
    FUZZ_CHECK(a.sound.size() <= tav::kMaxSoundPathChars, "sound path within its bound");
    FUZZ_CHECK(a.keptLines.size() <= tav::kMaxKeptLines, "kept lines within their bound");
    for (const std::string& line : a.keptLines)
        FUZZ_CHECK(line.size() <= tav::kMaxKeptLineChars && line.find('\n') == std::string::npos,
                   "a kept line is one bounded line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t ndxBytes = provider.ConsumeIntegral<std::uint16_t>();
    const std::string ndx = provider.ConsumeBytesAsString(ndxBytes);
    const std::string act = provider.ConsumeRemainingBytesAsString();

    const tav::TriggerActionFile parsed = tav::ParseTriggerActionFile(tav::FromTextMode(act));
    for (const tav::TriggerActionRecord& record : parsed.records) {
        FUZZ_CHECK(record.occurrence >= 1, "occurrences count from 1");
        ExpectBounded(record.actions);
    }

    const std::string root = Root().string();
    tav::TriggerList list(root);
    tav::fuzz::WriteRaw(list.TriggerFilePath(kProfile), ndx);
    tav::fuzz::WriteRaw(list.ActionFilePath(kProfile), act);
    FUZZ_CHECK(list.LoadTriggers(kProfile), "the files load");
    for (std::size_t i = 0; i < list.Count(); ++i)
        ExpectBounded(list.At(i).Actions());

    FUZZ_CHECK(list.SaveTriggers(kProfile), "the list saves");
    const std::string saved = tav::ReadFileBytes(list.ActionFilePath(kProfile)).value_or("");
    tav::TriggerList reloaded(root);
    reloaded.LoadTriggers(kProfile);
    FUZZ_CHECK(reloaded.Count() == list.Count(), "as many triggers after a save");
    for (std::size_t i = 0; i < list.Count(); ++i)
        FUZZ_CHECK(reloaded.At(i).Actions() == list.At(i).Actions(), "same actions after a save");
    FUZZ_CHECK(reloaded.SaveTriggers(kProfile), "the list saves again");
    FUZZ_CHECK(tav::ReadFileBytes(list.ActionFilePath(kProfile)).value_or("") == saved,
               "a second save writes the same bytes");
    return 0;
}
