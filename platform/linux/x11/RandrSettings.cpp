#include "platform/linux/x11/RandrSettings.h"

#include <algorithm>
#include <cmath>

namespace orvane::platform::linuxplatform {

namespace {

bool IsPortrait(std::uint32_t orientation)
{
    return orientation == DMDO_90 || orientation == DMDO_270;
}

std::uint32_t BitsPerPel(int depth)
{
    return depth == 24 ? 32u : std::uint32_t(depth);
}

RandrChangePlan Refused(std::int32_t code)
{
    RandrChangePlan plan;
    plan.result = code;
    return plan;
}

}  // namespace

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
        return Refused(DISP_CHANGE_FAILED);  // unknown output, or one that shows nothing

    const std::uint32_t orientation =
        (settings.fields & DM_DISPLAYORIENTATION) ? settings.orientation : OrientationFor(crtc->rotation);
    if (orientation > DMDO_270)
        return Refused(DISP_CHANGE_BADMODE);
    const std::uint16_t rotation = RandrRotationFor(orientation);
    if (!(crtc->rotations & rotation))
        return Refused(DISP_CHANGE_BADMODE);
    const bool portrait = IsPortrait(orientation);

    // The mode is unrotated; the requested size is the one shown.
    std::uint32_t modeWidth = current->width;
    std::uint32_t modeHeight = current->height;
    if (settings.fields & DM_PELSWIDTH)
        (portrait ? modeHeight : modeWidth) = settings.pelsWidth;
    if (settings.fields & DM_PELSHEIGHT)
        (portrait ? modeWidth : modeHeight) = settings.pelsHeight;
    // 0 and 1 stand for the hardware's default rate.
    const std::uint32_t hertz = (settings.fields & DM_DISPLAYFREQUENCY) && settings.displayFrequency > 1
                                    ? settings.displayFrequency
                                    : 0;

    const RandrMode* chosen = nullptr;
    int chosenRank = 0;
    for (std::size_t i = 0; i < output->modes.size(); ++i) {
        const RandrMode* mode = screen.Mode(output->modes[i]);
        if (!mode || mode->width != modeWidth || mode->height != modeHeight)
            continue;
        if (hertz && WholeHertz(mode->refresh) != hertz)
            continue;
        // Keep what runs now where it fits; else the monitor's preferred
        // timing; else the fastest (or, with a rate asked for, the closest).
        int rank = 0;
        if (mode->id == current->id)
            rank = 3;
        else if (int(i) < output->preferred)
            rank = 2;
        else
            rank = 1;
        const bool better =
            !chosen || rank > chosenRank ||
            (rank == chosenRank && (hertz ? std::fabs(mode->refresh - hertz) < std::fabs(chosen->refresh - hertz)
                                          : mode->refresh > chosen->refresh));
        if (better) {
            chosen = mode;
            chosenRank = rank;
        }
    }
    if (!chosen)
        return Refused(DISP_CHANGE_BADMODE);

    RandrChangePlan plan;
    plan.crtc.crtc = crtc->id;
    plan.crtc.x = crtc->x;
    plan.crtc.y = crtc->y;
    plan.crtc.mode = chosen->id;
    plan.crtc.rotation = std::uint16_t(rotation | (crtc->rotation & ~kRandrRotationMask));
    plan.crtc.outputs = crtc->outputs;
    plan.nothingToDo = chosen->id == crtc->mode && plan.crtc.rotation == crtc->rotation;

    // The layout the screen must hold afterwards: every lit CRTC where it is,
    // this one with its new size.
    std::int64_t right = screen.minWidth;
    std::int64_t bottom = screen.minHeight;
    for (const auto& other : screen.crtcs) {
        if (!other.mode)
            continue;
        std::int64_t width = other.width;
        std::int64_t height = other.height;
        if (other.id == crtc->id) {
            width = portrait ? chosen->height : chosen->width;
            height = portrait ? chosen->width : chosen->height;
        }
        right = std::max(right, other.x + width);
        bottom = std::max(bottom, other.y + height);
    }
    if ((screen.maxWidth > 0 && right > screen.maxWidth) || (screen.maxHeight > 0 && bottom > screen.maxHeight))
        return Refused(DISP_CHANGE_BADMODE);
    plan.screenWidth = std::int32_t(right);
    plan.screenHeight = std::int32_t(bottom);
    // Same dots per millimetre as now.
    plan.screenWidthMm = screen.width > 0 ? std::int32_t(std::lround(double(right) * screen.widthMm / screen.width))
                                          : screen.widthMm;
    plan.screenHeightMm = screen.height > 0
                              ? std::int32_t(std::lround(double(bottom) * screen.heightMm / screen.height))
                              : screen.heightMm;
    return plan;
}

std::int32_t ApplyChange(RandrServer& server, const std::string& output, const DisplaySettings& settings)
{
    const auto screen = server.Read();
    if (!screen)
        return DISP_CHANGE_FAILED;
    const RandrChangePlan plan = PlanChange(*screen, output, settings);
    if (plan.result != DISP_CHANGE_SUCCESSFUL)
        return plan.result;
    if (plan.nothingToDo)
        return DISP_CHANGE_SUCCESSFUL;

    server.Grab();
    const std::int32_t grownWidth = std::max(screen->width, plan.screenWidth);
    const std::int32_t grownHeight = std::max(screen->height, plan.screenHeight);
    const bool grow = grownWidth != screen->width || grownHeight != screen->height;
    const auto mm = [&](std::int32_t pixels, std::int32_t now, std::int32_t nowMm) {
        return now > 0 ? std::int32_t(std::lround(double(pixels) * nowMm / now)) : nowMm;
    };
    if (grow && !server.SetScreenSize(grownWidth, grownHeight, mm(grownWidth, screen->width, screen->widthMm),
                                      mm(grownHeight, screen->height, screen->heightMm))) {
        server.Ungrab();
        return DISP_CHANGE_FAILED;
    }
    if (!server.SetCrtc(plan.crtc)) {
        if (grow)
            server.SetScreenSize(screen->width, screen->height, screen->widthMm, screen->heightMm);
        server.Ungrab();
        return DISP_CHANGE_FAILED;
    }
    if (plan.screenWidth != grownWidth || plan.screenHeight != grownHeight)
        server.SetScreenSize(plan.screenWidth, plan.screenHeight, plan.screenWidthMm, plan.screenHeightMm);
    server.Ungrab();
    return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace orvane::platform::linuxplatform
