// EDID base blocks, read and built in one place: the facts the program takes
// from a monitor's EDID (maker, product code, native size, the name and
// serial descriptors) for every platform and the monitor identity, and the
// blocks the simulation, the emulators and the tests give their monitors.
// Free of Qt, so the Windows layer's own build and its suite use it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::platform {

using Edid = std::vector<std::uint8_t>;

namespace edid {

constexpr std::size_t kBaseBlockSize = 128;
constexpr std::uint8_t kSerialTag = 0xFF;
constexpr std::uint8_t kNameTag = 0xFC;

// The three-letter plug-and-play maker ID of bytes 8 and 9; nullopt when
// the block is shorter or a letter is out of range.
std::optional<std::string> MakerId(const std::uint8_t* bytes, std::size_t size);
// The product code of bytes 10 and 11 (low byte first); 0 when shorter.
std::uint16_t ProductCode(const std::uint8_t* bytes, std::size_t size);

// A model ID as written in a monitor's hardware ID: maker and product code
// as four upper-case hex digits ("ABC1234").
std::string ModelIdText(const std::string& maker, std::uint16_t product);
// The model ID of a whole base block; empty when the block is too short or
// the maker ID is not three letters.
std::string ModelId(const Edid& edid);

struct Size {
    int width = 0;
    int height = 0;
};
// Active pixels of the preferred timing (the first detailed timing, bytes
// 54-71); zero when the block is too short.
Size NativeSize(const std::uint8_t* bytes, std::size_t size);

// Text of the display descriptor with tag (kNameTag, kSerialTag) among the
// four 18-byte descriptors: its 13 text bytes up to the first line feed; a
// later descriptor with the tag replaces an earlier one. A detailed timing
// (non-zero pixel clock) is never read as text. Empty when there is none.
std::string DescriptorText(const std::uint8_t* bytes, std::size_t size, std::uint8_t tag);
// The monitor name without the blanks that may pad it.
std::string MonitorName(const Edid& edid);

inline std::optional<std::string> MakerId(const Edid& edid)
{
    return MakerId(edid.data(), edid.size());
}
inline std::uint16_t ProductCode(const Edid& edid)
{
    return ProductCode(edid.data(), edid.size());
}
inline Size NativeSize(const Edid& edid)
{
    return NativeSize(edid.data(), edid.size());
}
inline std::string DescriptorText(const Edid& edid, std::uint8_t tag)
{
    return DescriptorText(edid.data(), edid.size(), tag);
}

// Whether both hold the same base block (the first 128 bytes); blocks
// shorter than that never match anything.
bool SameBaseBlock(const Edid& a, const Edid& b);

struct Fields {
    std::string maker = "ORV";
    std::uint16_t productCode = 0;
    std::uint32_t serialNumber = 0;  // the numeric serial of bytes 12-15
    int width = 1920;                // the preferred timing's active pixels
    int height = 1080;
    std::string name;    // name descriptor, at most 13 characters kept
    std::string serial;  // serial descriptor, likewise
    bool ctaExtension = false;  // adds an empty CTA extension block
};

// A base block with the preferred timing at the native size, a serial
// descriptor, a name descriptor and valid checksums (and the extension
// block when asked).
Edid Build(const Fields& fields);

}  // namespace edid
}  // namespace orvane::platform
