#pragma once

#include <QQuickItem>
#include <QSystemTrayIcon>
#include <QUrl>

class MyMenu;
class QWindow;

// The notification-area icon of the main window, declared in QML. The real
// icon shows only while this item is visible.
class SystemTrayIcon : public QQuickItem
{
    Q_OBJECT
    // The icon's place on the screen stands in for the item's position.
    Q_PROPERTY(int x READ x CONSTANT)
    Q_PROPERTY(int y READ y CONSTANT)
    Q_PROPERTY(QUrl icon READ icon WRITE setIcon NOTIFY iconChanged)
    Q_PROPERTY(QString toolTip READ toolTip WRITE setToolTip NOTIFY toolTipChanged)
    Q_PROPERTY(MyMenu *menu READ menu WRITE setMenu NOTIFY menuChanged)

public:
    explicit SystemTrayIcon(QQuickItem *parent = nullptr);

    int x() const;
    int y() const;
    QUrl icon() const { return m_icon; }
    QString toolTip() const;
    MyMenu *menu() const { return m_menu; }
    // Whether the desktop has a notification area to show the icon in now.
    Q_INVOKABLE bool isAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    // Brings `window` back in front with the keys (WindowRaiser).
    Q_INVOKABLE void bringBack(QWindow *window);

signals:
    void trigger();
    void iconChanged();
    void toolTipChanged();
    void menuChanged();

public slots:
    void setIcon(const QUrl &icon);
    void setToolTip(const QString &toolTip);
    void setMenu(MyMenu *menu);
    void onVisibleChanged();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onExit();

protected:
    void componentComplete() override;

private:
    QSystemTrayIcon *m_trayIcon;
    MyMenu *m_menu = nullptr;
    QString m_toolTip;
    QUrl m_icon;
};

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)
