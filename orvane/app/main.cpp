#include "common/GuiSessionCheck.h"
#include "common/InfoOptions.h"
#include "orvane/app/OrvaneEntry.h"
#include "orvane/app/ProcessMonitors.h"

int main(int argc, char** argv)
{
    // Answered before the monitor objects are built, so asking for the
    // version touches no monitor.
    if (orvane::IsInfoRequest(argc, argv)) {
        return orvane::AnswerInfoRequest(
            argc, argv,
            {"Orvane", ORVANE_VERSION_TEXT,
             "Turns each supported monitor's desktop the way the monitor stands, read over DDC/CI.\n"
             "Runs in the notification area; it takes no arguments.",
             {}});
    }
    if (orvane::LacksGuiSession(argc, argv, "Orvane"))
        return 1;
    return orvane::RunOrvane(argc, argv, orvane::ProcessMonitorContext());
}
