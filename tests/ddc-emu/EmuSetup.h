// Creates a set of emulated monitors (the state file and the made-up /dev and
// /sys tree) and changes them while a program under test talks to them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/ddc-emu/EmuState.h"

namespace orvane::ddcemu {

struct EmulatedMonitor {
    int bus = 3;
    std::string connector = "DP-1";
    std::string maker = "ORV";
    unsigned product = 0x4F10;
    std::string name = "ORV-27UHD";
    std::string serial = "SN0001";
    unsigned width = 3840;
    unsigned height = 2160;
    bool extensionBlock = false;  // a 256-byte EDID
    std::string capabilities = "(prot(monitor)type(lcd)model(ORV)cmds(01 02 03 0C F3)vcp(10 12 AA(01 02 04) C9 CA DC)mccs_ver(2.2))";
    std::map<std::uint8_t, std::pair<std::uint16_t, std::uint16_t>> features{
        {0x10, {50, 100}}, {0x12, {50, 100}}, {0xAA, {1, 4}}, {0xC9, {0x0102, 0xFFFF}}, {0xCA, {2, 5}}, {0xDC, {0, 0x3E}}};
};

// EDID base block (and an empty extension when asked) with checksums.
std::vector<std::uint8_t> BuildEdid(const EmulatedMonitor& setup);

class Emulation {
public:
    // Creates everything below folder (which must exist) and maps the state.
    // The state stays mapped until the process ends: tests hold references
    // into it, and the interposer maps the same file on its own.
    Emulation(const std::string& folder, const std::vector<EmulatedMonitor>& monitors);
    // Maps an existing state file (the ddc-emu command).
    explicit Emulation(const std::string& stateFile);
    ~Emulation();
    Emulation(const Emulation&) = delete;
    Emulation& operator=(const Emulation&) = delete;

    bool Ok() const { return m_state != nullptr; }
    const std::string& StateFile() const { return m_stateFile; }
    // The variables a process needs to see the monitors ("ORVANE_DDC_EMU=...").
    std::string EnvironmentValue() const { return m_stateFile; }

    MonitorState& Monitor(std::size_t index) { return m_state->monitors[index]; }
    std::size_t Count() const { return m_state->monitorCount; }
    // Distinct threads that have talked DDC/CI to any of the monitors so far.
    std::uint32_t CallerThreads() const { return m_state->callerCount.load(); }

    void SetValue(std::size_t monitor, std::uint8_t code, std::uint16_t value);
    void SetFault(std::size_t monitor, Fault fault, int count);
    // Set VCP requests seen on the bus: (code, value) in order.
    std::vector<std::pair<std::uint8_t, std::uint16_t>> Writes(std::size_t monitor);

private:
    std::string m_stateFile;
    State* m_state = nullptr;
};

}  // namespace orvane::ddcemu
