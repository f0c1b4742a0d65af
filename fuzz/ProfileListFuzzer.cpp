// profiles.cfg as anything may have left it, then the user's select, new and delete on
// it: nothing is made outside profiles.cfg, profiles/<plain name>, binary and text, and a
// list written back holds only names the selection accepts. Input: profiles.cfg, then
// (from the end) the user's actions and answers.
#include "fuzz/FuzzSupport.h"
#include "settings/ProfileHost.h"
#include "settings/ProfileSelection.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "settings/TextMode.h"
#include "tests/settings/SettingsTestSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;

// Answers from the input; once it is used up every question is cancelled, so the create
// dialog cannot ask for ever.
class Prompts final : public tav::ProfilePrompts {
public:
    explicit Prompts(FuzzedDataProvider& input) : input_(input) {}
    std::optional<std::string> AskProfileName(std::string_view) override {
        if (input_.remaining_bytes() == 0) return std::nullopt;
        return input_.ConsumeRandomLengthString(80);
    }
    bool AskYesNo(std::string_view, std::string_view) override { return input_.ConsumeBool(); }
    void ShowError(std::string_view, std::string_view) override {}

private:
    FuzzedDataProvider& input_;
};

const fs::path& Root() {
    return tav::fuzz::ScratchDir("profiles", {});
}

void CheckAndEmptyRoot(const tav::ProfileStore& store, std::string_view original,
                       const std::vector<std::string>& originalHidden) {
    for (const auto& entry : fs::directory_iterator(Root())) {
        const std::string name = entry.path().filename().string();
        if (name == "profiles") {
            for (const auto& profile : fs::directory_iterator(entry.path()))
                FUZZ_CHECK(profile.is_directory() &&
                               tav::CheckProfileName(profile.path().filename().string()) ==
                                   tav::ProfileNameProblem::None,
                           "profiles/ holds only directories with plain names");
        } else {
            FUZZ_CHECK(name == "profiles.cfg" || name == "binary" || name == "text",
                       "nothing else is made in the data directory");
        }
    }
    // A rewritten list (not the original with a name appended) hides only the original's
    // hidden lines or accepted names (New after an empty line is hidden too).
    const auto bytes = tav::ReadFileBytes(store.ListPath());
    if (bytes && !bytes->starts_with(original)) {
        const auto list = store.ReadList();
        FUZZ_CHECK(list.has_value(), "a rewritten list can be read");
        for (const std::string& line : list->hidden)
            FUZZ_CHECK(std::find(originalHidden.begin(), originalHidden.end(), line) !=
                               originalHidden.end() ||
                           tav::CheckProfileName(line) == tav::ProfileNameProblem::None,
                       "a rewritten list hides only lines the original hid, or names");
    }
    for (const auto& entry : fs::directory_iterator(Root()))
        fs::remove_all(entry.path());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::size_t listBytes = input.ConsumeIntegral<std::uint16_t>();
    const std::string list = input.ConsumeBytesAsString(listBytes);
    const bool withList = input.ConsumeBool();

    const tav::ProfileStore store(Root().string());
    if (withList) {
        fs::create_directories(Root() / "profiles");
        tav::fuzz::WriteRaw(store.ListPath(), list);
    }
    std::vector<std::string> originalHidden;
    if (const auto read = store.ReadList()) originalHidden = read->hidden;
    std::string current;
    const tav::Settings settings{};
    tav::test::ProfileRecorder host; // its prompts go unused: Prompts answers from the input
    tav::ProfileSession session(current, settings, host);
    Prompts prompts(input);
    tav::ProfileSelection selection(store, session, prompts);
    if (!selection.Open()) {
        for (int step = 0; step < 8 && input.remaining_bytes() > 0; ++step) {
            switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: selection.SetSelected(input.ConsumeIntegralInRange(-1, 40)); break;
            case 1: (void)selection.Select(); break;
            case 2: (void)selection.New(); break;
            default: selection.Delete(); break;
            }
        }
    }
    FUZZ_CHECK(tav::CheckProfileName(session.Name()) == tav::ProfileNameProblem::None ||
                   session.Name().empty(),
               "the current profile has a plain name");
    CheckAndEmptyRoot(store, withList ? std::string_view(list) : std::string_view(),
                      originalHidden);
    return 0;
}
