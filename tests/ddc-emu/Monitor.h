// One emulated monitor as seen from the I2C bus: EDID at 0x50, DDC/CI at 0x37.
// Transfers come from any thread; one transfer at a time per bus, like the
// kernel's adapter lock.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "tests/ddc-emu/EmuState.h"

namespace orvane::ddcemu {

constexpr std::uint8_t kEdidAddress = 0x50;
constexpr std::uint8_t kSegmentAddress = 0x30;
constexpr std::uint8_t kDdcAddress = 0x37;

class Monitor {
public:
    // Transfers of one I2C message; 0 or a positive errno.
    int Write(MonitorState& state, std::uint8_t address, const std::uint8_t* data, std::size_t length);
    int Read(MonitorState& state, std::uint8_t address, std::uint8_t* data, std::size_t length);

private:
    int TakeRequest(MonitorState& state, const std::uint8_t* data, std::size_t length);
    void Reply(MonitorState& state, const std::vector<std::uint8_t>& payload);
    bool TakeFault(MonitorState& state, Fault fault);

    std::mutex m_bus;
    std::size_t m_edidOffset = 0;
    std::vector<std::uint8_t> m_reply;  // whole reply as the host reads it
    std::chrono::steady_clock::time_point m_requestAt;
};

}  // namespace orvane::ddcemu
