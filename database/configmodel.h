#pragma once

#include <QObject>
#include <QVariantMap>

// One tile of the application catalogue, handed to QML.
class ConfigModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
    Q_PROPERTY(QString icon READ icon WRITE setIcon NOTIFY iconChanged)
    Q_PROPERTY(int orderNumber READ orderNumber WRITE setOrderNumber NOTIFY orderNumberChanged)
public:
    explicit ConfigModel(QObject *parent = nullptr);

    QString name() const { return m_name; }
    QString path() const { return m_path; }
    QString icon() const { return m_icon; }
    int orderNumber() const { return m_orderNumber; }
    int type() const { return m_type; }

    void setName(const QString &name);
    void setPath(const QString &path);
    void setIcon(const QString &icon);
    void setOrderNumber(int orderNumber);
    void setType(int type);

signals:
    void nameChanged();
    void pathChanged();
    void iconChanged();
    void orderNumberChanged();
    void typeChanged();

private:
    QString m_name;
    QString m_path;
    QString m_icon;
    int m_orderNumber = 0;
    int m_type = 0;
};
