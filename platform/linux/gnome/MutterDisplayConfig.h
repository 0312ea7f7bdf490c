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
    // How many compositors have answered so far: the service's owner on the
    // bus changes when GNOME Shell restarts, and the new one has forgotten
    // the changes made before.
    std::uint64_t Generation() const { return m_generation; }

private:
    QDBusConnection m_bus;
    QString m_owner;  // the unique bus name of the last answer
    std::uint64_t m_generation = 0;
};

}  // namespace orvane::platform::linuxplatform
