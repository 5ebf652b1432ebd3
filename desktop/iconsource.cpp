#include "desktop/iconsource.h"

#include <QHash>

QIcon iconFromSource(const QUrl &source)
{
    QString path = source.toLocalFile();
    if (path.isEmpty())
        path = source.toString();
    if (!path.startsWith(QLatin1String("qrc")))
        return QIcon(path);
    // A resource never changes: each is read once (the tray and its menu
    // show the same one).
    path.remove(0, 3);
    static QHash<QString, QIcon> resources;
    auto found = resources.find(path);
    if (found == resources.end())
        found = resources.insert(path, QIcon(path));
    return *found;
}
