#include "frame/lock_keys.h"

#include <QGuiApplication>

#ifdef QA_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace qa {

std::optional<LockKeyState> ReadLockKeys() {
#ifdef QA_HAVE_X11
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    // The named indicators, not modifier bits: which modifier Num Lock sets depends on the
    // keymap, the light's name does not.
    auto light = [display](const char* name) -> std::optional<bool> {
        Atom atom = XInternAtom(display, name, True);
        int index = 0;
        Bool on = False;
        Bool real = False;
        if (atom == None || !XkbGetNamedIndicator(display, atom, &index, &on, nullptr, &real)) {
            return std::nullopt;
        }
        return on != False;
    };
    const auto caps = light("Caps Lock");
    const auto num = light("Num Lock");
    const auto scroll = light("Scroll Lock");
    if (!caps || !num || !scroll) {
        return std::nullopt;
    }
    return LockKeyState{*caps, *num, *scroll};
#else
    return std::nullopt;
#endif
}

} // namespace qa
