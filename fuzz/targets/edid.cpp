// EDID blocks as monitors give them (any length), through every reading of
// the one EDID reader; and a block built from fields the input picks, which
// must read back as those fields.
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/edid/Edid.h"

using namespace orvane::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Edid block(data, data + size);
    edid::MakerId(block);
    edid::ProductCode(block);
    edid::ModelId(block);
    edid::NativeSize(block);
    edid::DescriptorText(block, edid::kSerialTag);
    edid::MonitorName(block);
    edid::SameBaseBlock(block, block);

    orvane::fuzz::FuzzInput in(data, size);
    edid::Fields fields;
    fields.maker = {char('A' + in.Below(26)), char('A' + in.Below(26)), char('A' + in.Below(26))};
    fields.productCode = in.Integral<std::uint16_t>();
    fields.serialNumber = in.Integral<std::uint32_t>();
    fields.width = int(in.Integral<std::uint16_t>() & 0xFFF);
    fields.height = int(in.Integral<std::uint16_t>() & 0xFFF);
    fields.name = in.Text(16);
    fields.serial = in.Text(16);
    fields.ctaExtension = in.Bool();
    const Edid built = edid::Build(fields);

    using orvane::fuzz::Check;
    Check(edid::ModelId(built) == edid::ModelIdText(fields.maker, fields.productCode), "model read back");
    const edid::Size native = edid::NativeSize(built);
    Check(native.width == fields.width && native.height == fields.height, "native size read back");
    // The name as stored: at most 13 characters, ended by a line feed, and
    // read without the blanks that pad it.
    std::string name = fields.name.substr(0, 13);
    name = name.substr(0, name.find('\n'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    Check(edid::MonitorName(built) == name, "name read back");
    for (std::size_t block = 0; block < built.size(); block += edid::kBaseBlockSize) {
        unsigned sum = 0;
        for (std::size_t i = block; i < block + edid::kBaseBlockSize; ++i)
            sum += built[i];
        Check(sum % 256 == 0, "block checksum");
    }
    return 0;
}
