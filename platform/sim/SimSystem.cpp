#include <QJsonArray>

#include "platform/sim/SimParts.h"

namespace orvane::platform::sim {

bool SimSystem::StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand)
{
    QJsonArray argList;
    for (const std::string& arg : args)
        argList.append(QString::fromStdString(arg));
    m_store->Mutate(
        [&](QJsonObject& root, std::string*) {
            AppendRecord(root, "elevatedStarts",
                         QJsonObject{{"file", QString::fromStdString(file)}, {"args", argList}, {"show", showCommand}});
            return true;
        },
        nullptr);
    const auto state = m_store->Snapshot();
    if (!state->performElevatedStarts)
        return state->elevatedStartResult;
    return m_host->StartElevated(file, args, showCommand);
}

}  // namespace orvane::platform::sim
