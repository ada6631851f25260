// Caps Lock and Num Lock from the X server's named keyboard indicators,
// through the display connection the program already has.
#include "workspace/lockkeys.h"

#include <QGuiApplication>
#include <optional>

#if defined(BILLPRINT_HAVE_X11) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>

namespace {

// The state of one named indicator of the core keyboard; nullopt when the
// server has no indicator of that name.
std::optional<bool> namedIndicator(Display *display, const char *name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    int index = 0;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, &index, &on, nullptr, nullptr))
        return std::nullopt;
    return on != False;
}

} // namespace

namespace lockkeys {

bool readX11(LockKeyState &state)
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const std::optional<bool> caps = namedIndicator(display, "Caps Lock");
    const std::optional<bool> num = namedIndicator(display, "Num Lock");
    if (!caps && !num)
        return false;
    state = LockKeyState{caps.value_or(false), num.value_or(false)};
    return true;
}

} // namespace lockkeys

#else

namespace lockkeys {

bool readX11(LockKeyState &)
{
    return false;
}

} // namespace lockkeys

#endif
