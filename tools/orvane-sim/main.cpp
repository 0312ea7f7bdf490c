// orvane-sim: drives a simulated platform from outside the process that uses
// it (pivot, unplug or silence a monitor, post a system notice, show state).
#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

#include "platform/sim/SimControl.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return orvane::platform::sim::RunSimCommand(args, std::cout, std::cerr);
}
