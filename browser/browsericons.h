#pragma once

#include <QIcon>
#include <QString>

// An image of browser.qrc, e.g. ":text-html.png". The resource is compiled
// into the static backend library, whose resource initialiser the linker
// keeps only when something calls it: this does, before the first look-up.
inline QIcon browserIcon(const QString &name)
{
    Q_INIT_RESOURCE(browser);
    return QIcon(name);
}
