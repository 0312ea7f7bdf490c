#include "orvane/monitor/MonitorIdentity.h"

#include <QList>

#include "platform/edid/Edid.h"

namespace orvane {

namespace {
constexpr int kEdidSize = static_cast<int>(platform::edid::kBaseBlockSize);
constexpr int kDescriptorSize = 18;
constexpr int kPreferredTimingOffset = 54;

const std::uint8_t* Bytes(const QByteArray& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}
}  // namespace

MonitorIdentity::MonitorIdentity()
    : m_edid(kEdidSize, '\0'),
      m_productCode(2, '\0'),
      m_preferredTiming(kDescriptorSize, '\0'),
      m_descriptors{QByteArray(kDescriptorSize, '\0'), QByteArray(kDescriptorSize, '\0'),
                    QByteArray(kDescriptorSize, '\0')},
      m_registryBasePath(kDisplayEnumPath)
{
}

MonitorIdentity::MonitorIdentity(const std::string& deviceId, platform::DeviceRegistry& registry)
    : MonitorIdentity()
{
    m_deviceId = QByteArray::fromStdString(deviceId);
    const QList<QByteArray> parts = m_deviceId.split('\\');
    if (parts.size() >= 2)
        m_modelKeyPath = m_registryBasePath + '\\' + parts.at(1);
    // Without a class and an instance part there is no driver value to match.
    if (parts.size() < 4)
        return;
    const std::string driverKey = (parts.at(2) + '\\' + parts.at(3)).toStdString();
    const std::string modelKey = m_modelKeyPath.toStdString();

    std::string instancePath;
    for (const std::string& instance : registry.ChildGroups(modelKey)) {
        const std::string path = modelKey + "\\" + instance;
        const auto driver = registry.StringValue(path, "driver");
        if (driver && QByteArray::fromStdString(*driver).trimmed().toStdString() == driverKey) {
            instancePath = path;
            break;
        }
    }
    if (instancePath.empty())
        return;

    const auto edid = registry.BinaryValue(instancePath + "\\Device Parameters", "EDID");
    if (!edid || edid->size() < static_cast<size_t>(kEdidSize))
        return;
    ParseEdid(QByteArray(reinterpret_cast<const char*>(edid->data()), kEdidSize));
}

void MonitorIdentity::ParseEdid(const QByteArray& edid)
{
    if (edid.size() < kEdidSize)
        return;
    m_edid = edid.left(kEdidSize);
    m_productCode = m_edid.mid(10, 2);
    m_preferredTiming = m_edid.mid(kPreferredTimingOffset, kDescriptorSize);
    for (int i = 0; i < 3; ++i)
        m_descriptors[static_cast<size_t>(i)] =
            m_edid.mid(kPreferredTimingOffset + kDescriptorSize * (i + 1), kDescriptorSize);

    const auto size = platform::edid::NativeSize(Bytes(m_edid), kEdidSize);
    m_nativeWidth = size.width;
    m_nativeHeight = size.height;
    m_serialNumber = QByteArray::fromStdString(
        platform::edid::DescriptorText(Bytes(m_edid), kEdidSize, platform::edid::kSerialTag));
    m_monitorName = QByteArray::fromStdString(
        platform::edid::DescriptorText(Bytes(m_edid), kEdidSize, platform::edid::kNameTag));
}

}  // namespace orvane
