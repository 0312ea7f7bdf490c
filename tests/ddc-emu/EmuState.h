// The emulated monitors' shared state: one file that the interposer (inside
// the process under test) and the test or the ddc-emu command map at once.
// Everything a test changes while the program runs, and everything the bus
// saw, lives here as lock-free atomics so that both sides can touch it from
// any thread or process.
#pragma once

#include <atomic>
#include <cstdint>

namespace orvane::ddcemu {

constexpr std::uint32_t kMagic = 0x4F444345;  // "ECDO"
constexpr int kMaxMonitors = 8;
constexpr int kWriteLog = 256;

enum class Fault : std::uint32_t {
    None = 0,
    Nak = 1,           // transfers at 0x37 fail as if the monitor did not acknowledge
    BadChecksum = 2,   // replies carry a wrong checksum byte
    NullReply = 3,     // requests are answered with the null message
    UnplugMidRead = 4, // the request is taken, then the monitor goes away
};

struct RecordedWrite {
    std::atomic<std::uint32_t> codeAndValue;  // code << 16 | value
};

struct MonitorState {
    // Fixed at creation.
    std::int32_t bus;
    std::uint32_t edidLength;  // 128 or 256
    std::uint8_t edid[256];
    char connector[32];       // DRM connector name, "DP-1"
    char capabilities[1024];  // capabilities string, without terminator on the wire

    // Changed while running.
    std::atomic<std::uint32_t> present;       // 0: unplugged, every transfer is refused
    std::atomic<std::uint32_t> delayMs;       // time before a reply can be read
    std::atomic<std::uint32_t> fault;         // Fault
    std::atomic<std::int32_t> faultCount;     // transfers the fault still applies to; <0 for ever
    std::atomic<std::uint32_t> supported[256];
    std::atomic<std::uint32_t> current[256];
    std::atomic<std::uint32_t> maximum[256];

    // Seen on the bus.
    std::atomic<std::uint32_t> requests;        // well-formed DDC/CI requests taken
    std::atomic<std::uint32_t> badRequests;     // requests dropped for a wrong checksum or layout
    std::atomic<std::uint32_t> refused;         // transfers refused (NAK, unplugged)
    std::atomic<std::uint32_t> inExchange;      // a reply read is waiting for the answer delay
    std::atomic<std::uint32_t> writeCount;      // Set VCP requests, also the index into writes
    RecordedWrite writes[kWriteLog];
};

constexpr int kMaxCallers = 256;

struct State {
    std::uint32_t magic;
    std::uint32_t monitorCount;
    char root[512];  // the made-up file tree: root/dev and root/sys
    MonitorState monitors[kMaxMonitors];
    // The distinct threads that made DDC/CI transfers, in order of their first
    // one (a library that keeps data per calling thread grows with them).
    std::atomic<std::uint32_t> callerCount;
    std::atomic<std::int32_t> callers[kMaxCallers];
};

}  // namespace orvane::ddcemu
