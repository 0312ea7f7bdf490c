// Unpacking of the site's packed files (Qt's qCompress layout: a 4-byte
// big-endian length, then a zlib stream).
#pragma once

#include <QString>

namespace orvane {

// No installed file is ever larger than this; a packed file that declares
// more is refused before anything is allocated for it.
constexpr qint64 kMaxUnpackedSize = 256LL * 1024 * 1024;
// The packed form of such a file: zlib's worst case adds a few bytes per
// 16 KiB block, far less than the margin here.
constexpr qint64 kMaxPackedSize = kMaxUnpackedSize + kMaxUnpackedSize / 256 + 4;

// The most a packed file may hold for an unpacked size (-1: not listed):
// zlib's bound for that size plus the header, capped at kMaxPackedSize.
qint64 PackedSizeLimit(qint64 unpackedSize);

// Streams the unpacked data of packedPath into unpackedPath (replaced by a
// new file, every byte of it checked onto the disk). Fails, removing what it
// wrote, when a file cannot be opened or written, the declared length
// exceeds kMaxUnpackedSize or maxSize or differs from expectedSize (when
// >= 0), or the stream is corrupt, cut short, followed by more data, or
// unpacks to another length than declared; *problem then says why.
bool UnpackFile(const QString& packedPath, const QString& unpackedPath, qint64 expectedSize = -1,
                qint64 maxSize = kMaxUnpackedSize, QString* problem = nullptr);

}  // namespace orvane
