#pragma once

#include "settings/ProfileHost.h"
#include "settings/ProfileSession.h"
#include "settings/ProfileStore.h"
#include "settings/QuickGame.h"

#include <optional>
#include <string>
#include <vector>

namespace tav {

// The profile selection dialog without its window: the sorted list of names, the selected
// entry and what Select, New..., Delete... and the cancel button do. The dialog widget
// shows Names() and Selected(), forwards its buttons here and ends with the result they
// give (nothing: stay open). A profile another process has open (ProfileLock) is neither
// taken nor deleted: an error box says so and the dialog stays.
class ProfileSelection {
public:
    enum class Result { Chosen = 1, Cancelled = 2 };

    ProfileSelection(const ProfileStore& store, ProfileSession& session, ProfilePrompts& prompts);

    // Fills the list. Without a profile list the create flow runs at once; at start-up the
    // `requested` profile (from the command line), else a single listed one, is taken
    // without asking. Either ends the dialog before it shows.
    std::optional<Result> Open(const std::optional<std::string>& requested = std::nullopt);

    const std::vector<std::string>& Names() const { return names_; }
    int Selected() const { return selected_; }
    void SetSelected(int row) { selected_ = row; }
    // The cancel button reads "Close" once a profile is loaded, else "Exit TavClient".
    std::string CancelText() const;

    std::optional<Result> Select();
    std::optional<Result> New();
    void Delete();
    Result Cancel() const { return Result::Cancelled; }

    // "Connect to a game...": lists a new profile named after `game`, writes its files
    // (QuickGame.h) and takes it, switching to it when a profile was loaded. Nothing,
    // after saying why, when the game's values are refused, a profile of that name
    // exists or the files cannot be written.
    std::optional<Result> Quick(const QuickGame& game);

    // Asks for a name and lists the profile (or takes the listed one of that name); it then
    // is the current profile. Cancelled when the user gave up or the directory failed.
    Result CreateProfile();

private:
    std::optional<std::string> SelectedName() const;
    // Keeps `name` for this process (unless it does already); false, after saying so,
    // when another process has it open.
    bool Claim(const std::string& name);

    const ProfileStore& store_;
    ProfileSession& session_;
    ProfilePrompts& prompts_;
    std::vector<std::string> names_;
    std::vector<std::string> hidden_; // lines of the list not shown, kept by a rewrite
    int selected_ = -1;
};

} // namespace tav
