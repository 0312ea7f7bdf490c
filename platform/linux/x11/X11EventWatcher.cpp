#include "platform/linux/x11/X11EventWatcher.h"

#include <cstdlib>

#include <QDebug>
#include <QSocketNotifier>

#include "platform/linux/session/NoticeMapping.h"

// Xlib's macros (Status, None, Bool) clash with Qt's headers: it comes last.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace orvane::platform::linuxplatform {

X11EventWatcher::X11EventWatcher(const char* displayName, std::function<void(const SystemNotice&)> sink,
                                 QObject* parent)
    : QObject(parent), m_sink(std::move(sink))
{
    const char* name = displayName ? displayName : std::getenv("DISPLAY");
    if (!name || !*name) {
        qWarning() << "Notices: no X display, display and work-area changes are not noticed";
        return;
    }
    m_display = XOpenDisplay(name);
    int errorBase = 0;
    if (!m_display || !XRRQueryExtension(m_display, &m_randrEventBase, &errorBase)) {
        qWarning() << "Notices: no X display with RandR at" << name
                   << ", display and work-area changes are not noticed";
        if (m_display)
            XCloseDisplay(m_display);
        m_display = nullptr;
        return;
    }
    const Window root = DefaultRootWindow(m_display);
    m_workAreaAtom = XInternAtom(m_display, "_NET_WORKAREA", False);
    XRRSelectInput(m_display, root, RRScreenChangeNotifyMask);
    XSelectInput(m_display, root, PropertyChangeMask);
    XFlush(m_display);
    m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11EventWatcher::OnReadable);
}

X11EventWatcher::~X11EventWatcher()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void X11EventWatcher::OnReadable()
{
    // One notice per kind for a burst: a single rotation brings several
    // screen-change events.
    bool displayChanged = false;
    bool workAreaChanged = false;
    while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == m_randrEventBase + RRScreenChangeNotify) {
            XRRUpdateConfiguration(&event);
            displayChanged = true;
        } else if (event.type == PropertyNotify && event.xproperty.atom == m_workAreaAtom) {
            workAreaChanged = true;
        }
    }
    if (displayChanged)
        m_sink(DisplayChangeNotice());
    if (workAreaChanged)
        m_sink(WorkAreaNotice());
}

}  // namespace orvane::platform::linuxplatform
