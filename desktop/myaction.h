#pragma once

#include <QAction>
#include <QUrl>

// A menu entry declared in QML; a MyMenu picks it up by its object name.
class MyAction : public QAction
{
    Q_OBJECT
    Q_PROPERTY(QUrl icon READ icon WRITE setIcon NOTIFY iconChanged)

public:
    explicit MyAction(QObject *parent = nullptr);

    QUrl icon() const { return m_icon; }

signals:
    void iconChanged();

public slots:
    void setIcon(const QUrl &icon);

private:
    QUrl m_icon;
};
