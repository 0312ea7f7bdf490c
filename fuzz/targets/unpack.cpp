// Packed files as a site serves them (a length header and a zlib stream):
// unpacked by the updater's streaming unpacker. What it accepts must be
// exactly what Qt's own reader of the format makes of the same bytes.
#include <QFile>
#include <QtEndian>

#include "fuzz/support/FuzzSupport.h"
#include "renovo/UnpackFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvane;
    const QString packed = fuzz::WriteScratchFile("file.qz", data, size);
    const QString unpacked = fuzz::ScratchFolder() + "/file";
    PackedSizeLimit(size >= 4 ? qFromBigEndian<quint32>(data) : -1);
    if (!UnpackFile(packed, unpacked)) {
        fuzz::Check(!QFile::exists(unpacked), "a failed unpacking leaves no file");
        return 0;
    }
    QFile file(unpacked);
    fuzz::Check(file.open(QIODevice::ReadOnly), "the unpacked file opens");
    const QByteArray bytes = QByteArray(reinterpret_cast<const char*>(data), int(size));
    fuzz::Check(file.readAll() == qUncompress(bytes), "the same content as Qt's reading");
    QFile::remove(unpacked);
    return 0;
}
