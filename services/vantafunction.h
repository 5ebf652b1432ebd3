#pragma once

#include "core/protobufhttp.h"

#include <QObject>
#include <QSet>
#include <QVariantList>

class UserTaxInfo;

// The companies of the signed-in phone number: the list of the last sign-in,
// its pages and search on the platform, and the invoicing windows counted as
// open (at most three at a time).
class VantaFunction : public QObject
{
    Q_OBJECT
public:
    explicit VantaFunction(QObject *parent = nullptr);

    Q_INVOKABLE QVariantList getTaxCodeFromPhoneNo(QString phoneno);
    Q_INVOKABLE QVariantList getTaxCodeFromPage(QString phoneno, int pagenum, QString keyword = QString());
    Q_INVOKABLE int getTaxCodeTotalCount();
    Q_INVOKABLE int getSearchTaxCodeTotalCount();
    Q_INVOKABLE int getTaxCodeCount(QString phoneno);
    Q_INVOKABLE int getTaxCodeMaxCount(QString phoneno);
    Q_INVOKABLE QVariantList getTaxCodeFromSearchText(QString _text);
    Q_INVOKABLE bool addTaxCode(QString _taxcode);
    Q_INVOKABLE bool removeTaxCode(QString _taxcode);
    Q_INVOKABLE bool existTaxCode(QString _taxcode);

    // The sign-in hands over the companies of its reply (records created
    // without parent; the list takes them over) and the number of pages.
    static void setTaxCodeFromPhoneNo(const QVariantList &list);
    static void setTaxCodePageCount(int count);

private:
    // Copies of the not-open companies of the sign-in list that `select` accepts.
    QVariantList notOpen(const std::function<bool(const UserTaxInfo &)> &select) const;

    RequestSender m_request;
    int m_openCount = 0;
    int m_searchPageCount = 0;
    QSet<QString> m_openTaxCodes;

    static QVariantList m_TaxCode;
    static int m_pageCount;
};
