// Adds monitor models to the [Monitors] Models= line of a settings file the
// way a careful hand would: the models already listed stay, every other line
// of the file (comments, other sections, line endings) stays as it was, and
// the file is replaced in one step, so the tray program never reads half of
// it.
#pragma once

#include <QString>

#include <vector>

#include "orvane/monitor/ModelCode.h"

namespace orvane {

struct SettingsEdit {
    bool ok = false;
    bool changed = false;  // false: every model was listed already (or on failure)
    QString modelsLine;    // the Models= line as the file holds it afterwards
    QString error;         // why the file was left alone
};

// path: the file, created with its folder when absent.
SettingsEdit AddModelsToSettingsFile(const QString& path, const std::vector<ModelCode>& models);

}  // namespace orvane
