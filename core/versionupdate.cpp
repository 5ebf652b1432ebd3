#include "core/versionupdate.h"

#include "core/deployment.h"
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

} // namespace

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

QString databaseDateText(const QDate &date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
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
    if (compareVersion(programVersion, g_databaseVersion) > 0) {
        db.setVersion(programVersion);
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

    const QString reply = Tool().httpGet(Deployment::updateUrl() + QStringLiteral("/updatefile.json"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        Trace::end(label);
        return false;
    }

    const QJsonValue version = document.object().value(QLatin1String("version"));
    if (!document.isObject() || !version.isString()
        || compareVersion(version.toString(), g_databaseVersion) <= 0) {
        Trace::end(label);
        return false;
    }

    const QString dir = QCoreApplication::applicationDirPath();
    const QString updater = dir + QStringLiteral("/AutoUpdate.exe");
    if (!QProcess::startDetached(updater, {updater}, dir)) {
        // Recording the new version without an updater having run would keep
        // this installation on the old files for good: the next start would
        // see no newer version.
        qWarning().noquote() << QStringLiteral("GetUpdateFileAndCheckVersion: cannot start ") + updater;
        Trace::end(label);
        return false;
    }

    DatebaseFunction db;
    db.setVersion(version.toString());
    db.updateDatabaseDate(databaseDateText());
    g_databaseVersion = db.getVersion();
    Trace::end(label);
    return true;
}
