#include "desktop/systemtrayicon.h"

#include "desktop/iconsource.h"
#include "desktop/mymenu.h"
#include "desktop/windowraiser.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>

SystemTrayIcon::SystemTrayIcon(QQuickItem *parent)
    : QQuickItem(parent)
    , m_trayIcon(new QSystemTrayIcon(this))
{
    // So that QML can call onActivated with a reason.
    qRegisterMetaType<QSystemTrayIcon::ActivationReason>();
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::onActivated);
    connect(this, &QQuickItem::visibleChanged, this, &SystemTrayIcon::onVisibleChanged);
    // Hidden until the document asks for it with visible: true.
    setVisible(false);
}

int SystemTrayIcon::x() const
{
    return m_trayIcon->geometry().x();
}

int SystemTrayIcon::y() const
{
    return m_trayIcon->geometry().y();
}

QString SystemTrayIcon::toolTip() const
{
    return m_trayIcon->toolTip();
}

void SystemTrayIcon::setIcon(const QUrl &icon)
{
    if (icon == m_icon)
        return;
    m_icon = icon;
    // While QML is still making the item, the icon waits for the tray.
    if (isComponentComplete())
        m_trayIcon->setIcon(iconFromSource(icon));
    emit iconChanged();
}

void SystemTrayIcon::setToolTip(const QString &toolTip)
{
    if (toolTip == m_toolTip)
        return;
    m_trayIcon->setToolTip(toolTip);
    m_toolTip = toolTip;
    emit toolTipChanged();
}

void SystemTrayIcon::setMenu(MyMenu *menu)
{
    if (menu == m_menu)
        return;
    m_menu = menu;
    m_trayIcon->setContextMenu(menu ? menu->menu() : nullptr);
    m_trayIcon->installEventFilter(this);
    emit menuChanged();
}

void SystemTrayIcon::onVisibleChanged()
{
    // While QML is still making the item, componentComplete() catches up.
    if (!isComponentComplete())
        return;
    // Under Wayland Qt has only the desktop's StatusNotifier host to show
    // the icon with: where none answered as the icon was made (weston, sway
    // without a panel), showing it would only try X11's tray and warn.
    const bool hostless = QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && !isAvailable();
    m_trayIcon->setVisible(isVisible() && !hostless);
}

void SystemTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The context menu opens by itself; a middle click means nothing here.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        emit trigger();
}

void SystemTrayIcon::bringBack(QWindow *window)
{
    WindowRaiser::bringBack(window);
}

void SystemTrayIcon::onExit()
{
    // Take the icon out of the notification area first, so none is left behind.
    m_trayIcon->hide();
    QCoreApplication::exit(0);
}

void SystemTrayIcon::componentComplete()
{
    QQuickItem::componentComplete();
    // The tray comes up once the event loop runs: reading the icon's sizes
    // and asking the desktop for its notification area (over D-Bus) are not
    // what the main window's first frame waits for.
    QMetaObject::invokeMethod(this, [this] {
        if (!m_icon.isEmpty())
            m_trayIcon->setIcon(iconFromSource(m_icon));
        onVisibleChanged();
    }, Qt::QueuedConnection);
}
