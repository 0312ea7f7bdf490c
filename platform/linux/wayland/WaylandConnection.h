// The program's own connection to the Wayland compositor (not the one of
// the GUI toolkit): the registry's globals, and waiting for events with a
// time limit, so a stuck compositor cannot hang the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_interface;

namespace orvane::platform::linuxplatform {

class WaylandConnection {
public:
    struct Global {
        std::uint32_t name = 0;
        std::string interface;
        std::uint32_t version = 0;
    };

    // socket: a name like "wayland-1" or a path; nullptr for WAYLAND_DISPLAY.
    static std::unique_ptr<WaylandConnection> Connect(const char* socket, std::string* why);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* Display() const { return m_display; }
    const std::vector<Global>& Globals() const { return m_globals; }
    const Global* Find(const std::string& interface) const;
    // Binds a global at no more than maxVersion; nullptr when absent.
    void* Bind(const Global& global, const wl_interface* interface, std::uint32_t maxVersion);

    // Dispatches events until done() holds or timeoutMs passes; false on
    // time-out or a broken connection.
    bool DispatchUntil(const std::function<bool()>& done, int timeoutMs);
    // Waits until the compositor has handled every request sent so far.
    bool Roundtrip(int timeoutMs);
    // Reads and dispatches what has arrived, without waiting.
    bool DispatchAvailable();
    bool Broken() const;
    int Fd() const;

private:
    WaylandConnection() = default;

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    std::vector<Global> m_globals;
};

}  // namespace orvane::platform::linuxplatform
