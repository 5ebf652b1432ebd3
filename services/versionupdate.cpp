#include "services/versionupdate.h"

#include "core/deployment.h"
#include "core/jsonreply.h"
#include "core/logfunction.h"
#include "core/tool.h"
#include "core/trace.h"
#include "database/datebasefunction.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

namespace {

QString g_databaseVersion;

void warn(const QString &text)
{
    qWarning().noquote() << QStringLiteral("GetUpdateFileAndCheckVersion: ") + text;
}

constexpr int startupUpdateLimitMs = 3000;

} // namespace

bool updateCheckPossible()
{
    // Without a recorded version every announced one looks newer, and a
    // hand-over that cannot be recorded would repeat at every start.
    if (g_databaseVersion.isEmpty()) {
        warn(QStringLiteral("the recorded version is unknown, no update"));
        return false;
    }
    return true;
}

QString updateFileUrl()
{
    return Deployment::updateUrl() + QStringLiteral("/updatefile.json");
}

int updateCheckLimitMs()
{
    // A hand-over comes within the first seconds of a start or not at all:
    // later it would close windows a person has begun to work in.
    return qMin(startupUpdateLimitMs, Deployment::requestTimeoutMs());
}

bool handOverForUpdateFile(const QByteArray &updateFile)
{
    if (!updateCheckPossible())
        return false;
    QJsonParseError error;
    const QJsonDocument document = JsonReply::parse(updateFile, &error);
    const QJsonValue version = document.object().value(QLatin1String("version"));
    if (error.error != QJsonParseError::NoError || !document.isObject() || !version.isString()
        || compareVersion(version.toString(), g_databaseVersion) <= 0)
        return false;

    // The new version is recorded before the updater starts, so that a
    // database which cannot record it never leads to a hand-over; and it is
    // taken back when the updater cannot start, or this installation would
    // stay on the old files for good.
    DatebaseFunction db;
    if (!db.setVersion(version.toString())) {
        warn(QStringLiteral("cannot record version ") + version.toString() + QStringLiteral(", no update"));
        return false;
    }
    const QString dir = QCoreApplication::applicationDirPath();
    const QString updater = dir + QStringLiteral("/AutoUpdate.exe");
    if (!QProcess::startDetached(updater, {updater}, dir)) {
        db.setVersion(g_databaseVersion);
        warn(QStringLiteral("cannot start ") + updater);
        return false;
    }
    db.updateDatabaseDate(databaseDateText());
    g_databaseVersion = db.getVersion();
    return true;
}

int compareVersion(const QString &a, const QString &b)
{
    if (a == b)
        return 0;
    const QStringList partsA = a.split(QLatin1Char('.'));
    const QStringList partsB = b.split(QLatin1Char('.'));
    const int common = qMin(partsA.size(), partsB.size());
    for (int i = 0; i < common; ++i) {
        const int numberA = partsA.at(i).toInt();
        const int numberB = partsB.at(i).toInt();
        if (numberA != numberB)
            return numberA > numberB ? 1 : -1;
    }
    return partsA.size() >= partsB.size() ? 1 : -1;
}

QString databaseVersion()
{
    return g_databaseVersion;
}

void reconcileVersionOnOpen(DatebaseFunction &db)
{
    g_databaseVersion = db.getVersion();
    db.createUserInfoTable();
}

void reconcileVersionWithProgram(DatebaseFunction &db)
{
    const QString programVersion = QCoreApplication::applicationVersion();
    if (compareVersion(programVersion, g_databaseVersion) > 0 && db.setVersion(programVersion)) {
        g_databaseVersion = db.getVersion();
        db.updateDatabaseDate(databaseDateText());
    }
}

void sendStartupUsageReport(LogFunction &logFunction)
{
    logFunction.log(QStringLiteral("1000"), QStringLiteral("user open software"), Tool().getMac());
}

bool GetUpdateFileAndCheckVersion()
{
    const QString label = QStringLiteral("GetUpdateFileAndCheckVersion");
    Trace::begin(label);
    const bool handedOver = updateCheckPossible()
        && handOverForUpdateFile(Tool().httpGet(updateFileUrl(), updateCheckLimitMs()).toUtf8());
    Trace::end(label);
    return handedOver;
}
