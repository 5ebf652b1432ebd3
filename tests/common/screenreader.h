#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QtTest>

// What a screen reader sees of a program in another process and presses in it, on any windowing platform: its
// accessibility tree on the accessibility bus (AT-SPI), whose address org.a11y.Bus gives on the session bus.
class ScreenReader
{
public:
    ~ScreenReader() { QDBusConnection::disconnectFromBus(m_bus.name()); }

    // Connects to the accessibility bus and waits for the process `pid` on it.
    bool reach(qint64 pid)
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
        const QString address = reply.arguments().value(0).toString();
        if (address.isEmpty())
            return false;
        m_bus = QDBusConnection::connectToBus(address, QStringLiteral("screenreader-%1").arg(pid));
        // The connection of the process that holds its tree (it may have others).
        return QTest::qWaitFor([&] {
            for (const QString &name : m_bus.interface()->registeredServiceNames().value()) {
                m_program = name;
                if (name.startsWith(QLatin1Char(':')) && m_bus.interface()->servicePid(name).value() == pid
                    && !this->name(QStringLiteral("/org/a11y/atspi/accessible/root")).isEmpty())
                    return true;
            }
            return false;
        }, 20000);
    }

    // Whether a window named `title` shows.
    bool shows(const QString &title) { return !window(title).isEmpty(); }

    // Presses the control named `name` in the window `title` as a reader does, with its press (or toggle) action.
    bool press(const QString &name, const QString &title)
    {
        const QString window = this->window(title);
        const QString control = window.isEmpty() ? QString() : find(name, window);
        if (control.isEmpty())
            return false;
        const QDBusArgument list = call(control, "org.a11y.atspi.Action", "GetActions").value<QDBusArgument>();
        int index = -1;
        list.beginArray();
        for (int at = 0; !list.atEnd(); ++at) {
            QString action, description, keys;
            list.beginStructure();
            list >> action >> description >> keys;
            list.endStructure();
            if (index < 0 && QStringList{"press", "toggle"}.contains(action.toLower()))
                index = at;
        }
        list.endArray();
        return index >= 0 && call(control, "org.a11y.atspi.Action", "DoAction", {index}).toBool();
    }

private:
    QDBusConnection m_bus{QString()};
    QString m_program;

    QVariant call(const QString &path, const char *interface, const char *method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(m_program, path, QLatin1String(interface), QLatin1String(method));
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 5000).arguments().value(0);
    }
    QString name(const QString &path)
    {
        return call(path, "org.freedesktop.DBus.Properties", "Get", {"org.a11y.atspi.Accessible", "Name"}).value<QDBusVariant>().variant().toString();
    }
    QStringList children(const QString &path)
    {
        const QDBusArgument list = call(path, "org.a11y.atspi.Accessible", "GetChildren").value<QDBusArgument>();
        QStringList paths;
        list.beginArray();
        while (!list.atEnd()) {
            QString service;
            QDBusObjectPath child;
            list.beginStructure();
            list >> service >> child;
            list.endStructure();
            paths << child.path();
        }
        list.endArray();
        return paths;
    }
    // The path of the first object named `name` under `path`, depth first.
    QString find(const QString &name, const QString &path)
    {
        for (const QString &child : children(path)) {
            const QString found = this->name(child) == name ? child : find(name, child);
            if (!found.isEmpty())
                return found;
        }
        return {};
    }
    // The program's showing window named `title` (AT-SPI's state "showing").
    QString window(const QString &title)
    {
        for (const QString &child : children(QStringLiteral("/org/a11y/atspi/accessible/root"))) {
            QList<uint> states;
            if (name(child) != title)
                continue;
            call(child, "org.a11y.atspi.Accessible", "GetState").value<QDBusArgument>() >> states;
            if (!states.isEmpty() && states.first() & (1u << 25))
                return child;
        }
        return {};
    }
};
