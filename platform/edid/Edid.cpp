#include "platform/edid/Edid.h"

#include <algorithm>
#include <cstdio>

namespace orvane::platform::edid {

namespace {

// The four 18-byte descriptors from byte 54 on: the first is the preferred
// timing, a display descriptor holds up to 13 bytes of text from its byte 5.
enum : std::size_t {
    kFirstDescriptor = 54,
    kDescriptorSize = 18,
    kDescriptorCount = 4,
    kTextOffset = 5,
    kTextLength = 13,
};

// Writes a display descriptor: tag, then up to 13 characters ended by a
// line feed and padded with blanks.
void PutText(Edid& edid, std::size_t offset, std::uint8_t tag, const std::string& text)
{
    edid[offset + 3] = tag;
    const std::size_t length = std::min<std::size_t>(text.size(), kTextLength);
    for (std::size_t i = 0; i < kTextLength; ++i) {
        std::uint8_t byte = ' ';
        if (i < length)
            byte = static_cast<std::uint8_t>(text[i]);
        else if (i == length)
            byte = '\n';
        edid[offset + kTextOffset + i] = byte;
    }
}

void PutChecksum(Edid& edid, std::size_t block)
{
    unsigned sum = 0;
    for (std::size_t i = block; i < block + kBaseBlockSize - 1; ++i)
        sum += edid[i];
    edid[block + kBaseBlockSize - 1] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

}  // namespace

std::optional<std::string> MakerId(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 10)
        return std::nullopt;
    const unsigned packed = (unsigned(bytes[8]) << 8) | bytes[9];
    std::string id;
    for (int shift : {10, 5, 0}) {
        const unsigned letter = (packed >> shift) & 0x1F;
        if (letter < 1 || letter > 26)
            return std::nullopt;
        id += char('A' + letter - 1);
    }
    return id;
}

std::uint16_t ProductCode(const std::uint8_t* bytes, std::size_t size)
{
    return size < 12 ? 0 : static_cast<std::uint16_t>(bytes[10] | (bytes[11] << 8));
}

std::string ModelIdText(const std::string& maker, std::uint16_t product)
{
    char code[8];
    std::snprintf(code, sizeof(code), "%04X", unsigned(product));
    return maker + code;
}

std::string ModelId(const Edid& edid)
{
    if (edid.size() < kBaseBlockSize)
        return {};
    const auto maker = MakerId(edid.data(), edid.size());
    return maker ? ModelIdText(*maker, ProductCode(edid.data(), edid.size())) : std::string();
}

Size NativeSize(const std::uint8_t* bytes, std::size_t size)
{
    if (size < kFirstDescriptor + kDescriptorSize)
        return {};
    const std::uint8_t* timing = bytes + kFirstDescriptor;
    return {timing[2] + 256 * (timing[4] >> 4), timing[5] + 256 * (timing[7] >> 4)};
}

std::string DescriptorText(const std::uint8_t* bytes, std::size_t size, std::uint8_t tag)
{
    if (size < kBaseBlockSize)
        return {};
    std::string text;
    for (std::size_t n = 0; n < kDescriptorCount; ++n) {
        const std::uint8_t* descriptor = bytes + kFirstDescriptor + n * kDescriptorSize;
        // A display descriptor starts with a zero pixel clock.
        if (descriptor[0] != 0 || descriptor[1] != 0 || descriptor[3] != tag)
            continue;
        const std::uint8_t* first = descriptor + kTextOffset;
        const std::uint8_t* end = std::find(first, first + kTextLength, '\n');
        text.assign(first, end);
    }
    return text;
}

std::string MonitorName(const Edid& edid)
{
    std::string name = DescriptorText(edid.data(), edid.size(), kNameTag);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

bool SameBaseBlock(const Edid& a, const Edid& b)
{
    if (a.size() < kBaseBlockSize || b.size() < kBaseBlockSize)
        return false;
    return std::equal(a.begin(), a.begin() + kBaseBlockSize, b.begin());
}

Edid Build(const Fields& fields)
{
    Edid edid(fields.ctaExtension ? 2 * kBaseBlockSize : kBaseBlockSize, 0);
    const std::uint8_t header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), edid.begin());
    std::string maker = fields.maker;
    maker.resize(3, 'A');
    const unsigned packed = ((maker[0] - '@') & 0x1F) << 10 | ((maker[1] - '@') & 0x1F) << 5 | ((maker[2] - '@') & 0x1F);
    edid[8] = static_cast<std::uint8_t>(packed >> 8);
    edid[9] = static_cast<std::uint8_t>(packed & 0xFF);
    edid[10] = static_cast<std::uint8_t>(fields.productCode & 0xFF);
    edid[11] = static_cast<std::uint8_t>(fields.productCode >> 8);
    for (int i = 0; i < 4; ++i)
        edid[12 + i] = static_cast<std::uint8_t>(fields.serialNumber >> (8 * i));
    edid[16] = 1;     // week
    edid[17] = 33;    // 2023
    edid[18] = 1;     // version 1.4
    edid[19] = 4;
    edid[20] = 0xA5;  // digital input
    edid[21] = 60;    // 60 x 34 cm
    edid[22] = 34;
    edid[23] = 0x78;
    edid[24] = 0x3A;
    for (std::size_t i = 38; i < 54; ++i)
        edid[i] = 0x01;  // no standard timings

    // Preferred timing: only the active sizes matter to the program.
    const int width = fields.width & 0xFFF;
    const int height = fields.height & 0xFFF;
    const int hBlank = 160;
    const int vBlank = 62;
    const std::size_t d = kFirstDescriptor;
    edid[d + 0] = 0x08;  // pixel clock, 10 kHz units (any non-zero value)
    edid[d + 1] = 0xE8;
    edid[d + 2] = static_cast<std::uint8_t>(width & 0xFF);
    edid[d + 3] = static_cast<std::uint8_t>(hBlank & 0xFF);
    edid[d + 4] = static_cast<std::uint8_t>(((width >> 8) << 4) | (hBlank >> 8));
    edid[d + 5] = static_cast<std::uint8_t>(height & 0xFF);
    edid[d + 6] = static_cast<std::uint8_t>(vBlank & 0xFF);
    edid[d + 7] = static_cast<std::uint8_t>(((height >> 8) << 4) | (vBlank >> 8));
    edid[d + 17] = 0x1E;

    PutText(edid, d + kDescriptorSize, kSerialTag, fields.serial);
    PutText(edid, d + 2 * kDescriptorSize, kNameTag, fields.name);
    edid[d + 3 * kDescriptorSize + 3] = 0x10;  // dummy descriptor

    if (fields.ctaExtension) {
        edid[126] = 1;
        edid[kBaseBlockSize] = 0x02;  // CTA extension without data blocks
        edid[kBaseBlockSize + 1] = 0x03;
        edid[kBaseBlockSize + 2] = 4;
        PutChecksum(edid, kBaseBlockSize);
    }
    PutChecksum(edid, 0);
    return edid;
}

}  // namespace orvane::platform::edid
