#include "orvane/monitor/MonitorIdentity.h"

#include <QList>

namespace orvane {

namespace {
constexpr int kEdidSize = 128;
constexpr int kDescriptorSize = 18;
constexpr int kPreferredTimingOffset = 54;
constexpr int kTextOffset = 5;
constexpr int kTextLength = 13;
constexpr quint8 kSerialTag = 0xFF;
constexpr quint8 kNameTag = 0xFC;

quint8 Byte(const QByteArray& bytes, int index)
{
    return static_cast<quint8>(bytes.at(index));
}

// The text of a display descriptor: its 13 bytes up to the first line feed.
QByteArray DescriptorText(const QByteArray& descriptor)
{
    const QByteArray text = descriptor.mid(kTextOffset, kTextLength);
    const int lineFeed = text.indexOf('\n');
    return lineFeed < 0 ? text : text.left(lineFeed);
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

    m_nativeWidth = Byte(m_preferredTiming, 2) + 256 * (Byte(m_preferredTiming, 4) >> 4);
    m_nativeHeight = Byte(m_preferredTiming, 5) + 256 * (Byte(m_preferredTiming, 7) >> 4);

    m_serialNumber.clear();
    m_monitorName.clear();
    const QByteArray* all[] = {&m_preferredTiming, &m_descriptors[0], &m_descriptors[1], &m_descriptors[2]};
    for (const QByteArray* descriptor : all) {
        const quint8 tag = Byte(*descriptor, 3);
        if (tag == kSerialTag)
            m_serialNumber = DescriptorText(*descriptor);
        else if (tag == kNameTag)
            m_monitorName = DescriptorText(*descriptor);
    }
}

}  // namespace orvane
