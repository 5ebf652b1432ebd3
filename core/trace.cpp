#include "core/trace.h"

#include <QDateTime>
#include <QDebug>

namespace Trace {

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy.MM.dd hh:mm:ss.zzz ddd"));
}

void mark(const QString &label, const char *marker)
{
    qDebug().noquote() << label + QLatin1String(marker) + now();
}

void begin(const QString &label)
{
    mark(label, " Begin ");
}

void end(const QString &label)
{
    mark(label, " End ");
}

} // namespace Trace
