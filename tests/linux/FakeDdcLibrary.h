// A DDC/CI library in memory: displays with VCP values, calls that can be
// held back to play an abandoned call.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/linux/ddc/DdcLibrary.h"

namespace orvane::platform::linuxplatform {

class FakeDdcLibrary : public DdcLibrary {
public:
    std::string problem;
    DdcAccessFault fault = DdcAccessFault::NoDdcLibrary;  // the kind of problem, when set
    std::vector<DdcDisplayRecord> displays;
    std::map<std::pair<std::size_t, std::uint8_t>, std::uint16_t> values;  // (display, code) -> value
    std::string capabilities = "(prot(monitor)vcp(10 AA))";
    int detections = 0;
    int opens = 0;
    std::atomic<int> running{0};

    // While held, every VCP call waits until Release().
    void Hold()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = true;
    }
    void Release()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_held = false;
        }
        m_released.notify_all();
    }

    std::string Unavailable() override { return problem; }
    DdcAccessReport UnavailableReport() override
    {
        return {problem.empty() ? DdcAccessFault::None : fault, problem};
    }
    std::vector<DdcDisplayRecord> Detect() override
    {
        ++detections;
        ++m_generation;
        return displays;
    }
    DdcOpenHandle Open(std::size_t index) override
    {
        ++opens;
        return index < displays.size() ? DdcOpenHandle(m_generation * 100 + index + 1) : 0;
    }
    bool GetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t& current, std::uint16_t& maximum) override
    {
        Wait();
        const auto it = values.find({Index(handle), code});
        if (it == values.end())
            return false;
        current = it->second;
        maximum = 4;
        return true;
    }
    bool SetVcp(DdcOpenHandle handle, std::uint8_t code, std::uint16_t value) override
    {
        Wait();
        values[{Index(handle), code}] = value;
        return true;
    }
    std::optional<std::string> Capabilities(DdcOpenHandle) override
    {
        Wait();
        return capabilities;
    }

private:
    static std::size_t Index(DdcOpenHandle handle) { return std::size_t(handle % 100 - 1); }
    void Wait()
    {
        ++running;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_released.wait(lock, [this] { return !m_held; });
        --running;
    }
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::size_t m_generation = 0;
};

}  // namespace orvane::platform::linuxplatform
