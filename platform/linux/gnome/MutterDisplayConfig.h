// Client of GNOME's display configuration service on the session bus:
// reads the current state and applies a new layout.
#pragma once

#include <optional>
#include <string>

#include <QDBusConnection>

#include "platform/linux/gnome/MutterState.h"

namespace orvane::platform::linuxplatform {

constexpr const char kMutterService[] = "org.gnome.Mutter.DisplayConfig";

class MutterDisplayConfig {
public:
    explicit MutterDisplayConfig(const QDBusConnection& bus);

    // Whether the service is on the bus now.
    bool Available();
    std::optional<MutterState> Read();
    // Applies the plan against the state with serial. The change is made
    // "temporary": it lasts for the session without the desktop's
    // keep-or-revert prompt, which would undo a rotation nobody confirms.
    // why is filled with the service's refusal.
    bool Apply(std::uint32_t serial, const MutterChangePlan& plan, std::string* why);

private:
    QDBusConnection m_bus;
};

}  // namespace orvane::platform::linuxplatform
