// A monitor model as the EDID names it: the three-letter manufacturer id
// (bytes 8 and 9) and the product code (bytes 10 and 11, low byte first),
// written "ABC1234" as in a monitor's hardware id. Models added by the user
// in the settings are given in this form.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace orvane {

struct ModelCode {
    QByteArray manufacturer;  // three capital letters
    quint16 product = 0;

    bool operator==(const ModelCode& other) const
    {
        return manufacturer == other.manufacturer && product == other.product;
    }
};

// "ABC1234" (letters in any case, the code in hexadecimal); nullopt for
// anything else.
std::optional<ModelCode> ParseModelCode(const QString& text);

// The model of an EDID base block; nullopt when it is too short or has no
// product code.
std::optional<ModelCode> ModelCodeOfEdid(const QByteArray& edid);

// "ABC1234".
QString ModelCodeText(const ModelCode& model);

// Parses the user's model entries; entries that cannot be read are logged
// and left out.
std::vector<ModelCode> ParseModelCodes(const QStringList& entries);

}  // namespace orvane
