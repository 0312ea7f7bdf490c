// The run-at-log-on entry of the program: an XDG autostart desktop entry,
// $XDG_CONFIG_HOME/autostart/Orvane.desktop (default ~/.config).
#pragma once

#include <string>

namespace orvane::platform::linuxplatform {

std::string AutostartEntryPath();

// Whether the entry exists with a non-empty Exec command and is not
// switched off (Hidden=true or X-GNOME-Autostart-enabled=false).
bool AutostartEntryPresent();

// The desktop entry that starts program (an absolute path) at log-on.
std::string AutostartEntryText(const std::string& program);

// Writes the entry atomically (a temporary file renamed over it), so a
// crash never leaves half an entry. False with why filled on failure.
bool WriteAutostartEntry(const std::string& program, std::string* why);

// Deletes the entry; an entry that is not there is fine.
bool RemoveAutostartEntry(std::string* why);

}  // namespace orvane::platform::linuxplatform
