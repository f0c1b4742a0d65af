#include "app/KeyboardModes.h"

#if defined(TAV_HAVE_X11)
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
// After Qt: Xlib defines names such as None and KeyPress as macros.
#include <X11/XKBlib.h>
#endif

namespace tav {

#if defined(TAV_HAVE_X11)

namespace {

// The X connection Qt already has, or null on another platform.
Display* QtDisplay() {
    if (qGuiApp == nullptr) return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->display() : nullptr;
}

// The keyboard's indicators by their standard names, as the keymap binds them: which
// indicator is which differs between keymaps, and so does which ones exist.
struct IndicatorNames {
    Display* display = nullptr;
    Atom caps = 0;
    Atom num = 0;
    Atom scroll = 0;
};

const IndicatorNames& NamesFor(Display* display) {
    static IndicatorNames names;
    if (names.display != display) {
        names.display = display;
        names.caps = XInternAtom(display, "Caps Lock", False);
        names.num = XInternAtom(display, "Num Lock", False);
        names.scroll = XInternAtom(display, "Scroll Lock", False);
    }
    return names;
}

// Whether the named indicator exists; `on` tells its state.
bool ReadIndicator(Display* display, Atom name, bool& on) {
    Bool state = False;
    if (!XkbGetNamedIndicator(display, name, nullptr, &state, nullptr, nullptr)) return false;
    on = state != False;
    return true;
}

} // namespace

std::optional<KeyboardModes> ReadKeyboardModes() {
    Display* display = QtDisplay();
    if (display == nullptr) return std::nullopt;
    const IndicatorNames& names = NamesFor(display);
    KeyboardModes modes;
    // A keymap without one of them shows it off; one without any (or a server without the
    // keyboard extension) cannot tell.
    const bool caps = ReadIndicator(display, names.caps, modes.caps);
    const bool num = ReadIndicator(display, names.num, modes.num);
    const bool scroll = ReadIndicator(display, names.scroll, modes.scroll);
    if (!caps && !num && !scroll) return std::nullopt;
    return modes;
}

#else

std::optional<KeyboardModes> ReadKeyboardModes() {
    return std::nullopt;
}

#endif

} // namespace tav
