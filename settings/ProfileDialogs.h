#pragma once

#include "settings/ProfileHost.h"
#include "settings/ProfileSelection.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace tav {

// The profile selection dialog "TavClient Profile Selection": the sorted profile names,
// "Select", "New...", "Connect to a game...", "Delete..." and "Exit TavClient" (or "Close" once a
// profile is loaded). It also asks the questions of the flows: the create dialog "TavClient -
// Create New Profile", the deletion question and the error boxes.
class tprofdlg : public QDialog, public ProfilePrompts {
    Q_OBJECT
public:
    static constexpr int kListId = 102;
    static constexpr int kNewId = 101;
    static constexpr int kDeleteId = 103;

    tprofdlg(const ProfileStore& store, ProfileSession& session, QWidget* parent = nullptr);

    // Runs the selection: 1 when a profile was chosen or created, 2 when the user left.
    // It may end before the dialog shows (first start, a single profile, the `requested`
    // one). Without a profile list the create dialog that comes first also offers
    // "Connect to a game...", whose dialog Cancel leads back to the create dialog.
    int Run(const std::optional<std::string>& requested = std::nullopt);
    // "Connect to a game..." alone, without the list, its dialog filled from `game`: 1 when
    // the game's profile was made and taken, 2 when the user gave up.
    int RunQuick(const QuickGame& game = {});
    // Whether the profile chosen was made by "Connect to a game...", which connects it at
    // once.
    bool QuickChosen() const { return quickChosen_; }

    QListWidget& List() { return *list_; }
    QPushButton& SelectButton() { return *select_; }
    QPushButton& NewButton() { return *new_; }
    QPushButton& QuickButton() { return *quick_; }
    QPushButton& DeleteButton() { return *delete_; }
    QPushButton& CancelButton() { return *cancel_; }

    std::optional<std::string> AskProfileName(std::string_view initial) override;
    bool AskYesNo(std::string_view text, std::string_view title) override;
    // Also written to stderr, so that a start from a terminal or a script learns why no
    // main window came (the profile is open in another TavClient, say).
    void ShowError(std::string_view text, std::string_view title) override;

    void reject() override;

private:
    void Fill();
    void OnSelect();
    void OnNew();
    void OnQuick();
    // The game dialog until its game is taken or the user cancels.
    std::optional<ProfileSelection::Result> AskQuick(QuickGame game);
    void OnDelete();
    void Finish(std::optional<ProfileSelection::Result> result);
    QWidget* PromptParent();
    // The create dialog; a name that is not Latin-1 is refused and asked for again.
    std::optional<std::string> AskName(const QString& offered);

    ProfileSelection selection_;
    QListWidget* list_ = nullptr;
    QPushButton* select_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* quick_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool quickChosen_ = false;
    // The create dialog offers "Connect to a game..." (only while there is no list to show
    // the button beside "New..."); the user pressed it.
    bool offerQuick_ = false;
    bool quickWanted_ = false;
};

} // namespace tav
