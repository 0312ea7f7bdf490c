#include "platform/sim/SimEdid.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "platform/edid/Edid.h"
#include "platform/sim/SimState.h"

namespace orvane::platform::sim {

namespace {

std::optional<std::uint32_t> NumberOrHex(const QJsonValue& value)
{
    if (value.isDouble())
        return WholeNumber<std::uint32_t>(value);
    if (value.isString()) {
        bool ok = false;
        const std::uint32_t number = value.toString().toUInt(&ok, 0);
        if (ok)
            return number;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EdidFromJson(const QJsonValue& value, std::string* error)
{
    if (value.isString()) {
        QByteArray hex = value.toString().toLatin1();
        hex = hex.simplified().replace(' ', "");
        if (hex.size() % 2 != 0 || QByteArray::fromHex(hex).toHex() != hex.toLower()) {
            if (error)
                *error = "edid: not a hex byte string";
            return std::nullopt;
        }
        const QByteArray bytes = QByteArray::fromHex(hex);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    if (!value.isObject()) {
        if (error)
            *error = "edid: expected a hex string or an object";
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    edid::Fields fields;
    const auto code = NumberOrHex(object.value("productCode"));
    if (!code || *code > 0xFFFF) {
        if (error)
            *error = "edid: productCode missing or not a 16-bit number";
        return std::nullopt;
    }
    fields.productCode = static_cast<std::uint16_t>(*code);
    fields.width = object.value("width").toInt(1920);
    fields.height = object.value("height").toInt(1080);
    fields.name = object.value("name").toString().toStdString();
    fields.serial = object.value("serial").toString().toStdString();
    if (object.contains("manufacturer"))
        fields.maker = object.value("manufacturer").toString().toUpper().toStdString();
    return edid::Build(fields);
}

}  // namespace orvane::platform::sim
