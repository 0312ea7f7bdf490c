// What the Linux platform's tests feed it: EDID base blocks, from the one
// builder.
#pragma once

#include <string>

#include "platform/Types.h"
#include "platform/edid/Edid.h"

namespace orvane::platform::linuxplatform {

// A 128-byte base block with maker, product code, a preferred timing of
// width x height and name and serial descriptors.
inline Edid SampleEdid(const std::string& maker, unsigned product, const std::string& name, const std::string& serial,
                       unsigned width = 3840, unsigned height = 2160)
{
    edid::Fields fields;
    fields.maker = maker;
    fields.productCode = static_cast<std::uint16_t>(product);
    fields.name = name;
    fields.serial = serial;
    fields.width = static_cast<int>(width);
    fields.height = static_cast<int>(height);
    return edid::Build(fields);
}

}  // namespace orvane::platform::linuxplatform
