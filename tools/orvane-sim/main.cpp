// orvane-sim: drives a simulated platform from outside the process that uses
// it (pivot, unplug or silence a monitor, post a system notice, show state).
#include <QCoreApplication>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/sim/SimControl.h"

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << "Drives the simulated monitors that Orvane uses when started with\n"
                     "ORVANE_PLATFORM=sim:FILE: pivot, unplug or silence them, post system notices.\n"
                  << orvane::platform::sim::SimUsage();
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::cout << "orvane-sim " ORVANE_VERSION_TEXT "\n";
        return 0;
    }
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvane::platform::sim::RunSimCommand(args, std::cout, std::cerr);
}
