#pragma once

#include <QLocalServer>

class QLocalSocket;
class QQmlApplicationEngine;

// Where a second start rings the running copy (on instanceSocketPath()):
// each caller's line, "show" and optionally its startup-notification id,
// brings the main window back in front and completes that notification.
class Doorbell : public QObject
{
    Q_OBJECT

public:
    explicit Doorbell(QQmlApplicationEngine &engine, QObject *parent = nullptr);

    // The startup id in one caller's line ("show ID\n"), or empty when the
    // line carries none or one not fit to pass on.
    static QByteArray startupIdOf(const QByteArray &line);

private:
    void answer(QLocalSocket *caller);

    QQmlApplicationEngine &m_engine;
    QLocalServer m_server;
};
