#include "platform/edid/Edid.h"

#include <algorithm>
#include <cstdio>

namespace orvane::platform::linuxplatform {

std::string PnpModelId(const Edid& edid)
{
    if (edid.size() < kEdidBaseBlockSize)
        return {};
    const unsigned maker = (unsigned(edid[8]) << 8) | edid[9];
    std::string id;
    for (int shift : {10, 5, 0}) {
        const unsigned letter = (maker >> shift) & 0x1F;
        if (letter < 1 || letter > 26)
            return {};
        id += char('A' + letter - 1);
    }
    char product[8];
    std::snprintf(product, sizeof(product), "%04X", unsigned(edid[10]) | (unsigned(edid[11]) << 8));
    return id + product;
}

std::string EdidMonitorName(const Edid& edid)
{
    if (edid.size() < kEdidBaseBlockSize)
        return {};
    std::string name;
    for (std::size_t offset = 54; offset + 18 <= 126; offset += 18) {
        if (edid[offset] != 0 || edid[offset + 1] != 0 || edid[offset + 3] != 0xFC)
            continue;
        name.clear();
        for (std::size_t i = offset + 5; i < offset + 18 && edid[i] != 0x0A; ++i)
            name += char(edid[i]);
    }
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

bool SameBaseBlock(const Edid& a, const Edid& b)
{
    if (a.size() < kEdidBaseBlockSize || b.size() < kEdidBaseBlockSize)
        return false;
    return std::equal(a.begin(), a.begin() + kEdidBaseBlockSize, b.begin());
}

}  // namespace orvane::platform::linuxplatform
