#pragma once

#include "settings/QuickGame.h"
#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "triggers/TriggerList.h"

#include <QApplication>

#include <memory>
#include <optional>
#include <string>

namespace tav {

class SignalBridge;
class TSDIDecFrame;

// The application object "TavClient": holds the program-wide settings record, the stored
// window values and the trigger list, builds the main frame and runs the event loop.
//
// Ending the program from outside does what Exit does once confirmed, without asking:
// SIGTERM, SIGHUP and SIGINT (through a SignalBridge) and the platform's own request to
// quit (the desktop session ending) leave the event loop, and the frame then saves
// everything, closes both connections and stops the sound players. When the desktop
// session asks the program to commit its data, the frame saves everything.
class TmarrowApp : public QApplication {
    Q_OBJECT
public:
    TmarrowApp(int& argc, char** argv);
    ~TmarrowApp() override;

    // Builds the frame (terminal window, status bar, menu), shows it and runs the profile
    // selection, or applies `profile` without asking. False when the user left the selection
    // without a profile: the program ends.
    bool InitMainWindow(const std::optional<std::string>& profile = std::nullopt,
                        const std::optional<QuickGame>& game = std::nullopt);
    // The event loop; its result is the exit code. Returns at once when the program was
    // asked to end while the main window was being built.
    int Run();

    TSDIDecFrame* Frame() { return frame_.get(); }

protected:
    bool event(QEvent* event) override;

private:
    // Leaves every event loop running now, and keeps Run from starting one.
    void EndWithoutAsking();
    void ShutDownFrame();

    Settings settings_{};
    StoredValues stored_ = StoredValues::Defaults();
    TriggerList triggers_;
    std::unique_ptr<TSDIDecFrame> frame_;
    std::unique_ptr<SignalBridge> signals_;
    bool endRequested_ = false;
};

} // namespace tav
