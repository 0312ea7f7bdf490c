#include "platform/linux/x11/XlibRandrServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

namespace orvane::platform::linuxplatform {

namespace {

// Xlib ends the process on a protocol error unless a handler takes it; a
// refused request here is an ordinary outcome.
int g_protocolErrors = 0;

int CountError(Display*, XErrorEvent*)
{
    ++g_protocolErrors;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display)
    {
        XSync(m_display, False);
        g_protocolErrors = 0;
        m_previous = XSetErrorHandler(CountError);
    }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    // Whether any request since construction failed.
    bool Failed()
    {
        XSync(m_display, False);
        return g_protocolErrors != 0;
    }

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*) = nullptr;
};

double RefreshOf(const XRRModeInfo& mode)
{
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (mode.modeFlags & RR_Interlace)
        lines /= 2;
    return (mode.hTotal && lines > 0) ? double(mode.dotClock) / (double(mode.hTotal) * lines) : 0.0;
}

Edid ReadEdid(Display* display, RROutput output)
{
    Edid edid;
    const Atom name = XInternAtom(display, "EDID", True);
    if (name == None)
        return edid;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XRRGetOutputProperty(display, output, name, 0, 256, False, False, AnyPropertyType, &type, &format, &count,
                             &after, &data) == Success &&
        data) {
        if (format == 8)
            edid.assign(data, data + count);
        XFree(data);
    }
    return edid;
}

std::optional<Rect> ReadWorkArea(Display* display, Window root)
{
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", True);
    if (workArea == None)
        return std::nullopt;
    long desktop = 0;
    const Atom current = XInternAtom(display, "_NET_CURRENT_DESKTOP", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (current != None && XGetWindowProperty(display, root, current, 0, 1, False, XA_CARDINAL, &type, &format,
                                              &count, &after, &data) == Success && data) {
        if (format == 32 && count == 1)
            desktop = reinterpret_cast<long*>(data)[0];
        XFree(data);
        data = nullptr;
    }
    std::optional<Rect> rect;
    if (XGetWindowProperty(display, root, workArea, 0, 1024, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success && data) {
        const long* values = reinterpret_cast<long*>(data);
        if (format == 32 && count >= 4) {
            const unsigned long first = (desktop >= 0 && (unsigned long)(desktop + 1) * 4 <= count) ? desktop * 4 : 0;
            rect = Rect{std::int32_t(values[first]), std::int32_t(values[first + 1]),
                        std::int32_t(values[first] + values[first + 2]),
                        std::int32_t(values[first + 1] + values[first + 3])};
        }
        XFree(data);
    }
    return rect;
}

// The screen as a whole: size, depth, millimetres, size range, primary
// output and work area.
RandrScreen ReadScreen(Display* display, Window root)
{
    RandrScreen screen;
    Window unusedRoot = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, root, &unusedRoot, &x, &y, &width, &height, &border, &depth);
    screen.width = std::int32_t(width);
    screen.height = std::int32_t(height);
    screen.depth = int(depth);
    // Xlib's millimetre figures lag behind changes made by others; only their
    // ratio to the pixels it knows is used.
    const int screenNumber = DefaultScreen(display);
    const double xlibWidth = DisplayWidth(display, screenNumber);
    const double xlibHeight = DisplayHeight(display, screenNumber);
    screen.widthMm = xlibWidth > 0 ? std::int32_t(DisplayWidthMM(display, screenNumber) * width / xlibWidth) : 0;
    screen.heightMm = xlibHeight > 0 ? std::int32_t(DisplayHeightMM(display, screenNumber) * height / xlibHeight) : 0;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    if (XRRGetScreenSizeRange(display, root, &minWidth, &minHeight, &maxWidth, &maxHeight)) {
        screen.minWidth = minWidth;
        screen.minHeight = minHeight;
        screen.maxWidth = maxWidth;
        screen.maxHeight = maxHeight;
    }
    screen.primary = XRRGetOutputPrimary(display, root);
    screen.workArea = ReadWorkArea(display, root);
    return screen;
}

std::vector<RandrCrtc> ReadCrtcs(Display* display, XRRScreenResources* resources)
{
    std::vector<RandrCrtc> crtcs;
    for (int i = 0; i < resources->ncrtc; ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!info)
            continue;
        RandrCrtc crtc;
        crtc.id = resources->crtcs[i];
        crtc.x = info->x;
        crtc.y = info->y;
        crtc.width = info->width;
        crtc.height = info->height;
        crtc.mode = info->mode;
        crtc.rotation = info->rotation;
        crtc.rotations = info->rotations;
        crtc.outputs.assign(info->outputs, info->outputs + info->noutput);
        XRRFreeCrtcInfo(info);
        crtcs.push_back(std::move(crtc));
    }
    return crtcs;
}

std::vector<RandrOutput> ReadOutputs(Display* display, XRRScreenResources* resources)
{
    std::vector<RandrOutput> outputs;
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!info)
            continue;
        RandrOutput output;
        output.id = resources->outputs[i];
        output.name.assign(info->name, info->nameLen);
        output.connected = info->connection == RR_Connected;
        output.crtc = info->crtc;
        output.modes.assign(info->modes, info->modes + info->nmode);
        output.preferred = info->npreferred;
        XRRFreeOutputInfo(info);
        if (output.connected)
            output.edid = ReadEdid(display, output.id);
        outputs.push_back(std::move(output));
    }
    return outputs;
}

}  // namespace

std::unique_ptr<XlibRandrServer> XlibRandrServer::Connect(const char* displayName, std::string* why)
{
    const char* name = displayName ? displayName : std::getenv("DISPLAY");
    if (!name || !*name) {
        if (why)
            *why = "no X display (DISPLAY is not set)";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        if (why)
            *why = std::string("cannot connect to the X display ") + name;
        return nullptr;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(display);
        if (why)
            *why = std::string("the X display ") + name + " lacks the RandR 1.2 extension";
        return nullptr;
    }
    return std::unique_ptr<XlibRandrServer>(new XlibRandrServer(display));
}

XlibRandrServer::XlibRandrServer(Display* display) : m_display(display) {}

XlibRandrServer::~XlibRandrServer()
{
    XCloseDisplay(m_display);
}

std::optional<RandrScreen> XlibRandrServer::Read()
{
    ErrorTrap trap(m_display);
    const Window root = DefaultRootWindow(m_display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(m_display, root);
    if (!resources)
        return std::nullopt;

    RandrScreen screen = ReadScreen(m_display, root);
    for (int i = 0; i < resources->nmode; ++i) {
        const XRRModeInfo& info = resources->modes[i];
        screen.modes.push_back(RandrMode{info.id, info.width, info.height, RefreshOf(info)});
    }
    screen.crtcs = ReadCrtcs(m_display, resources);
    screen.outputs = ReadOutputs(m_display, resources);
    XRRFreeScreenResources(resources);
    if (trap.Failed())
        return std::nullopt;  // something changed under our feet; the caller asks again later
    return screen;
}

void XlibRandrServer::Grab()
{
    XGrabServer(m_display);
}

void XlibRandrServer::Ungrab()
{
    XUngrabServer(m_display);
    XSync(m_display, False);
}

bool XlibRandrServer::SetScreenSize(std::int32_t width, std::int32_t height, std::int32_t widthMm,
                                    std::int32_t heightMm)
{
    ErrorTrap trap(m_display);
    XRRSetScreenSize(m_display, DefaultRootWindow(m_display), width, height, widthMm, heightMm);
    return !trap.Failed();
}

bool XlibRandrServer::SetCrtc(const RandrCrtcConfig& config)
{
    ErrorTrap trap(m_display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(m_display, DefaultRootWindow(m_display));
    if (!resources)
        return false;
    std::vector<RROutput> outputs(config.outputs.begin(), config.outputs.end());
    const Status status =
        XRRSetCrtcConfig(m_display, resources, config.crtc, CurrentTime, config.x, config.y, config.mode,
                         config.rotation, outputs.data(), int(outputs.size()));
    XRRFreeScreenResources(resources);
    return !trap.Failed() && status == RRSetConfigSuccess;
}

}  // namespace orvane::platform::linuxplatform
