// Simulated set-ups for the monitor benchmarks, written to a temporary folder.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace orvane::bench {

// n supported monitors, each on its own display, answering after delayMs.
inline QJsonObject Monitors(int n, int delayMs)
{
    QJsonArray displays;
    QJsonArray monitors;
    for (int i = 0; i < n; ++i) {
        const QString name = QString("\\\\.\\DISPLAY%1").arg(i + 1);
        displays.append(QJsonObject{
            {"deviceName", name},
            {"rect", QJsonArray{3840 * i, 0, 3840 * (i + 1), 2160}},
            {"modes", QJsonArray{QJsonObject{{"width", 3840}, {"height", 2160}, {"hz", 60}},
                                 QJsonObject{{"width", 2160}, {"height", 3840}, {"hz", 60}}}}});
        monitors.append(QJsonObject{
            {"id", QString("m%1").arg(i)},
            {"display", name},
            {"deviceId", QString("MONITOR\\ORV4F10\\{4d36e96e-e325-11ce-bfc1-08002be10318}\\%1").arg(i, 4, 10, QChar('0'))},
            {"edid", QJsonObject{{"productCode", 0x4F10}, {"width", 3840}, {"height", 2160}, {"name", "bench"}}},
            {"delayMs", delayMs},
            {"vcp", QJsonObject{{"0x10", QJsonObject{{"current", 50}, {"max", 100}}},
                                {"0xAA", QJsonObject{{"current", 1}, {"max", 4}}},
                                {"0xC9", QJsonObject{{"current", 258}, {"max", 65535}}}}}});
    }
    return {{"displays", displays}, {"monitors", monitors}};
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[static_cast<size_t>(p * (values.size() - 1))];
}

}  // namespace orvane::bench
