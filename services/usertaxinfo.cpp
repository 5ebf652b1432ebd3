#include "services/usertaxinfo.h"

UserTaxInfo::UserTaxInfo(QObject *parent)
    : QObject(parent)
{
}

UserTaxInfo *UserTaxInfo::fromJson(const QJsonObject &company)
{
    auto *info = new UserTaxInfo;
    if (company.contains(QLatin1String("tax_code")))
        info->setTaxcode(company.value(QLatin1String("tax_code")).toVariant().toString());
    if (company.contains(QLatin1String("tax_name")))
        info->setTaxname(company.value(QLatin1String("tax_name")).toVariant().toString());
    if (company.contains(QLatin1String("phone")))
        info->setPhone(company.value(QLatin1String("phone")).toVariant().toString());
    if (company.contains(QLatin1String("url")))
        info->setUrl(company.value(QLatin1String("url")).toVariant().toString());
    return info;
}

UserTaxInfo *UserTaxInfo::copy() const
{
    auto *info = new UserTaxInfo;
    info->setTaxcode(m_taxcode);
    info->setTaxname(m_taxname);
    info->setPhone(m_phone);
    info->setUrl(m_url);
    return info;
}
