#include "settings/ProfileSelection.h"

#include <algorithm>

namespace tav {

namespace {

constexpr std::string_view kErrorTitle = "Error...";
constexpr std::string_view kInUse = "The profile %s is open in another TavClient.";
constexpr std::string_view kInUseNotDeleted =
    "The profile %s is open in another TavClient, so it cannot be deleted.";

} // namespace

ProfileSelection::ProfileSelection(const ProfileStore& store, ProfileSession& session,
                                   ProfilePrompts& prompts)
    : store_(store), session_(session), prompts_(prompts) {}

std::string ProfileSelection::CancelText() const {
    return session_.Loaded() ? "Close" : "Exit TavClient";
}

bool ProfileSelection::Claim(const std::string& name) {
    if (session_.Keeps(name)) return true;
    ProfileLock lock = store_.LockProfile(name);
    if (lock.InUse()) {
        prompts_.ShowError(FormatWithName(kInUse, name), kErrorTitle);
        return false;
    }
    session_.KeepLock(name, std::move(lock));
    return true;
}

std::optional<ProfileSelection::Result>
ProfileSelection::Open(const std::optional<std::string>& requested) {
    // At start-up a profile is taken without asking, unless another process has it.
    bool take = !session_.Loaded();
    if (requested && take) {
        if (Claim(*requested)) {
            session_.SetName(*requested);
            return Result::Chosen;
        }
        take = false; // said so once; the user chooses from the list
    }
    auto list = store_.ReadList();
    if (!list) {
        bool wasLoaded = session_.Loaded();
        Result result = CreateProfile();
        // Every profile was deleted while one was loaded: the new one must really take over,
        // or the deleted profile's settings would be saved under the new name.
        if (result == Result::Chosen && wasLoaded) session_.Switch("New profile created - %s\r\n");
        return result;
    }
    names_ = list->names;
    hidden_ = list->hidden;
    std::stable_sort(names_.begin(), names_.end(), ProfileNameLess);
    std::size_t count = names_.size();
    if (list->refused) {
        prompts_.ShowError("Error adding profile...", kErrorTitle);
        count = 0;
    }
    selected_ = names_.empty() ? -1 : 0;
    if (count == 1 && take && Claim(names_.front())) {
        session_.SetName(names_.front());
        return Result::Chosen;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileSelection::SelectedName() const {
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= names_.size()) return std::nullopt;
    const std::string& name = names_[static_cast<std::size_t>(selected_)];
    if (!SelectableProfileName(name)) return std::nullopt;
    return name;
}

std::optional<ProfileSelection::Result> ProfileSelection::Select() {
    session_.SaveIfLoaded();
    auto name = SelectedName();
    if (!name || !Claim(*name)) return std::nullopt;
    session_.SetName(*name);
    if (session_.Loaded()) session_.Switch("New profile selected - %s\r\n");
    return Result::Chosen;
}

std::optional<ProfileSelection::Result> ProfileSelection::New() {
    session_.SaveIfLoaded();
    if (CreateProfile() != Result::Chosen) return std::nullopt;
    if (session_.Loaded()) session_.Switch("New profile created - %s\r\n");
    return Result::Chosen;
}

void ProfileSelection::Delete() {
    auto name = SelectedName();
    if (!name) return;
    // Kept while the user answers and the files go, so that no process opens it meanwhile.
    // The profile this process keeps (the loaded one) may be deleted too.
    ProfileLock lock;
    const bool own = session_.Keeps(*name);
    if (!own) {
        lock = store_.LockProfile(*name);
        if (lock.InUse()) {
            prompts_.ShowError(FormatWithName(kInUseNotDeleted, *name), kErrorTitle);
            return;
        }
    }
    if (!prompts_.AskYesNo(FormatWithName("Delete profile %s?", *name),
                           "Confirm profile deletion..."))
        return;
    store_.DeleteProfileFiles(*name);
    if (own) session_.KeepLock("", {}); // its lock file is gone: it keeps nothing now
    names_.erase(names_.begin() + selected_);
    // Nothing stays selected: Select must not take a profile the user never chose.
    selected_ = -1;
    // Lines the list did not show are written back, so a deletion never loses them. With
    // nothing left the list file is deleted: one that stays would bring the profile back.
    if (!store_.RewriteList(names_, hidden_))
        prompts_.ShowError("Error deleting profile...", kErrorTitle);
}

std::optional<ProfileSelection::Result> ProfileSelection::Quick(const QuickGame& game) {
    if (const auto problem = CheckQuickGame(game)) {
        prompts_.ShowError(*problem, kErrorTitle);
        return std::nullopt;
    }
    // Another profile's files are never replaced by a game's.
    if (store_.ProfileExists(game.name)) {
        prompts_.ShowError(FormatWithName("A profile named %s exists already: give the game "
                                          "another name.",
                                          game.name),
                           kErrorTitle);
        return std::nullopt;
    }
    session_.SaveIfLoaded();
    if (store_.CreateProfile(game.name) == ProfileStore::CreateResult::Failed) {
        prompts_.ShowError("Error creating profile directory.", kErrorTitle);
        return std::nullopt;
    }
    if (!WriteQuickProfile(store_.ProfileDir(game.name), MakeQuickProfile(game))) {
        prompts_.ShowError("Unable to write the new profile's files.", kErrorTitle);
        return std::nullopt;
    }
    if (!Claim(game.name)) return std::nullopt;
    session_.SetName(game.name);
    if (session_.Loaded()) session_.Switch("New profile created - %s\r\n");
    return Result::Chosen;
}

ProfileSelection::Result ProfileSelection::CreateProfile() {
    std::string offered = "default";
    for (;;) {
        auto name = prompts_.AskProfileName(offered);
        if (!name) return Result::Cancelled;
        if (CheckProfileName(*name) == ProfileNameProblem::None) {
            // The name becomes current only once it is listed and kept: until then saves
            // go to the profile that is really loaded.
            if (store_.CreateProfile(*name) == ProfileStore::CreateResult::Failed) {
                prompts_.ShowError("Error creating profile directory.", kErrorTitle);
                return Result::Cancelled;
            }
            if (Claim(*name)) {
                session_.SetName(*name);
                return Result::Chosen;
            }
        } else {
            prompts_.ShowError("A profile name must not be empty, \".\" or \"..\", or contain "
                               "'/' or control characters.",
                               kErrorTitle);
        }
        offered = *name;
    }
}

} // namespace tav
