#include "platform/linux/displays/DisplayRequest.h"

#include <cmath>

#include "platform/linux/displays/ModeListing.h"

namespace orvane::platform::linuxplatform {

namespace {

int Rank(const ModeCandidate& mode)
{
    return mode.current ? 3 : (mode.preferred ? 2 : 1);
}

}  // namespace

DisplayRequest DecodeRequest(const DisplaySettings& settings, std::uint32_t orientationNow, std::uint32_t widthNow,
                             std::uint32_t heightNow)
{
    DisplayRequest request;
    request.orientation = (settings.fields & DM_DISPLAYORIENTATION) ? settings.orientation : orientationNow;
    if (request.orientation > DMDO_270) {
        request.result = DISP_CHANGE_BADMODE;
        return request;
    }
    request.portrait = IsPortrait(request.orientation);
    request.width = widthNow;
    request.height = heightNow;
    if (settings.fields & DM_PELSWIDTH)
        (request.portrait ? request.height : request.width) = settings.pelsWidth;
    if (settings.fields & DM_PELSHEIGHT)
        (request.portrait ? request.width : request.height) = settings.pelsHeight;
    if ((settings.fields & DM_DISPLAYFREQUENCY) && settings.displayFrequency > 1)
        request.hertz = settings.displayFrequency;
    return request;
}

std::string NoModeFor(const DisplayRequest& request)
{
    const std::uint32_t width = request.portrait ? request.height : request.width;
    const std::uint32_t height = request.portrait ? request.width : request.height;
    return "no mode " + std::to_string(width) + "x" + std::to_string(height) +
           (request.hertz ? " at " + std::to_string(request.hertz) + " Hz" : std::string()) + " for this output";
}

std::string NoOutput(const std::string& name)
{
    return "no output " + name + " shows a picture";
}

std::string OrientationBeyondRange(const DisplayRequest& request)
{
    return "orientation " + std::to_string(request.orientation) + " does not exist";
}

int ChooseMode(const std::vector<ModeCandidate>& modes, const DisplayRequest& request)
{
    int chosen = -1;
    for (std::size_t i = 0; i < modes.size(); ++i) {
        const ModeCandidate& mode = modes[i];
        if (mode.width != request.width || mode.height != request.height)
            continue;
        if (request.hertz && WholeHertz(mode.refresh) != request.hertz)
            continue;
        if (chosen < 0) {
            chosen = int(i);
            continue;
        }
        const ModeCandidate& best = modes[std::size_t(chosen)];
        const bool closer = request.hertz ? std::fabs(mode.refresh - request.hertz) < std::fabs(best.refresh - request.hertz)
                                          : mode.refresh > best.refresh;
        if (Rank(mode) > Rank(best) || (Rank(mode) == Rank(best) && closer))
            chosen = int(i);
    }
    return chosen;
}

}  // namespace orvane::platform::linuxplatform
