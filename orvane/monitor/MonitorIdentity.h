// What the EDID in the device registry says about one monitor: product code,
// native resolution, serial number and name.
#pragma once

#include <QByteArray>

#include <array>
#include <string>

#include "platform/Platform.h"

namespace orvane {

class MonitorIdentity {
public:
    // Empty identity: zero EDID, product code and sizes, empty texts.
    MonitorIdentity();
    // Looks the monitor up by its hardware ID ("MONITOR\\<model>\\{class}\\<n>").
    // Any failed step leaves the identity empty.
    MonitorIdentity(const std::string& deviceId, platform::DeviceRegistry& registry);

    const QByteArray& Edid() const { return m_edid; }
    const QByteArray& ModelKeyPath() const { return m_modelKeyPath; }
    const QByteArray& DeviceId() const { return m_deviceId; }
    // EDID bytes 10 and 11, in that order.
    const QByteArray& ProductCode() const { return m_productCode; }
    const QByteArray& PreferredTiming() const { return m_preferredTiming; }
    // Display descriptors 2 to 4 (index 0 to 2).
    const QByteArray& Descriptor(int index) const { return m_descriptors.at(static_cast<size_t>(index)); }
    const QByteArray& SerialNumber() const { return m_serialNumber; }
    const QByteArray& MonitorName() const { return m_monitorName; }
    int NativeWidth() const { return m_nativeWidth; }
    int NativeHeight() const { return m_nativeHeight; }
    const QByteArray& RegistryBasePath() const { return m_registryBasePath; }

    // Parses an EDID base block (at least 128 bytes) into this identity.
    void ParseEdid(const QByteArray& edid);

private:
    QByteArray m_edid;
    QByteArray m_modelKeyPath;
    QByteArray m_deviceId;
    QByteArray m_productCode;
    QByteArray m_preferredTiming;
    std::array<QByteArray, 3> m_descriptors;
    QByteArray m_serialNumber;
    QByteArray m_monitorName;
    int m_nativeWidth = 0;
    int m_nativeHeight = 0;
    QByteArray m_registryBasePath;
};

constexpr const char kDisplayEnumPath[] = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY";

}  // namespace orvane
