#include "orvane/monitor/ModelCode.h"

#include <QDebug>
#include <QRegularExpression>

namespace orvane {

std::optional<ModelCode> ParseModelCode(const QString& text)
{
    static const QRegularExpression pattern("^([A-Za-z]{3})([0-9A-Fa-f]{4})$");
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    ModelCode model;
    model.manufacturer = match.captured(1).toUpper().toLatin1();
    model.product = static_cast<quint16>(match.captured(2).toUInt(nullptr, 16));
    if (model.product == 0)
        return std::nullopt;  // what an unreadable EDID looks like
    return model;
}

std::optional<ModelCode> ModelCodeOfEdid(const QByteArray& edid)
{
    if (edid.size() < 12)
        return std::nullopt;
    const auto byte = [&edid](int i) { return static_cast<quint8>(edid.at(i)); };
    const quint16 id = static_cast<quint16>(byte(8) << 8 | byte(9));
    ModelCode model;
    for (int shift : {10, 5, 0}) {
        const int letter = (id >> shift) & 0x1F;
        if (letter < 1 || letter > 26)
            return std::nullopt;
        model.manufacturer.append(static_cast<char>('@' + letter));
    }
    model.product = static_cast<quint16>(byte(11) << 8 | byte(10));
    if (model.product == 0)
        return std::nullopt;
    return model;
}

QString ModelCodeText(const ModelCode& model)
{
    return QString::fromLatin1(model.manufacturer) + QString("%1").arg(model.product, 4, 16, QChar('0')).toUpper();
}

std::vector<ModelCode> ParseModelCodes(const QStringList& entries)
{
    std::vector<ModelCode> models;
    for (const QString& entry : entries) {
        if (entry.trimmed().isEmpty())
            continue;
        if (const auto model = ParseModelCode(entry))
            models.push_back(*model);
        else
            qWarning().noquote() << "Settings: model entry" << entry
                                 << "ignored; write three letters and four hexadecimal digits, e.g. ABC1234";
    }
    return models;
}

}  // namespace orvane
