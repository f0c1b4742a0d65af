// The lock indicators against a real X server (the test runs under Xvfb): the states come
// from the server's keyboard extension through Qt's own connection, and are read again
// when a lock key goes down in the program or the program becomes active.
#include "AppTestSupport.h"
#include "app/StatusBar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

// After Qt: Xlib defines names such as None and KeyPress as macros.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace tav::test {
namespace {

// Another client of the same server, as the desktop or another program would be.
class OtherClient {
public:
    OtherClient() : display_(XOpenDisplay(nullptr)) {}
    ~OtherClient() {
        if (display_ == nullptr) return;
        Lock(LockMask | NumMask(), false);
        XCloseDisplay(display_);
    }
    bool Connected() const { return display_ != nullptr; }
    unsigned NumMask() const { return XkbKeysymToModifiers(display_, XK_Num_Lock); }
    void Lock(unsigned mask, bool on) {
        XkbLockModifiers(display_, XkbUseCoreKbd, mask, on ? mask : 0);
        XSync(display_, False);
    }

private:
    Display* display_;
};

TEST(KeyboardModesX11, IndicatorsFollowTheServersLockStates) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the xcb platform and an X server";
    OtherClient other;
    ASSERT_TRUE(other.Connected());
    ASSERT_NE(other.NumMask(), 0u);
    other.Lock(LockMask | other.NumMask(), false);

    StatusBar bar;
    bar.show();
    EXPECT_EQ(ModeTexts(bar.ModeIndicators()), (QStringList{"", "", ""}));

    // Caps Lock goes on; its key press reaches the program.
    other.Lock(LockMask, true);
    QTest::keyClick(&bar, Qt::Key_CapsLock);
    EXPECT_TRUE(WaitFor([&] {
        return ModeTexts(bar.ModeIndicators()) == QStringList{"CAPS", "", ""};
    })) << ModeTexts(bar.ModeIndicators()).join(',').toStdString();

    // Num Lock goes on while another program has the keyboard; read on activation.
    other.Lock(LockMask, false);
    other.Lock(other.NumMask(), true);
    QEvent active(QEvent::ApplicationStateChange);
    QCoreApplication::sendEvent(qApp, &active);
    EXPECT_TRUE(WaitFor([&] {
        return ModeTexts(bar.ModeIndicators()) == QStringList{"", "NUM", ""};
    })) << ModeTexts(bar.ModeIndicators()).join(',').toStdString();
}

} // namespace
} // namespace tav::test
