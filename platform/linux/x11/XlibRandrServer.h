// RandrServer over an Xlib connection of its own. Used on one thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/x11/RandrServer.h"

typedef struct _XDisplay Display;

namespace orvane::platform::linuxplatform {

class XlibRandrServer : public RandrServer {
public:
    // Connects to displayName (nullptr: $DISPLAY). nullptr with why filled
    // when there is no X server or it lacks RandR 1.2.
    static std::unique_ptr<XlibRandrServer> Connect(const char* displayName, std::string* why);
    ~XlibRandrServer() override;

    std::optional<RandrScreen> Read() override;
    void Grab() override;
    void Ungrab() override;
    bool SetScreenSize(std::int32_t width, std::int32_t height, std::int32_t widthMm, std::int32_t heightMm) override;
    bool SetCrtc(const RandrCrtcConfig& config) override;

private:
    explicit XlibRandrServer(Display* display);
    Display* m_display;
};

}  // namespace orvane::platform::linuxplatform
