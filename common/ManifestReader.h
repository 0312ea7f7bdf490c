// Reads the downloaded ServerManifest.xml into its entries.
#pragma once

#include <QList>
#include <QString>

#include "common/ManifestEntry.h"

namespace orvane {

class UserPrompts;

// Far above any real manifest (a few hundred bytes an entry). The manifest
// comes over plain HTTP, so every dimension a site controls is bounded.
constexpr qint64 kMaxManifestSize = 4 * 1024 * 1024;
constexpr int kMaxManifestEntries = 4096;
constexpr int kMaxManifestDepth = 16;
// Distinct entry folders: each one is created in the installation and the
// working folder while the manifest is walked.
constexpr int kMaxManifestFolders = 64;
// What one update may bring: the declared sizes of all entries together (a
// release is a few dozen MiB), and how many entries may name one packed
// file (the same file installed in a few folders).
constexpr qint64 kMaxDeclaredTotal = 1024LL * 1024 * 1024;
constexpr int kMaxEntriesPerPackedFile = 4;

enum class ManifestRead {
    Ok,
    OpenError,   // the "open error!" box has been shown
    ParseError,  // not readable: not XML, no root element, or over a limit
    Refused,     // readable, but asks for more than one update may bring
};

// Every child node of the root element is one entry, in document order;
// comments and other non-element nodes count too (with empty fields). The
// five fields are taken by position only when the entry has at least five
// child nodes. A file that cannot be opened shows the box titled "title". A
// document type declaration (and with it every entity of one), or a file over
// any of the limits above, counts as not parsing. A manifest whose declared
// sizes add up to more than kMaxDeclaredTotal, or with more than
// kMaxEntriesPerPackedFile entries naming one packed file, is refused
// ("Refused manifest: ..." in the log). The reader streams: memory
// and time stay proportional to the capped file, never to its nesting.
ManifestRead ReadManifest(const QString& path, UserPrompts& prompts, QList<ManifestEntry>& entries);

}  // namespace orvane
