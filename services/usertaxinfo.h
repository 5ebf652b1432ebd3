#pragma once

#include "core/elementproperty.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

// One company of the signed-in phone number, handed to QML. The setters do
// not emit: records are filled once and then only read.
class UserTaxInfo : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(QString, taxcode, setTaxcode, taxcodeChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, taxname, setTaxname, taxnameChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, phone, setPhone, phoneChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, url, setUrl, urlChanged, Silent)

public:
    explicit UserTaxInfo(QObject *parent = nullptr);

    // A company from a platform reply: "tax_code", "tax_name", "phone", "url",
    // each copied only when present.
    static UserTaxInfo *fromJson(const QJsonObject &company);
    UserTaxInfo *copy() const;
};
