// A desktop notification service for the tests: owns
// org.freedesktop.Notifications on the session bus and writes every
// notification it is sent to standard output, one line "title | text".
// Prints "ready" once the name is taken.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

#include <cstdio>

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    using QObject::QObject;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        std::printf("%s | %s\n", qUtf8Printable(summary), qUtf8Printable(body));
        std::fflush(stdout);
        return ++m_last;
    }
    QStringList GetCapabilities() { return {"body"}; }

private:
    uint m_last = 0;
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Notifications service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.Notifications")) {
        std::fprintf(stderr, "cannot take org.freedesktop.Notifications on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "NotificationService.moc"
