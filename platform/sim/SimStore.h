// The live state of a simulation: the description file itself. Every change,
// from the program or from the orvane-sim tool, is a read-modify-write under
// an exclusive lock on "<file>.lock", finished by an atomic rename; readers
// re-read the file only when its identity (inode, size, times) changed.
#pragma once

#include <QJsonObject>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/host/HostSharedFile.h"
#include "platform/sim/SimState.h"

namespace orvane::platform::sim {

class SimStore {
public:
    // nullptr with error when the file cannot be read or parsed.
    static std::shared_ptr<SimStore> Open(const std::string& path, std::string* error);

    const std::string& Path() const { return m_path; }

    // The current state; re-reads the file when it changed on disk. A file
    // that is momentarily unreadable or malformed keeps the last good state.
    std::shared_ptr<const SimState> Snapshot();

    // Applies change to the state on disk. change returns false (and may set
    // error) to leave the file untouched.
    bool Mutate(const std::function<bool(QJsonObject&, std::string*)>& change, std::string* error);

private:
    explicit SimStore(std::string path);
    bool StatFile(host::FileKey& key) const;
    std::shared_ptr<const SimState> Load(std::string* error, host::FileKey& key) const;

    std::string m_path;
    std::mutex m_mutex;
    std::shared_ptr<const SimState> m_state;
    host::FileKey m_key;
};

// Reads and parses a description file without keeping it.
std::optional<QJsonObject> ReadDescription(const std::string& path, std::string* error);

}  // namespace orvane::platform::sim
