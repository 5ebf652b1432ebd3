#pragma once

#include <QObject>
#include <QString>

// An icon taken from a program the user chose: the saved PNG and the program.
class IconModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString icon READ icon NOTIFY iconChanged)
    Q_PROPERTY(QString apppath READ apppath NOTIFY apppathChanged)

public:
    explicit IconModel(QObject *parent = nullptr);

    QString icon() const { return m_icon; }
    QString apppath() const { return m_apppath; }
    // Filled once before QML sees the object, so the setters do not notify.
    void setIcon(const QString &icon) { m_icon = icon; }
    void setApppath(const QString &apppath) { m_apppath = apppath; }

signals:
    void iconChanged();
    void apppathChanged();

private:
    QString m_icon;
    QString m_apppath;
};
