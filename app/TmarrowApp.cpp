#include "app/TmarrowApp.h"

#include "app/MainFrame.h"
#include "app/SignalBridge.h"

#include <QSessionManager>

#include <csignal>

namespace tav {

TmarrowApp::TmarrowApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("TavClient"));
    // Wayland desktops find the installed desktop entry (and so the icon) by this name.
    setDesktopFileName(QStringLiteral("tavclient"));
    setQuitOnLastWindowClosed(true);

    signals_ = std::make_unique<SignalBridge>(std::initializer_list<int>{SIGTERM, SIGHUP, SIGINT});
    connect(signals_.get(), &SignalBridge::received, this, [this] { EndWithoutAsking(); });
    connect(this, &QGuiApplication::commitDataRequest, this, [this] {
        if (frame_) frame_->SaveAll();
    });
    connect(this, &QCoreApplication::aboutToQuit, this, &TmarrowApp::ShutDownFrame);
}

TmarrowApp::~TmarrowApp() {
    signals_.reset();
    frame_.reset();
}

bool TmarrowApp::InitMainWindow(const std::optional<std::string>& profile,
                                const std::optional<QuickGame>& game) {
    frame_ = std::make_unique<TSDIDecFrame>(settings_, stored_, triggers_);
    // A maximized or otherwise special start becomes a normal window; the profile places it.
    frame_->showNormal();
    return frame_->Start(profile, game) && !endRequested_;
}

int TmarrowApp::Run() {
    const int result = endRequested_ ? 0 : exec();
    ShutDownFrame();
    return result;
}

bool TmarrowApp::event(QEvent* event) {
    // The platform asks the program to quit (the desktop session ends, say). Qt would close
    // the windows first, and the frame would ask "Still connected... exit?" with nobody
    // there to answer.
    if (event->type() == QEvent::Quit) {
        EndWithoutAsking();
        return true;
    }
    return QApplication::event(event);
}

void TmarrowApp::EndWithoutAsking() {
    endRequested_ = true;
    // Not quit(): that closes the windows first, which asks. exit() leaves every running
    // loop, a modal dialog's as well, and later ones return at once.
    exit(0);
}

void TmarrowApp::ShutDownFrame() {
    if (frame_) frame_->ShutDown();
}

} // namespace tav
