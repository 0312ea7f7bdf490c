// The RandR planner fed any screen the X server could report (sizes of the
// protocol's widths, modes, CRTCs and outputs referring to each other or to
// nothing) and any change request; a plan it makes must keep the output on
// its CRTC with one of its own modes, inside the screen it asks for; carried
// out against a server that refuses any step, it must leave the grab.
#include <algorithm>

#include "fuzz/support/DisplayDecoding.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/linux/x11/RandrSettings.h"

namespace {

using namespace orvane::platform;
using namespace orvane::platform::linuxplatform;
using orvane::fuzz::FuzzInput;

// Answers each step as the input says.
class ScriptedServer : public RandrServer {
public:
    explicit ScriptedServer(FuzzInput& in) : m_in(in) {}
    std::optional<RandrScreen> Read() override { return std::nullopt; }
    void Grab() override { ++grabs; }
    void Ungrab() override { --grabs; }
    bool SetScreenSize(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override { return m_in.Bool(); }
    bool SetCrtc(const RandrCrtcConfig&) override { return m_in.Bool(); }
    int grabs = 0;

private:
    FuzzInput& m_in;
};

RandrScreen DecodeScreen(FuzzInput& in)
{
    RandrScreen screen;
    screen.width = in.Integral<std::uint16_t>();
    screen.height = in.Integral<std::uint16_t>();
    screen.widthMm = in.Integral<std::int32_t>();
    screen.heightMm = in.Integral<std::int32_t>();
    screen.minWidth = in.Integral<std::uint16_t>();
    screen.minHeight = in.Integral<std::uint16_t>();
    screen.maxWidth = in.Integral<std::uint16_t>();
    screen.maxHeight = in.Integral<std::uint16_t>();
    screen.depth = in.Integral<std::uint8_t>();
    for (std::uint32_t n = in.Below(6); n > 0; --n) {
        RandrMode mode;
        mode.id = 1 + in.Below(7);  // an XID is never 0 (None)
        mode.width = in.Integral<std::uint16_t>();
        mode.height = in.Integral<std::uint16_t>();
        // As the server's timings give it: dot clock over line length times lines.
        const double clock = in.Integral<std::uint32_t>();
        const double lineLength = in.Integral<std::uint16_t>();
        const double lines = in.Integral<std::uint16_t>();
        mode.refresh = lineLength * lines > 0 ? clock / (lineLength * lines) : 0;
        screen.modes.push_back(mode);
    }
    for (std::uint32_t n = in.Below(4); n > 0; --n) {
        RandrCrtc crtc;
        crtc.id = 1 + in.Below(3);
        crtc.x = in.Integral<std::int16_t>();
        crtc.y = in.Integral<std::int16_t>();
        crtc.width = in.Integral<std::uint16_t>();
        crtc.height = in.Integral<std::uint16_t>();
        crtc.mode = in.Below(8);
        crtc.rotation = in.Integral<std::uint16_t>();
        crtc.rotations = in.Integral<std::uint16_t>();
        for (std::uint32_t o = in.Below(3); o > 0; --o)
            crtc.outputs.push_back(in.Below(4));
        screen.crtcs.push_back(crtc);
    }
    for (std::uint32_t n = in.Below(4); n > 0; --n) {
        RandrOutput output;
        output.id = 1 + in.Below(3);
        output.name = orvane::fuzz::ConnectorName(in);
        output.connected = in.Bool();
        output.crtc = in.Below(4);
        for (std::uint32_t m = in.Below(6); m > 0; --m)
            output.modes.push_back(in.Below(8));
        output.preferred = in.Integral<std::int8_t>();
        screen.outputs.push_back(output);
    }
    return screen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using orvane::fuzz::Check;
    FuzzInput in(data, size);
    const RandrScreen screen = DecodeScreen(in);
    const std::string name = orvane::fuzz::ConnectorName(in);
    const DisplaySettings request = orvane::fuzz::Request(in);
    CurrentSettings(screen, name);
    ModeList(screen, name);
    const RandrChangePlan plan = PlanChange(screen, name, request);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return 0;

    const RandrOutput* output = screen.Output(name);
    Check(output && plan.crtc.crtc == output->crtc, "the output's own CRTC");
    Check(std::count(output->modes.begin(), output->modes.end(), plan.crtc.mode) > 0 && screen.Mode(plan.crtc.mode),
          "one of the output's modes");
    const RandrMode& mode = *screen.Mode(plan.crtc.mode);
    const bool portrait = IsPortrait(OrientationFor(plan.crtc.rotation));
    const std::int64_t right = std::int64_t(plan.crtc.x) + (portrait ? mode.height : mode.width);
    const std::int64_t bottom = std::int64_t(plan.crtc.y) + (portrait ? mode.width : mode.height);
    Check(right <= plan.screenWidth && bottom <= plan.screenHeight, "the CRTC inside the planned screen");
    Check((screen.maxWidth <= 0 || plan.screenWidth <= screen.maxWidth) &&
              (screen.maxHeight <= 0 || plan.screenHeight <= screen.maxHeight),
          "the planned screen within the server's range");

    ScriptedServer server(in);
    CarryOut(server, screen, plan);
    Check(server.grabs == 0, "the grab let go");
    return 0;
}
