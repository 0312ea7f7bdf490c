// What every Wayland client is shown of the outputs: wl_output (name,
// transform, current mode) and xdg_output (position in the compositor's
// space). sway 1.7 reports outputs without a mode list (headless, nested)
// as disabled in its output management, though they show the desktop; this
// is what they really show.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "platform/linux/wayland/WaylandConnection.h"

struct wl_output;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace orvane::platform::linuxplatform {

class WaylandShownOutputs {
public:
    struct Output {
        std::uint32_t global = 0;
        wl_output* proxy = nullptr;
        zxdg_output_v1* logical = nullptr;
        std::uint64_t* updates = nullptr;
        std::string name;  // wl_output 4 and later
        std::int32_t transform = 0;
        std::int32_t width = 0;  // current mode, unturned
        std::int32_t height = 0;
        std::int32_t refresh = 0;  // mHz
        std::int32_t x = 0;
        std::int32_t y = 0;
        bool positioned = false;  // the position is known (xdg_output)
    };

    // updates grows with every change announced for an output.
    WaylandShownOutputs(WaylandConnection& connection, std::uint64_t* updates);
    ~WaylandShownOutputs();
    WaylandShownOutputs(const WaylandShownOutputs&) = delete;
    WaylandShownOutputs& operator=(const WaylandShownOutputs&) = delete;

    // Follows outputs coming and going; true when new ones were bound (their
    // state arrives with the next round trip).
    bool Follow();
    const Output* Named(const std::string& name) const;

private:
    void Bind(const WaylandConnection::Global& global);

    WaylandConnection& m_connection;
    std::uint64_t* m_updates;
    zxdg_output_manager_v1* m_manager = nullptr;
    std::list<Output> m_outputs;  // list: listeners keep pointers to the entries
};

}  // namespace orvane::platform::linuxplatform
