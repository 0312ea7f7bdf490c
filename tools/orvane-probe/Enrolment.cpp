#include "tools/orvane-probe/Enrolment.h"

#include <QElapsedTimer>

#include <algorithm>
#include <optional>
#include <vector>

#include "orvane/monitor/MissingPieces.h"
#include "tools/orvane-probe/ProbeReport.h"
#include "tools/orvane-probe/SettingsEdit.h"

namespace orvane {

namespace {

constexpr quint8 kOrientationCode = 0xAA;

struct Watched {
    ProbedMonitor monitor;
    std::optional<quint32> first;  // the first good reading
    bool done = false;             // turned (and answered for), or its model added meanwhile
};

std::optional<quint32> ReadOrientation(VcpAccess& vcp, platform::PhysicalMonitorHandle handle)
{
    quint32 current = 0, maximum = 0;
    if (!vcp.RunGetVcp(handle, kOrientationCode, current, maximum) || current == 0xFFFFFFFFu)
        return std::nullopt;
    return current;
}

QString Named(const ProbedMonitor& monitor)
{
    return monitor.Title() + " (model " + ModelCodeText(*monitor.model) + ")";
}

bool IsYes(const QString& answer)
{
    const QString text = answer.trimmed().toLower();
    return text == "y" || text == "yes";
}

}  // namespace

int RunEnrolment(platform::Platform& platform, VcpAccess& vcp, const MonitorInventory& inventory,
                 const QString& settingsPath, const EnrolOptions& options, const EnrolIo& io)
{
    std::vector<Watched> watched;
    int answering = 0;
    int unnamed = 0;  // answering, but without a model to add
    for (const ProbedMonitor& monitor : ListMonitors(platform, inventory)) {
        if (!monitor.Answers())
            continue;
        ++answering;
        if (!monitor.model) {
            ++unnamed;
            io.print(monitor.Title() + ": its EDID could not be read, so its model cannot be added.");
        } else if (monitor.supportedModel) {
            io.print(Named(monitor) + ": followed already.");
        } else {
            watched.push_back(Watched{monitor, std::nullopt, false});
        }
    }
    if (answering == 0) {
        io.print("No monitor answers DDC/CI, so there is none to add.");
        for (const QString& line : MissingPieces(platform.MonitorConfig().AccessReport(), inventory))
            io.print("Missing: " + line);
        return 1;
    }
    if (watched.empty()) {
        if (unnamed > 0)
            return 1;
        io.print("Every monitor that answers DDC/CI is followed already.");
        return 0;
    }

    const int seconds = (options.timeLimitMs + 999) / 1000;
    io.print("Pivot each monitor you want Orvane to follow: turn it to portrait (either way) and back. Watching " +
             QString::number(watched.size()) + (watched.size() == 1 ? " monitor" : " monitors") +
             " for up to " + QString::number(seconds) + " seconds:");
    for (Watched& entry : watched) {
        entry.first = ReadOrientation(vcp, entry.monitor.handle);
        io.print("  " + Named(entry.monitor) + ", now " +
                 (entry.first ? OrientationName(*entry.first) : QString("without a reading")));
    }

    int added = 0;
    qint64 limit = options.timeLimitMs;
    QElapsedTimer clock;
    clock.start();
    const auto open = [&] {
        return std::any_of(watched.begin(), watched.end(), [](const Watched& w) { return !w.done; });
    };
    while (open() && clock.elapsed() < limit) {
        io.pause(options.intervalMs);
        for (Watched& entry : watched) {
            if (entry.done)
                continue;
            const auto now = ReadOrientation(vcp, entry.monitor.handle);
            if (!now)
                continue;
            if (!entry.first) {
                entry.first = now;
                continue;
            }
            if (*now == *entry.first)
                continue;
            const ModelCode model = *entry.monitor.model;
            io.print(Named(entry.monitor) + " reported a turn, from " + OrientationName(*entry.first) + " to " +
                     OrientationName(*now) + ": it has a pivot sensor.");
            QElapsedTimer answering;
            answering.start();
            const bool yes = options.assumeYes ||
                             IsYes(io.ask("Add model " + ModelCodeText(model) + " to " + settingsPath +
                                          " so that Orvane follows it? [y/N] "));
            limit += answering.elapsed();
            if (yes) {
                const SettingsEdit edit = AddModelsToSettingsFile(settingsPath, {model});
                if (edit.ok) {
                    ++added;
                    io.print((edit.changed ? "Wrote to " : "Listed already in ") + settingsPath + ":\n    [Monitors]\n    " +
                             edit.modelsLine);
                } else {
                    io.print("Not added: " + edit.error);
                }
            } else {
                io.print("Not added.");
            }
            // One answer serves every monitor of the model.
            for (Watched& other : watched)
                if (*other.monitor.model == model)
                    other.done = true;
        }
    }
    for (const Watched& entry : watched) {
        if (entry.done)
            continue;
        const QString seen = entry.first ? "No turn seen within " : "No orientation reading (VCP 0xAA) within ";
        io.print(seen + QString::number(seconds) + " s from " + Named(entry.monitor) +
                 ": not added. A monitor that does not report a turn may have no pivot sensor, and following it "
                 "would undo every rotation made by hand. Run orvane-probe --enrol again to retry.");
    }
    if (added > 0)
        io.print("Orvane reads its settings when it starts: start it (again) to follow the added models.");
    return added > 0 ? 0 : 1;
}

}  // namespace orvane
