#include "orvane/app/OrvaneEntry.h"
#include "orvane/app/ProcessMonitors.h"

int main(int argc, char** argv)
{
    return orvane::RunOrvane(argc, argv, orvane::ProcessMonitorContext());
}
