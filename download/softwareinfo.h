#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

// The details of one catalogue entry for the download page.
// The setters only store: the record is filled once before it is handed over.
class SoftwareInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString icon READ icon WRITE setIcon NOTIFY iconChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString version READ version WRITE setVersion NOTIFY versionChanged)
    Q_PROPERTY(QString size READ size WRITE setSize NOTIFY sizeChanged)
    Q_PROPERTY(QString updatetime READ updatetime WRITE setUpdatetime NOTIFY updatetimeChanged)
    Q_PROPERTY(QVariantList piclist READ piclist WRITE setPiclist NOTIFY piclistChanged)
    Q_PROPERTY(QString summary READ summary WRITE setSummary NOTIFY summaryChanged)
    Q_PROPERTY(bool picexist READ picexist WRITE setPicexist NOTIFY picexistChanged)
public:
    explicit SoftwareInfo(QObject *parent = nullptr);

    QString id() const { return m_id; }
    void setId(const QString &value) { m_id = value; }
    QString icon() const { return m_icon; }
    void setIcon(const QString &value) { m_icon = value; }
    QString name() const { return m_name; }
    void setName(const QString &value) { m_name = value; }
    QString version() const { return m_version; }
    void setVersion(const QString &value) { m_version = value; }
    QString size() const { return m_size; }
    void setSize(const QString &value) { m_size = value; }
    QString updatetime() const { return m_updatetime; }
    void setUpdatetime(const QString &value) { m_updatetime = value; }
    QVariantList piclist() const { return m_piclist; }
    void setPiclist(const QVariantList &value) { m_piclist = value; }
    QString summary() const { return m_summary; }
    void setSummary(const QString &value) { m_summary = value; }
    bool picexist() const { return m_picexist; }
    void setPicexist(bool value) { m_picexist = value; }

signals:
    void idChanged();
    void iconChanged();
    void nameChanged();
    void versionChanged();
    void sizeChanged();
    void updatetimeChanged();
    void piclistChanged();
    void summaryChanged();
    void picexistChanged();

private:
    QString m_id;
    QString m_icon;
    QString m_name;
    QString m_version;
    QString m_size;
    QString m_updatetime;
    QVariantList m_piclist;
    QString m_summary;
    bool m_picexist = false;
};
