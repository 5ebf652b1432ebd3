#include "desktop/iconsource.h"

QIcon iconFromSource(const QUrl &source)
{
    QString path = source.toLocalFile();
    if (path.isEmpty())
        path = source.toString();
    if (path.startsWith(QLatin1String("qrc")))
        path.remove(0, 3);
    return QIcon(path);
}
