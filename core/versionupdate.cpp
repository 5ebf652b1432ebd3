#include "core/versionupdate.h"

#include "database/datebasefunction.h"

#include <QCoreApplication>
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
