#include "app/TmarrowApp.h"

#include "app/MainFrame.h"

namespace tav {

TmarrowApp::TmarrowApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("TavClient"));
    setQuitOnLastWindowClosed(true);
}

TmarrowApp::~TmarrowApp() {
    frame_.reset();
}

bool TmarrowApp::InitMainWindow() {
    frame_ = std::make_unique<TSDIDecFrame>(settings_, stored_, triggers_);
    // A maximized or otherwise special start becomes a normal window; the profile places it.
    frame_->showNormal();
    return frame_->Start();
}

int TmarrowApp::Run() {
    return exec();
}

} // namespace tav
