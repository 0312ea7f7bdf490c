#include "common/BoundedRead.h"

namespace orvane {

QByteArray ReadAtMost(QIODevice& device, qint64 limit)
{
    constexpr qint64 kChunk = 64 * 1024;
    QByteArray data;
    while (data.size() < limit) {
        const QByteArray chunk = device.read(qMin(kChunk, limit - data.size()));
        if (chunk.isEmpty())
            break;
        data += chunk;
    }
    return data;
}

}  // namespace orvane
