#include "renovo/UnpackFile.h"

#include <QDebug>
#include <QFile>

#include <zlib.h>

#include "common/CheckedFile.h"
#include "common/Log.h"

#include <array>

namespace orvane {

namespace {

constexpr int kChunk = 64 * 1024;

class Inflater {
public:
    Inflater() { m_ok = inflateInit(&m_stream) == Z_OK; }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool Ok() const { return m_ok; }
    z_stream& Stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_ok = false;
};

// Why the stream could not be unpacked, or empty on success.
QString Inflate(QFile& in, CheckedFile& out, qint64 declared)
{
    Inflater inflater;
    if (!inflater.Ok())
        return QStringLiteral("zlib could not start");
    z_stream& zs = inflater.Stream();
    std::array<unsigned char, kChunk> input{};
    std::array<unsigned char, kChunk> output{};
    qint64 total = 0;
    int ret = Z_OK;
    do {
        const qint64 read = in.read(reinterpret_cast<char*>(input.data()), kChunk);
        if (read < 0)
            return QStringLiteral("cannot read the packed file");
        if (read == 0)
            return QStringLiteral("packed data is cut short");
        zs.next_in = input.data();
        zs.avail_in = static_cast<uInt>(read);
        do {
            zs.next_out = output.data();
            zs.avail_out = kChunk;
            ret = inflate(&zs, Z_NO_FLUSH);
            if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR)
                return QStringLiteral("packed data is corrupt");
            const qint64 produced = kChunk - static_cast<qint64>(zs.avail_out);
            total += produced;
            // A header that understates the content must not let the data
            // grow without bound.
            if (total > declared)
                return QStringLiteral("unpacks to more than the declared %1 bytes").arg(declared);
            if (!out.Write(reinterpret_cast<const char*>(output.data()), produced))
                return out.Problem();
        } while (zs.avail_out == 0 && ret != Z_STREAM_END);
    } while (ret != Z_STREAM_END);
    // Whatever follows the stream is not part of the file; a packed file
    // carrying more than it declares is not what the site published.
    if (zs.avail_in != 0 || !in.atEnd())
        return QStringLiteral("data after the end of the packed stream");
    if (total != declared)
        return QStringLiteral("unpacks to %1 bytes, %2 declared").arg(total).arg(declared);
    return {};
}

}  // namespace

qint64 PackedSizeLimit(qint64 unpackedSize)
{
    if (unpackedSize < 0 || unpackedSize > kMaxUnpackedSize)
        return kMaxPackedSize;
    return qMin<qint64>(kMaxPackedSize, qint64(compressBound(static_cast<uLong>(unpackedSize))) + 4);
}

bool UnpackFile(const QString& packedPath, const QString& unpackedPath, qint64 expectedSize, qint64 maxSize,
                QString* problemOut)
{
    auto fail = [&](const QString& problem) {
        qCDebug(lcOrvane) << "Unpack failed:" << packedPath << problem;
        if (problemOut)
            *problemOut = QStringLiteral("cannot unpack \"%1\": %2").arg(packedPath, problem);
        return false;
    };
    QFile in(packedPath);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    const QByteArray header = in.read(4);
    if (header.size() < 4)
        return fail(QStringLiteral("no length header"));
    const qint64 declared = (qint64(quint8(header[0])) << 24) | (qint64(quint8(header[1])) << 16)
        | (qint64(quint8(header[2])) << 8) | qint64(quint8(header[3]));
    if (declared > qMin(kMaxUnpackedSize, maxSize))
        return fail(QStringLiteral("declares %1 bytes, above the limit").arg(declared));
    if (expectedSize >= 0 && declared != expectedSize)
        return fail(QStringLiteral("declares %1 bytes, the manifest %2").arg(declared).arg(expectedSize));

    // Created afresh, never opened through whatever (a link, say) was left
    // at that path: the updater may write with more rights than the folder's
    // owner.
    QFile::remove(unpackedPath);
    CheckedFile out;
    if (!out.Create(unpackedPath))
        return fail(out.Problem());
    // qCompress writes an empty input as the bare header.
    QString problem = (declared == 0 && in.atEnd()) ? QString() : Inflate(in, out, declared);
    if (problem.isEmpty() && !out.Finish())
        problem = out.Problem();
    if (!problem.isEmpty()) {
        out.Discard();
        return fail(problem);
    }
    return true;
}

}  // namespace orvane
