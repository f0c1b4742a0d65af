#pragma once

#include "settings/Settings.h"
#include "settings/StoredValues.h"
#include "triggers/TriggerList.h"

#include <QApplication>

#include <memory>

namespace tav {

class TSDIDecFrame;

// The application object "TavClient": holds the program-wide settings record, the stored
// window values and the trigger list, builds the main frame and runs the event loop.
class TmarrowApp : public QApplication {
    Q_OBJECT
public:
    TmarrowApp(int& argc, char** argv);
    ~TmarrowApp() override;

    // Builds the frame (terminal window, status bar, menu), shows it and runs the profile
    // selection. False when the user left it without a profile: the program ends.
    bool InitMainWindow();
    // The event loop; its result is the exit code.
    int Run();

    TSDIDecFrame* Frame() { return frame_.get(); }

private:
    Settings settings_{};
    StoredValues stored_ = StoredValues::Defaults();
    TriggerList triggers_;
    std::unique_ptr<TSDIDecFrame> frame_;
};

} // namespace tav
