// orvane-probe --enrol: adds the model of a monitor to the user's settings
// once the monitor has shown that it reports its orientation. The user
// pivots the monitors to be followed while every monitor that answers DDC/CI
// and is not followed yet is read (VCP 0xAA); a monitor whose reading
// changes has a pivot sensor, and only such a monitor is offered. One that
// never changes may report landscape for ever, and following it would undo
// every rotation the user makes by hand.
#pragma once

#include <QString>

#include <functional>

#include "orvane/monitor/MonitorInventory.h"
#include "orvane/monitor/VcpAccess.h"
#include "platform/Platform.h"

namespace orvane {

struct EnrolOptions {
    int timeLimitMs = 60000;  // watching time, not counting the time the user takes to answer
    int intervalMs = 500;     // between two readings of a monitor
    bool assumeYes = false;   // add without asking (scripts)
};

// How the enrolment meets its user: lines to show, a question answered with
// a line ("" for no answer), and the wait between two rounds of readings.
struct EnrolIo {
    std::function<void(const QString& text)> print;
    std::function<QString(const QString& question)> ask;
    std::function<void(int ms)> pause;
};

// settingsPath: the user's settings file the models are added to.
// Returns the exit status: 0 when a model was added or every monitor that
// answers is followed already, 1 otherwise.
int RunEnrolment(platform::Platform& platform, VcpAccess& vcp, const MonitorInventory& inventory,
                 const QString& settingsPath, const EnrolOptions& options, const EnrolIo& io);

}  // namespace orvane
