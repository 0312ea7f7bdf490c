#include "orvane/monitor/ModelCode.h"

#include <QDebug>
#include <QRegularExpression>

#include "common/Log.h"
#include "platform/edid/Edid.h"

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
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(edid.constData());
    const auto size = static_cast<std::size_t>(edid.size());
    const auto maker = platform::edid::MakerId(bytes, size);
    const std::uint16_t product = platform::edid::ProductCode(bytes, size);
    if (!maker || product == 0)
        return std::nullopt;
    return ModelCode{QByteArray::fromStdString(*maker), product};
}

QString ModelCodeText(const ModelCode& model)
{
    return QString::fromStdString(platform::edid::ModelIdText(model.manufacturer.toStdString(), model.product));
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
            qCWarning(lcOrvane).noquote() << "Settings: model entry" << entry
                                          << "ignored; write three letters and four hexadecimal digits, e.g. ABC1234";
    }
    return models;
}

}  // namespace orvane
