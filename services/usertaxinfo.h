#pragma once

#include <QJsonObject>
#include <QObject>

// One company of the signed-in phone number, handed to QML.
class UserTaxInfo : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString taxcode READ taxcode WRITE setTaxcode NOTIFY taxcodeChanged)
    Q_PROPERTY(QString taxname READ taxname WRITE setTaxname NOTIFY taxnameChanged)
    Q_PROPERTY(QString phone READ phone WRITE setPhone NOTIFY phoneChanged)
    Q_PROPERTY(QString url READ url WRITE setUrl NOTIFY urlChanged)
public:
    explicit UserTaxInfo(QObject *parent = nullptr);

    // A company from a platform reply: "tax_code", "tax_name", "phone", "url",
    // each copied only when present.
    static UserTaxInfo *fromJson(const QJsonObject &company);
    UserTaxInfo *copy() const;

    QString taxcode() const { return m_taxcode; }
    QString taxname() const { return m_taxname; }
    QString phone() const { return m_phone; }
    QString url() const { return m_url; }

    // The setters do not emit: records are filled once and then only read.
    void setTaxcode(const QString &taxcode) { m_taxcode = taxcode; }
    void setTaxname(const QString &taxname) { m_taxname = taxname; }
    void setPhone(const QString &phone) { m_phone = phone; }
    void setUrl(const QString &url) { m_url = url; }

signals:
    void taxcodeChanged();
    void taxnameChanged();
    void phoneChanged();
    void urlChanged();

private:
    QString m_taxcode;
    QString m_taxname;
    QString m_phone;
    QString m_url;
};

