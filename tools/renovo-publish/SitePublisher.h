// Builds an update site: one packed copy of every installed file and the
// ServerManifest.xml that lists them.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/Platform.h"

namespace orvane::publish {

struct PublishOptions {
    QString installDir;   // files in it and in its direct subfolders are listed
    QString version;      // the release's version, recorded on the root element
    QString siteDir;      // created if missing
    QStringList exclude;  // file names left out, compared without case
    // Stamp every entry with this date instead of the file's own time.
    std::optional<QDateTime> date;
    // Signing (empty: an unsigned site): the key file of --generate-key, the
    // manifest's sequence (it must grow with every publication), expiry and
    // channel (the site it is published to: "production" or "test").
    QString signKeyFile;
    qint64 sequence = 0;
    QDateTime expires;
    QString channel;
};

// Returns an empty text on success, else what went wrong.
QString PublishSite(platform::SystemApi& system, const PublishOptions& options);

// "M/d/yyyy h:m:s AP" in local time, as the manifest stores dates.
QString ManifestDate(const QDateTime& dateTime);

}  // namespace orvane::publish
