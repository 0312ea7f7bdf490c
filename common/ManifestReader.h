// Reads the downloaded ServerManifest.xml into its entries.
#pragma once

#include <QList>
#include <QString>

#include "common/ManifestEntry.h"

namespace orvane {

class UserPrompts;

// Far above any real manifest (a few hundred bytes an entry).
constexpr qint64 kMaxManifestSize = 16 * 1024 * 1024;

enum class ManifestRead {
    Ok,
    OpenError,   // the "open error!" box has been shown
    ParseError,  // not XML, or no root element
};

// Every child node of the root element is one entry, in document order;
// comments and other non-element nodes count too (with empty fields). The
// five fields are taken by position only when the entry has at least five
// child nodes. A file that cannot be opened shows the box titled "title"; one
// above kMaxManifestSize counts as not parsing.
ManifestRead ReadManifest(const QString& path, UserPrompts& prompts, QList<ManifestEntry>& entries);

}  // namespace orvane
