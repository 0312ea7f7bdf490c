#include "platform/sim/SimStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <atomic>

#include "platform/host/HostFiles.h"

namespace orvane::platform::sim {

namespace {

bool WriteAtomically(const std::string& path, const QByteArray& bytes, std::string* error)
{
    static std::atomic<unsigned> counter{0};
    const std::string temp =
        path + ".tmp." + std::to_string(QCoreApplication::applicationPid()) + "." + std::to_string(++counter);
    QFile file(QString::fromStdString(temp));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        if (error)
            *error = "cannot write " + temp;
        file.remove();
        return false;
    }
    file.close();
    if (!host::ReplaceWithStaged(QString::fromStdString(temp), QString::fromStdString(path))) {
        QFile::remove(QString::fromStdString(temp));
        if (error)
            *error = "cannot replace " + path;
        return false;
    }
    return true;
}

}  // namespace

std::optional<QJsonObject> ReadDescription(const std::string& path, std::string* error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = "cannot open " + path;
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error = path + ": " + parseError.errorString().toStdString() + " at offset " +
                     std::to_string(parseError.offset);
        return std::nullopt;
    }
    return document.object();
}

SimStore::SimStore(std::string path) : m_path(std::move(path)) {}

std::shared_ptr<SimStore> SimStore::Open(const std::string& path, std::string* error)
{
    std::shared_ptr<SimStore> store(new SimStore(path));
    host::FileKey key;
    auto state = store->Load(error, key);
    if (!state)
        return nullptr;
    store->m_state = std::move(state);
    store->m_key = key;
    return store;
}

bool SimStore::StatFile(host::FileKey& key) const
{
    return host::StatFileKey(m_path, key);
}

std::shared_ptr<const SimState> SimStore::Load(std::string* error, host::FileKey& key) const
{
    // The key is taken before reading: a change racing with the read shows
    // up as a new key at the next call and is read then.
    if (!StatFile(key)) {
        if (error)
            *error = "cannot open " + m_path;
        return nullptr;
    }
    const auto root = ReadDescription(m_path, error);
    if (!root)
        return nullptr;
    auto state = ParseState(*root, error);
    if (!state)
        return nullptr;
    return std::make_shared<const SimState>(std::move(*state));
}

std::shared_ptr<const SimState> SimStore::Snapshot()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    host::FileKey key;
    if (StatFile(key) && !(key == m_key)) {
        host::FileKey loadedKey;
        if (auto state = Load(nullptr, loadedKey)) {
            m_state = std::move(state);
            m_key = loadedKey;
        }
    }
    return m_state;
}

bool SimStore::Mutate(const std::function<bool(QJsonObject&, std::string*)>& change, std::string* error)
{
    host::FileLock fileLock(m_path);
    if (!fileLock.Held()) {
        if (error)
            *error = "cannot lock " + m_path + ".lock";
        return false;
    }
    auto root = ReadDescription(m_path, error);
    if (!root)
        return false;
    if (!change(*root, error))
        return false;
    // Whatever the change did must still describe a valid simulation.
    if (!ParseState(*root, error))
        return false;
    if (!WriteAtomically(m_path, QJsonDocument(*root).toJson(QJsonDocument::Indented), error))
        return false;
    Snapshot();
    return true;
}

}  // namespace orvane::platform::sim
