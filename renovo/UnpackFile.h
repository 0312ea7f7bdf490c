// Unpacking of the site's packed files (Qt's qCompress layout: a 4-byte
// big-endian length, then a zlib stream).
#pragma once

#include <QString>

namespace orvane {

// No installed file is ever larger than this; a packed file that declares
// more is refused before anything is allocated for it.
constexpr qint64 kMaxUnpackedSize = 256LL * 1024 * 1024;

// Streams the unpacked data of packedPath into unpackedPath (replaced by a
// new file). Fails, removing what it wrote, when a file cannot be opened, the
// declared length exceeds kMaxUnpackedSize or differs from expectedSize
// (when >= 0), or the stream is corrupt, cut short, or unpacks to another
// length than declared.
bool UnpackFile(const QString& packedPath, const QString& unpackedPath, qint64 expectedSize = -1);

}  // namespace orvane
