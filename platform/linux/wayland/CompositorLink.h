// The compositor's output management over a connection that is made again
// when the compositor restarts (KWin and sway are restarted by the session,
// or by hand, while the programs of the session keep running): a broken
// connection is dropped, and the next use connects anew once the
// compositor's socket answers again.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/wayland/OutputManagement.h"

namespace orvane::platform::linuxplatform {

class CompositorLink {
public:
    // first: the connection made at start (nullptr: none yet); socket as
    // for ConnectOutputManagement (nullopt: WAYLAND_DISPLAY as it is now); role: who
    // uses the link, for the log ("Session displays").
    CompositorLink(std::unique_ptr<OutputManagement> first, std::optional<std::string> socket, std::string role);

    // The output management on a working connection: the one in use, or a
    // new one when that broke and the compositor is back; nullptr while
    // there is none.
    OutputManagement* Current();
    // Connections made so far, the first one counting 1: a new number
    // means a compositor that forgot the changes made before.
    std::uint64_t Generation() const { return m_generation; }
    // For the log: the protocol of the last connection.
    std::string Name() const { return m_name; }

private:
    std::unique_ptr<OutputManagement> m_outputs;
    std::optional<std::string> m_socket;
    std::uint64_t m_generation = 0;
    std::string m_name;
    std::string m_role;
};

}  // namespace orvane::platform::linuxplatform
