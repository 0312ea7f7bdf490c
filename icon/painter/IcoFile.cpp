#include "IcoFile.h"

#include <QBuffer>
#include <QDataStream>
#include <QSaveFile>

namespace orvane::icon {

bool WriteIcoFile(const QString& path, const std::vector<QImage>& images)
{
    std::vector<QByteArray> pngs;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return false;
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return false;
        pngs.push_back(png);
    }

    QByteArray ico;
    QDataStream out(&ico, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // ICONDIR, then one ICONDIRENTRY per picture, then the pictures.
    out << quint16(0) << quint16(1) << quint16(pngs.size());
    quint32 offset = 6 + 16 * quint32(pngs.size());
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const int side = images[i].width();
        // A side of 256 is written as 0.
        out << quint8(side & 0xFF) << quint8(side & 0xFF) << quint8(0) << quint8(0);
        out << quint16(1) << quint16(32) << quint32(pngs[i].size()) << offset;
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out.writeRawData(png.constData(), png.size());

    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size() && file.commit();
}

}  // namespace orvane::icon
