#include "platform/linux/gnome/MutterDisplayConfig.h"

#include <QDBusArgument>
#include <QDebug>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QList>
#include <QVariantMap>

namespace {

// The wire shapes of ApplyMonitorsConfig's logical monitors.
struct MonitorAssignment {
    QString connector;
    QString modeId;
    QVariantMap properties;
};

struct LogicalConfig {
    int x = 0;
    int y = 0;
    double scale = 1;
    uint transform = 0;
    bool primary = false;
    QList<MonitorAssignment> monitors;
};

QDBusArgument& operator<<(QDBusArgument& arg, const MonitorAssignment& m)
{
    arg.beginStructure();
    arg << m.connector << m.modeId << m.properties;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, MonitorAssignment& m)
{
    arg.beginStructure();
    arg >> m.connector >> m.modeId >> m.properties;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const LogicalConfig& l)
{
    arg.beginStructure();
    arg << l.x << l.y << l.scale << l.transform << l.primary << l.monitors;
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, LogicalConfig& l)
{
    arg.beginStructure();
    arg >> l.x >> l.y >> l.scale >> l.transform >> l.primary >> l.monitors;
    arg.endStructure();
    return arg;
}

}  // namespace

Q_DECLARE_METATYPE(MonitorAssignment)
Q_DECLARE_METATYPE(LogicalConfig)

namespace orvane::platform::linuxplatform {

namespace {

constexpr const char kMutterPath[] = "/org/gnome/Mutter/DisplayConfig";
constexpr const char kMutterInterface[] = "org.gnome.Mutter.DisplayConfig";
constexpr uint kTemporary = 1;

QVariant Unwrap(const QVariant& value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

QVariantMap ReadProperties(const QDBusArgument& arg)
{
    QVariantMap properties;
    arg >> properties;
    for (auto it = properties.begin(); it != properties.end(); ++it)
        it.value() = Unwrap(it.value());
    return properties;
}

std::vector<MutterMonitor> ReadMonitors(const QDBusArgument& arg)
{
    std::vector<MutterMonitor> monitors;
    arg.beginArray();
    while (!arg.atEnd()) {
        MutterMonitor monitor;
        arg.beginStructure();
        arg.beginStructure();
        QString connector, vendor, product, serial;
        arg >> connector >> vendor >> product >> serial;
        arg.endStructure();
        monitor.connector = connector.toStdString();
        monitor.vendor = vendor.toStdString();
        monitor.product = product.toStdString();
        monitor.serial = serial.toStdString();
        arg.beginArray();
        while (!arg.atEnd()) {
            MutterMode mode;
            QString id;
            int width = 0, height = 0;
            double refresh = 0, preferredScale = 0;
            QList<double> scales;
            arg.beginStructure();
            arg >> id >> width >> height >> refresh >> preferredScale >> scales;
            const QVariantMap properties = ReadProperties(arg);
            arg.endStructure();
            mode.id = id.toStdString();
            mode.width = width;
            mode.height = height;
            mode.refresh = refresh;
            mode.current = properties.value("is-current").toBool();
            mode.preferred = properties.value("is-preferred").toBool();
            monitor.modes.push_back(mode);
        }
        arg.endArray();
        ReadProperties(arg);
        arg.endStructure();
        monitors.push_back(std::move(monitor));
    }
    arg.endArray();
    return monitors;
}

std::vector<MutterLogicalMonitor> ReadLogicalMonitors(const QDBusArgument& arg)
{
    std::vector<MutterLogicalMonitor> logicalMonitors;
    arg.beginArray();
    while (!arg.atEnd()) {
        MutterLogicalMonitor logical;
        int x = 0, y = 0;
        double scale = 1;
        uint transform = 0;
        bool primary = false;
        arg.beginStructure();
        arg >> x >> y >> scale >> transform >> primary;
        arg.beginArray();
        while (!arg.atEnd()) {
            QString connector, vendor, product, serial;
            arg.beginStructure();
            arg >> connector >> vendor >> product >> serial;
            arg.endStructure();
            logical.connectors.push_back(connector.toStdString());
        }
        arg.endArray();
        ReadProperties(arg);
        arg.endStructure();
        logical.x = x;
        logical.y = y;
        logical.scale = scale;
        logical.transform = transform;
        logical.primary = primary;
        logicalMonitors.push_back(std::move(logical));
    }
    arg.endArray();
    return logicalMonitors;
}

}  // namespace

MutterDisplayConfig::MutterDisplayConfig(const QDBusConnection& bus) : m_bus(bus)
{
    static const bool registered = [] {
        qDBusRegisterMetaType<MonitorAssignment>();
        qDBusRegisterMetaType<QList<MonitorAssignment>>();
        qDBusRegisterMetaType<LogicalConfig>();
        qDBusRegisterMetaType<QList<LogicalConfig>>();
        return true;
    }();
    (void)registered;
}

bool MutterDisplayConfig::Available()
{
    return m_bus.isConnected() && m_bus.interface() && m_bus.interface()->isServiceRegistered(kMutterService);
}

std::optional<MutterState> MutterDisplayConfig::Read()
{
    if (!m_bus.isConnected())
        return std::nullopt;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kMutterService, kMutterPath, kMutterInterface, "GetCurrentState");
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 5000);
    const QList<QVariant> args = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || args.size() < 4)
        return std::nullopt;
    if (reply.service() != m_owner) {
        if (m_generation > 0)
            qInfo().noquote() << "Session displays: GNOME's display configuration answers from a new owner,"
                              << reply.service();
        m_owner = reply.service();
        ++m_generation;
    }
    MutterState state;
    state.serial = args[0].toUInt();
    state.monitors = ReadMonitors(args[1].value<QDBusArgument>());
    state.logicalMonitors = ReadLogicalMonitors(args[2].value<QDBusArgument>());
    const QVariantMap properties = ReadProperties(args[3].value<QDBusArgument>());
    state.logicalLayout = properties.value("layout-mode", 1u).toUInt() != 2u;
    return state;
}

bool MutterDisplayConfig::Apply(std::uint32_t serial, const MutterChangePlan& plan, std::string* why)
{
    QList<LogicalConfig> layout;
    for (std::size_t i = 0; i < plan.logicalMonitors.size(); ++i) {
        const MutterLogicalMonitor& logical = plan.logicalMonitors[i];
        LogicalConfig config;
        config.x = logical.x;
        config.y = logical.y;
        config.scale = logical.scale;
        config.transform = logical.transform;
        config.primary = logical.primary;
        for (std::size_t k = 0; k < logical.connectors.size(); ++k)
            config.monitors << MonitorAssignment{QString::fromStdString(logical.connectors[k]),
                                                 QString::fromStdString(plan.modeIds[i][k]), QVariantMap()};
        layout << config;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kMutterService, kMutterPath, kMutterInterface, "ApplyMonitorsConfig");
    call << serial << kTemporary << QVariant::fromValue(layout) << QVariantMap();
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    if (why)
        *why = reply.errorMessage().toStdString();
    return false;
}

}  // namespace orvane::platform::linuxplatform
