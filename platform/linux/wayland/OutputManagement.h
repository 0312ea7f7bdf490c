// A Wayland compositor's output configuration protocol, over the program's
// own connection: KDE's (kde_output_device_v2 / kde_output_management_v2)
// or the wlroots family's (zwlr_output_manager_v1). Which one a compositor
// speaks is told by its registry globals; desktop environment variables are
// not reliable (sway sets none).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/wayland/WaylandConnection.h"
#include "platform/linux/wayland/WaylandLayout.h"

namespace orvane::platform::linuxplatform {

// Time limits of the calls: reading the state and having a layout applied.
constexpr int kWaylandReadTimeoutMs = 5000;
constexpr int kWaylandApplyTimeoutMs = 10000;

class OutputManagement {
public:
    virtual ~OutputManagement() = default;
    // For the log: "KDE output management", "wlroots output management".
    virtual const char* Name() const = 0;
    // The outputs as the compositor shows them now; nullopt when it does not answer.
    virtual std::optional<WaylandLayout> Read() = 0;
    // Applies the whole layout (outputs matched by name); why is filled with
    // the reason of a refusal.
    virtual bool Apply(const WaylandLayout& wanted, std::string* why) = 0;

    // How many configuration updates the compositor has announced so far.
    std::uint64_t Updates() const { return m_updates; }
    WaylandConnection& Connection() { return *m_connection; }

protected:
    explicit OutputManagement(std::unique_ptr<WaylandConnection> connection)
        : m_connection(std::move(connection))
    {
    }
    std::unique_ptr<WaylandConnection> m_connection;
    std::uint64_t m_updates = 0;
};

std::unique_ptr<OutputManagement> CreateKdeOutputManagement(std::unique_ptr<WaylandConnection> connection);
std::unique_ptr<OutputManagement> CreateWlrOutputManagement(std::unique_ptr<WaylandConnection> connection);

// Connects to the compositor (socket as for WaylandConnection::Connect) and
// picks the protocol its globals offer; nullptr with why filled when it
// offers neither.
std::unique_ptr<OutputManagement> ConnectOutputManagement(const char* socket, std::string* why);

}  // namespace orvane::platform::linuxplatform
