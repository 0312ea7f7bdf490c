#include "platform/sim/SimEdid.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace orvane::platform::sim {

namespace {

void PutText(std::vector<std::uint8_t>& edid, size_t offset, std::uint8_t tag, const std::string& text)
{
    edid[offset + 3] = tag;
    // Up to 13 characters; a shorter text ends with a line feed and blanks.
    const size_t length = std::min<size_t>(text.size(), 13);
    for (size_t i = 0; i < 13; ++i) {
        std::uint8_t byte = ' ';
        if (i < length)
            byte = static_cast<std::uint8_t>(text[i]);
        else if (i == length)
            byte = '\n';
        edid[offset + 5 + i] = byte;
    }
}

std::optional<std::uint32_t> NumberOrHex(const QJsonValue& value)
{
    if (value.isDouble())
        return static_cast<std::uint32_t>(value.toDouble());
    if (value.isString()) {
        bool ok = false;
        const std::uint32_t number = value.toString().toUInt(&ok, 0);
        if (ok)
            return number;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> MakeEdid(const EdidFields& fields)
{
    std::vector<std::uint8_t> edid(128, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), edid.begin());
    std::string maker = fields.manufacturer;
    maker.resize(3, 'A');
    const std::uint16_t id = static_cast<std::uint16_t>(((maker[0] - '@') & 0x1F) << 10 |
                                                        ((maker[1] - '@') & 0x1F) << 5 | ((maker[2] - '@') & 0x1F));
    edid[8] = static_cast<std::uint8_t>(id >> 8);
    edid[9] = static_cast<std::uint8_t>(id & 0xFF);
    edid[10] = static_cast<std::uint8_t>(fields.productCode & 0xFF);
    edid[11] = static_cast<std::uint8_t>(fields.productCode >> 8);
    edid[16] = 1;     // week
    edid[17] = 33;    // 2023
    edid[18] = 1;     // version 1.4
    edid[19] = 4;
    edid[20] = 0xA5;  // digital input
    edid[21] = 60;    // 60 x 34 cm
    edid[22] = 34;
    edid[23] = 0x78;
    edid[24] = 0x3A;
    for (size_t i = 38; i < 54; ++i)
        edid[i] = 0x01;

    // Preferred timing: only the active sizes matter to the program.
    const int w = fields.width & 0xFFF;
    const int h = fields.height & 0xFFF;
    const int hBlank = 160;
    const int vBlank = 62;
    size_t d = 54;
    edid[d + 0] = 0x08;  // pixel clock, 10 kHz units (any non-zero value)
    edid[d + 1] = 0xE8;
    edid[d + 2] = static_cast<std::uint8_t>(w & 0xFF);
    edid[d + 3] = static_cast<std::uint8_t>(hBlank & 0xFF);
    edid[d + 4] = static_cast<std::uint8_t>(((w >> 8) << 4) | (hBlank >> 8));
    edid[d + 5] = static_cast<std::uint8_t>(h & 0xFF);
    edid[d + 6] = static_cast<std::uint8_t>(vBlank & 0xFF);
    edid[d + 7] = static_cast<std::uint8_t>(((h >> 8) << 4) | (vBlank >> 8));
    edid[d + 17] = 0x1E;

    PutText(edid, 72, 0xFF, fields.serial);
    PutText(edid, 90, 0xFC, fields.name);
    edid[108 + 3] = 0x10;  // dummy descriptor

    unsigned sum = 0;
    for (size_t i = 0; i < 127; ++i)
        sum += edid[i];
    edid[127] = static_cast<std::uint8_t>((256 - (sum % 256)) % 256);
    return edid;
}

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
    EdidFields fields;
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
        fields.manufacturer = object.value("manufacturer").toString().toUpper().toStdString();
    return MakeEdid(fields);
}

}  // namespace orvane::platform::sim
