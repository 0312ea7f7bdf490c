// EDID base blocks for the tests.
#pragma once

#include <cstring>
#include <string>

#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

// A 128-byte base block with maker, product code, a preferred timing of
// width x height and name and serial descriptors.
inline Edid SampleEdid(const std::string& maker, unsigned product, const std::string& name, const std::string& serial,
                       unsigned width = 3840, unsigned height = 2160)
{
    Edid edid(128, 0);
    const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::memcpy(edid.data(), header, 8);
    const unsigned packed = (unsigned(maker[0] - 'A' + 1) << 10) | (unsigned(maker[1] - 'A' + 1) << 5) |
                            unsigned(maker[2] - 'A' + 1);
    edid[8] = std::uint8_t(packed >> 8);
    edid[9] = std::uint8_t(packed & 0xFF);
    edid[10] = std::uint8_t(product & 0xFF);
    edid[11] = std::uint8_t(product >> 8);
    edid[54] = 0x01;  // pixel clock, so the first descriptor is a timing
    edid[56] = std::uint8_t(width & 0xFF);
    edid[58] = std::uint8_t((width >> 8) << 4);
    edid[59] = std::uint8_t(height & 0xFF);
    edid[61] = std::uint8_t((height >> 8) << 4);
    const auto text = [&edid](std::size_t offset, std::uint8_t tag, const std::string& value) {
        edid[offset + 3] = tag;
        std::size_t i = 0;
        for (; i < value.size() && i < 13; ++i)
            edid[offset + 5 + i] = std::uint8_t(value[i]);
        if (i < 13)
            edid[offset + 5 + i++] = 0x0A;
        for (; i < 13; ++i)
            edid[offset + 5 + i] = ' ';
    };
    if (!name.empty())
        text(72, 0xFC, name);
    if (!serial.empty())
        text(90, 0xFF, serial);
    return edid;
}

}  // namespace orvane::platform::linuxplatform
