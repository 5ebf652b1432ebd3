#include "core/programicons.h"

#include <QHash>
#include <QMutex>
#include <QUrl>

namespace {

QMutex &iconsMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, QString> &icons()
{
    static QHash<QString, QString> byPath;
    return byPath;
}

} // namespace

void ProgramIcons::remember(const QString &programPath, const QString &iconFile)
{
    QMutexLocker lock(&iconsMutex());
    icons().insert(programPath, QUrl::fromLocalFile(iconFile).toString());
}

void ProgramIcons::forget(const QString &programPath)
{
    QMutexLocker lock(&iconsMutex());
    icons().remove(programPath);
}

QString ProgramIcons::addressOf(const QString &programPath)
{
    if (programPath.isEmpty())
        return QString();
    QMutexLocker lock(&iconsMutex());
    return icons().value(programPath);
}
