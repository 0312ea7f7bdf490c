#include "tests/ddc-emu/Monitor.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace orvane::ddcemu {

namespace {

constexpr std::uint8_t kHostSource = 0x51;     // source byte of every host request
constexpr std::uint8_t kDisplayWrite = 0x6E;   // 0x37 as an 8-bit write address
constexpr std::uint8_t kVirtualHost = 0x50;    // seeds the checksum of replies
constexpr std::uint8_t kGetVcp = 0x01;
constexpr std::uint8_t kGetVcpReply = 0x02;
constexpr std::uint8_t kSetVcp = 0x03;
constexpr std::uint8_t kCapabilities = 0xF3;
constexpr std::uint8_t kCapabilitiesReply = 0xE3;
constexpr std::size_t kFragment = 32;

std::uint8_t Xor(std::uint8_t seed, const std::uint8_t* data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        seed ^= data[i];
    return seed;
}

}  // namespace

bool Monitor::TakeFault(MonitorState& state, Fault fault)
{
    if (state.fault.load() != static_cast<std::uint32_t>(fault))
        return false;
    std::int32_t left = state.faultCount.load();
    while (true) {
        if (left == 0)
            return false;
        if (left < 0 || state.faultCount.compare_exchange_weak(left, left - 1))
            return true;
    }
}

void Monitor::Reply(MonitorState& state, const std::vector<std::uint8_t>& payload)
{
    m_reply.clear();
    m_reply.push_back(kDisplayWrite);
    m_reply.push_back(std::uint8_t(0x80 | payload.size()));
    m_reply.insert(m_reply.end(), payload.begin(), payload.end());
    std::uint8_t sum = Xor(kVirtualHost, m_reply.data(), m_reply.size());
    if (TakeFault(state, Fault::BadChecksum))
        sum ^= 0x5A;
    m_reply.push_back(sum);
}

int Monitor::TakeRequest(MonitorState& state, const std::uint8_t* data, std::size_t length)
{
    m_reply.clear();
    // source, length, payload, checksum (the destination address went out as the I2C address)
    if (length < 3 || data[0] != kHostSource || (data[1] & 0x80) == 0 || std::size_t(data[1] & 0x7F) + 3 > length ||
        Xor(kDisplayWrite, data, std::size_t(data[1] & 0x7F) + 3) != 0) {
        ++state.badRequests;
        return 0;  // a monitor ignores what it cannot read; the host's next read gets the null message
    }
    const std::size_t size = data[1] & 0x7F;
    const std::uint8_t* payload = data + 2;
    ++state.requests;
    m_requestAt = std::chrono::steady_clock::now();
    if (TakeFault(state, Fault::UnplugMidRead))
        state.present = 0;
    if (size == 0 || TakeFault(state, Fault::NullReply)) {
        Reply(state, {});
        return 0;
    }
    if (payload[0] == kGetVcp && size == 2) {
        const std::uint8_t code = payload[1];
        const bool known = state.supported[code].load() != 0;
        const std::uint32_t maximum = state.maximum[code].load();
        const std::uint32_t current = state.current[code].load();
        Reply(state, {kGetVcpReply, std::uint8_t(known ? 0x00 : 0x01), code, 0x00, std::uint8_t(maximum >> 8),
                      std::uint8_t(maximum), std::uint8_t(current >> 8), std::uint8_t(current)});
    } else if (payload[0] == kSetVcp && size == 4) {
        const std::uint8_t code = payload[1];
        const std::uint32_t value = (std::uint32_t(payload[2]) << 8) | payload[3];
        if (state.supported[code].load())
            state.current[code] = value;
        const std::uint32_t slot = state.writeCount.fetch_add(1);
        state.writes[slot % kWriteLog].codeAndValue = (std::uint32_t(code) << 16) | value;
    } else if (payload[0] == kCapabilities && size == 3) {
        const std::size_t offset = (std::size_t(payload[1]) << 8) | payload[2];
        const std::size_t total = strnlen(state.capabilities, sizeof(state.capabilities));
        std::vector<std::uint8_t> reply{kCapabilitiesReply, payload[1], payload[2]};
        for (std::size_t i = offset; i < total && i < offset + kFragment; ++i)
            reply.push_back(std::uint8_t(state.capabilities[i]));
        Reply(state, reply);
    } else {
        Reply(state, {});
    }
    return 0;
}

int Monitor::Write(MonitorState& state, std::uint8_t address, const std::uint8_t* data, std::size_t length)
{
    std::lock_guard<std::mutex> lock(m_bus);
    if (!state.present.load()) {
        ++state.refused;
        return ENXIO;
    }
    switch (address) {
    case kEdidAddress:
        if (length > 0)
            m_edidOffset = data[0];
        return 0;
    case kSegmentAddress:
        return 0;
    case kDdcAddress:
        if (TakeFault(state, Fault::Nak)) {
            ++state.refused;
            return EREMOTEIO;
        }
        return TakeRequest(state, data, length);
    default:
        ++state.refused;
        return ENXIO;
    }
}

int Monitor::Read(MonitorState& state, std::uint8_t address, std::uint8_t* data, std::size_t length)
{
    std::lock_guard<std::mutex> lock(m_bus);
    if (!state.present.load()) {
        ++state.refused;
        return ENXIO;
    }
    if (address == kEdidAddress) {
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t at = m_edidOffset + i;
            data[i] = at < state.edidLength ? state.edid[at] : 0xFF;
        }
        m_edidOffset = std::min<std::size_t>(m_edidOffset + length, 256);
        return 0;
    }
    if (address != kDdcAddress) {
        ++state.refused;
        return ENXIO;
    }
    if (TakeFault(state, Fault::Nak)) {
        ++state.refused;
        return EREMOTEIO;
    }
    // The monitor holds the clock until its answer is ready; a test may
    // shorten or lengthen the delay, or pull the plug, while the host waits.
    ++state.inExchange;
    while (!m_reply.empty() && state.present.load() &&
           std::chrono::steady_clock::now() < m_requestAt + std::chrono::milliseconds(state.delayMs.load()))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    --state.inExchange;
    if (!state.present.load()) {
        ++state.refused;
        return ENXIO;
    }
    if (m_reply.empty())
        Reply(state, {});  // nothing asked: the null message
    std::memset(data, 0, length);
    std::memcpy(data, m_reply.data(), std::min(length, m_reply.size()));
    m_reply.clear();
    return 0;
}

}  // namespace orvane::ddcemu
