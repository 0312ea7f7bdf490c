#include "platform/linux/x11/RandrSettings.h"

#include <algorithm>
#include <cmath>

#include "platform/linux/displays/DisplayRequest.h"
#include "platform/linux/displays/ReadPlanApply.h"

namespace orvane::platform::linuxplatform {

namespace {

std::uint32_t BitsPerPel(int depth)
{
    return depth == 24 ? 32u : std::uint32_t(depth);
}

RandrChangePlan Refused(std::int32_t code, std::string why)
{
    RandrChangePlan plan;
    plan.result = code;
    plan.why = std::move(why);
    return plan;
}

// "normal, left": the rotations a CRTC offers, named as xrandr names them.
std::string RotationNames(std::uint16_t rotations)
{
    std::string names;
    const std::pair<std::uint16_t, const char*> all[] = {
        {kRandrRotate0, "normal"}, {kRandrRotate90, "left"}, {kRandrRotate180, "inverted"}, {kRandrRotate270, "right"}};
    for (const auto& [bit, name] : all)
        if (rotations & bit)
            names += (names.empty() ? "" : ", ") + std::string(name);
    return names.empty() ? "none" : names;
}

// Millimetres of pixels at the screen's present dots per millimetre.
std::int32_t Millimetres(std::int64_t pixels, std::int32_t now, std::int32_t nowMm)
{
    return now > 0 ? std::int32_t(std::lround(double(pixels) * nowMm / now)) : nowMm;
}

// The output's mode that serves the request; nullptr when none does.
const RandrMode* ChosenMode(const RandrScreen& screen, const RandrOutput& output, RandrId current,
                            const DisplayRequest& request)
{
    std::vector<ModeCandidate> candidates;
    std::vector<const RandrMode*> modes;
    for (std::size_t i = 0; i < output.modes.size(); ++i) {
        const RandrMode* mode = screen.Mode(output.modes[i]);
        if (!mode)
            continue;
        // The output lists its preferred modes first.
        candidates.push_back({mode->width, mode->height, mode->refresh, mode->id == current, int(i) < output.preferred});
        modes.push_back(mode);
    }
    const int chosen = ChooseMode(candidates, request);
    return chosen < 0 ? nullptr : modes[std::size_t(chosen)];
}

// The screen the layout needs afterwards (every lit CRTC where it is, crtc
// with its new size), into plan; false when the server cannot hold it.
bool FitScreen(const RandrScreen& screen, const RandrCrtc& crtc, const RandrMode& chosen, bool portrait,
               RandrChangePlan& plan)
{
    std::int64_t right = screen.minWidth;
    std::int64_t bottom = screen.minHeight;
    for (const auto& other : screen.crtcs) {
        if (!other.mode)
            continue;
        std::int64_t width = other.width;
        std::int64_t height = other.height;
        if (other.id == crtc.id) {
            width = portrait ? chosen.height : chosen.width;
            height = portrait ? chosen.width : chosen.height;
        }
        right = std::max(right, other.x + width);
        bottom = std::max(bottom, other.y + height);
    }
    if ((screen.maxWidth > 0 && right > screen.maxWidth) || (screen.maxHeight > 0 && bottom > screen.maxHeight))
        return false;
    plan.screenWidth = std::int32_t(right);
    plan.screenHeight = std::int32_t(bottom);
    // Same dots per millimetre as now.
    plan.screenWidthMm = Millimetres(right, screen.width, screen.widthMm);
    plan.screenHeightMm = Millimetres(bottom, screen.height, screen.heightMm);
    return true;
}

}  // namespace

bool CarryOut(RandrServer& server, const RandrScreen& screen, const RandrChangePlan& plan)
{
    server.Grab();
    const std::int32_t grownWidth = std::max(screen.width, plan.screenWidth);
    const std::int32_t grownHeight = std::max(screen.height, plan.screenHeight);
    const bool grow = grownWidth != screen.width || grownHeight != screen.height;
    if (grow && !server.SetScreenSize(grownWidth, grownHeight, Millimetres(grownWidth, screen.width, screen.widthMm),
                                      Millimetres(grownHeight, screen.height, screen.heightMm))) {
        server.Ungrab();
        return false;
    }
    if (!server.SetCrtc(plan.crtc)) {
        if (grow)
            server.SetScreenSize(screen.width, screen.height, screen.widthMm, screen.heightMm);
        server.Ungrab();
        return false;
    }
    if (plan.screenWidth != grownWidth || plan.screenHeight != grownHeight)
        server.SetScreenSize(plan.screenWidth, plan.screenHeight, plan.screenWidthMm, plan.screenHeightMm);
    server.Ungrab();
    return true;
}


const RandrMode* RandrScreen::Mode(RandrId id) const
{
    for (const auto& mode : modes) {
        if (mode.id == id)
            return &mode;
    }
    return nullptr;
}

const RandrCrtc* RandrScreen::Crtc(RandrId id) const
{
    for (const auto& crtc : crtcs) {
        if (crtc.id == id)
            return &crtc;
    }
    return nullptr;
}

const RandrOutput* RandrScreen::Output(const std::string& name) const
{
    for (const auto& output : outputs) {
        if (output.name == name)
            return &output;
    }
    return nullptr;
}

std::uint16_t RandrRotationFor(std::uint32_t orientation)
{
    switch (orientation) {
    case DMDO_90:
        return kRandrRotate90;
    case DMDO_180:
        return kRandrRotate180;
    case DMDO_270:
        return kRandrRotate270;
    default:
        return kRandrRotate0;
    }
}

std::uint32_t OrientationFor(std::uint16_t rotation)
{
    switch (rotation & kRandrRotationMask) {
    case kRandrRotate90:
        return DMDO_90;
    case kRandrRotate180:
        return DMDO_180;
    case kRandrRotate270:
        return DMDO_270;
    default:
        return DMDO_DEFAULT;
    }
}

std::optional<DisplaySettings> CurrentSettings(const RandrScreen& screen, const std::string& name)
{
    const RandrOutput* output = screen.Output(name);
    const RandrCrtc* crtc = output ? screen.Crtc(output->crtc) : nullptr;
    const RandrMode* mode = crtc ? screen.Mode(crtc->mode) : nullptr;
    if (!mode)
        return std::nullopt;
    return ShownSettings({mode->width, mode->height, WholeHertz(mode->refresh)}, OrientationFor(crtc->rotation),
                         BitsPerPel(screen.depth));
}

std::vector<DisplaySettings> ModeList(const RandrScreen& screen, const std::string& name)
{
    std::vector<DisplaySettings> list;
    const RandrOutput* output = screen.Output(name);
    if (!output)
        return list;
    for (RandrId id : output->modes) {
        const RandrMode* mode = screen.Mode(id);
        if (!mode)
            continue;
        AddDistinctMode(list, {mode->width, mode->height, WholeHertz(mode->refresh)}, BitsPerPel(screen.depth));
    }
    return list;
}

RandrChangePlan PlanChange(const RandrScreen& screen, const std::string& name, const DisplaySettings& settings)
{
    const RandrOutput* output = screen.Output(name);
    const RandrCrtc* crtc = output ? screen.Crtc(output->crtc) : nullptr;
    const RandrMode* current = crtc ? screen.Mode(crtc->mode) : nullptr;
    if (!current)
        return Refused(DISP_CHANGE_FAILED, NoOutput(name));  // unknown output, or one that shows nothing

    const DisplayRequest request =
        DecodeRequest(settings, OrientationFor(crtc->rotation), current->width, current->height);
    if (request.result != DISP_CHANGE_SUCCESSFUL)
        return Refused(request.result, OrientationBeyondRange(request));
    const std::uint16_t rotation = RandrRotationFor(request.orientation);
    if (!(crtc->rotations & rotation))
        return Refused(DISP_CHANGE_BADMODE, "the output's CRTC offers only the rotations: " +
                                                RotationNames(crtc->rotations & kRandrRotationMask));
    const RandrMode* chosen = ChosenMode(screen, *output, current->id, request);
    if (!chosen)
        return Refused(DISP_CHANGE_BADMODE, NoModeFor(request));

    RandrChangePlan plan;
    plan.crtc.crtc = crtc->id;
    plan.crtc.x = crtc->x;
    plan.crtc.y = crtc->y;
    plan.crtc.mode = chosen->id;
    plan.crtc.rotation = std::uint16_t(rotation | (crtc->rotation & ~kRandrRotationMask));
    plan.crtc.outputs = crtc->outputs;
    plan.nothingToDo = chosen->id == crtc->mode && plan.crtc.rotation == crtc->rotation;
    if (!FitScreen(screen, *crtc, *chosen, request.portrait, plan))
        return Refused(DISP_CHANGE_BADMODE, "the layout with the output turned would exceed the largest screen, " +
                                                std::to_string(screen.maxWidth) + "x" +
                                                std::to_string(screen.maxHeight));
    return plan;
}

std::int32_t ApplyChange(RandrServer& server, const std::string& output, const DisplaySettings& settings)
{
    return ReadPlanApply([&] { return server.Read(); },
                         [&](const RandrScreen& screen) { return PlanChange(screen, output, settings); },
                         [&](const RandrScreen& screen, const RandrChangePlan& plan, std::string*) {
                             return CarryOut(server, screen, plan);
                         },
                         "The X server");
}

}  // namespace orvane::platform::linuxplatform
