#include "desktop/doorbell.h"

#include "core/singleinstance.h"
#include "desktop/windowraiser.h"

#include <QDebug>
#include <QLocalSocket>
#include <QQmlApplicationEngine>
#include <QWindow>

namespace {
// A caller's line is short; anything longer is not read further.
constexpr int kLineLimit = 512;
}

Doorbell::Doorbell(QQmlApplicationEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(instanceSocketPath());
    if (!m_server.listen(instanceSocketPath()))
        qWarning().noquote() << QStringLiteral("second starts cannot reach this copy: ") + m_server.errorString();
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *caller = m_server.nextPendingConnection()) {
            connect(caller, &QLocalSocket::readyRead, this, [this, caller] {
                if (caller->canReadLine() || caller->bytesAvailable() >= kLineLimit)
                    answer(caller);
            });
            // A caller that hangs up without a whole line still rang.
            connect(caller, &QLocalSocket::disconnected, this, [this, caller] { answer(caller); });
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            if (caller->canReadLine())
                answer(caller);
        }
    });
}

QByteArray Doorbell::startupIdOf(const QByteArray &line)
{
    const QByteArray words = line.trimmed();
    if (!words.startsWith("show "))
        return {};
    const QByteArray id = words.mid(5).trimmed();
    return WindowRaiser::isWellFormedStartupId(id) ? id : QByteArray();
}

void Doorbell::answer(QLocalSocket *caller)
{
    // Once per caller.
    if (caller->property("answered").toBool())
        return;
    caller->setProperty("answered", true);
    const QByteArray startupId = startupIdOf(caller->read(kLineLimit));
    caller->disconnectFromServer();
    qDebug().noquote() << QStringLiteral("a second start: showing the main window")
            + (startupId.isEmpty() ? QString() : QStringLiteral(" (launch %1)").arg(QString::fromLatin1(startupId)));
    const QList<QObject *> roots = m_engine.rootObjects();
    if (auto *window = roots.isEmpty() ? nullptr : qobject_cast<QWindow *>(roots.first()))
        WindowRaiser::bringBack(window);
    WindowRaiser::completeStartup(startupId);
}
