#include "desktop/myaction.h"

#include "desktop/iconsource.h"

MyAction::MyAction(QObject *parent)
    : QAction(parent)
{
    setObjectName(QStringLiteral("MyAction"));
}

void MyAction::setIcon(const QUrl &icon)
{
    if (icon == m_icon)
        return;
    m_icon = icon;
    // Read once the event loop runs: no menu shows before, and the start
    // does not wait for the icon's every size.
    QMetaObject::invokeMethod(this, [this] { QAction::setIcon(iconFromSource(m_icon)); }, Qt::QueuedConnection);
    emit iconChanged();
}
