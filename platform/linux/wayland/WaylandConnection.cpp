#include "platform/linux/wayland/WaylandConnection.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <poll.h>
#include <wayland-client.h>

namespace orvane::platform::linuxplatform {

namespace {

void OnGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version)
{
    static_cast<std::vector<WaylandConnection::Global>*>(data)->push_back({name, interface, version});
}

void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto* globals = static_cast<std::vector<WaylandConnection::Global>*>(data);
    globals->erase(std::remove_if(globals->begin(), globals->end(),
                                  [name](const WaylandConnection::Global& g) { return g.name == name; }),
                   globals->end());
}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnSyncDone(void* data, wl_callback*, std::uint32_t)
{
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener kSyncListener = {OnSyncDone};

}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(const char* socket, std::string* why)
{
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->m_display = wl_display_connect(socket);
    if (!connection->m_display) {
        if (why)
            *why = std::string("cannot connect to the Wayland compositor: ") + std::strerror(errno);
        return nullptr;
    }
    connection->m_registry = wl_display_get_registry(connection->m_display);
    wl_registry_add_listener(connection->m_registry, &kRegistryListener, &connection->m_globals);
    if (!connection->Roundtrip(5000)) {
        if (why)
            *why = "the Wayland compositor did not list its globals in time";
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
}

const WaylandConnection::Global* WaylandConnection::Find(const std::string& interface) const
{
    for (const auto& global : m_globals) {
        if (global.interface == interface)
            return &global;
    }
    return nullptr;
}

void* WaylandConnection::Bind(const Global& global, const wl_interface* interface, std::uint32_t maxVersion)
{
    return wl_registry_bind(m_registry, global.name, interface, std::min(global.version, maxVersion));
}

bool WaylandConnection::Broken() const
{
    return wl_display_get_error(m_display) != 0;
}

int WaylandConnection::Fd() const
{
    return wl_display_get_fd(m_display);
}

bool WaylandConnection::DispatchUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (Broken())
            return false;
        while (wl_display_prepare_read(m_display) != 0) {
            if (wl_display_dispatch_pending(m_display) < 0)
                return false;
        }
        if (done()) {
            wl_display_cancel_read(m_display);
            break;
        }
        // Requests that do not fit the socket now are sent on the next turn.
        if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(m_display);
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd fd{Fd(), POLLIN, 0};
        const int ready = left > 0 ? poll(&fd, 1, int(left)) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(m_display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    return true;
}

bool WaylandConnection::Roundtrip(int timeoutMs)
{
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &kSyncListener, &done);
    const bool ok = DispatchUntil([&] { return done; }, timeoutMs);
    // Destroyed in any case: after a time-out a late answer must not reach
    // the flag on this stack frame.
    wl_callback_destroy(callback);
    return ok;
}

bool WaylandConnection::DispatchAvailable()
{
    if (Broken())
        return false;
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    wl_display_flush(m_display);
    pollfd fd{Fd(), POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0) {
        wl_display_cancel_read(m_display);
        return true;
    }
    return wl_display_read_events(m_display) >= 0 && wl_display_dispatch_pending(m_display) >= 0;
}

}  // namespace orvane::platform::linuxplatform
