#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// What getMac() needs to know of one network interface.
struct InterfaceSummary
{
    QString humanReadableName;
    bool up = false;
    bool loopback = false;
    QString hardwareAddress;
};

// Stateless helpers for talking to the platform: a blocking GET, the
// client's identity (IP, hardware address, edition) and the phone token.
// Callers make a temporary instance.
class Tool : public QObject
{
public:
    // The reply body of a GET, decoded as UTF-8; empty when the reply did not
    // arrive whole within `limitMs` (the request time limit when negative;
    // see ReplyReader::readWhole).
    QString httpGet(const QString &url, int limitMs = -1) const;
    // The first IPv4 address of any interface, loopback included; empty if none.
    QString getIp() const;
    // The hardware address of the first interface that is up, not loopback and
    // not a VMware adapter; empty if none qualifies.
    QString getMac() const;
    // The version recorded in the local database, read anew through the
    // reader the database hands down (setEditionReader); "" without one.
    QString getEdition() const;
    // The database, which stands on this folder, gives the way to read its
    // recorded version here.
    static void setEditionReader(const std::function<QString()> &reader);
    // The token for the user-check page: {"phone","timestamp"} as indented
    // JSON, AES-128/ECB/PKCS#7 with the fixed key, Base64 twice.
    QString getEncodeText(const QString &timestamp, const QString &phone) const;

    // getMac()'s choice among interfaces, in the order the system lists them.
    static QString pickHardwareAddress(const QList<InterfaceSummary> &interfaces);
};
