#include "services/vantafunction.h"

#include "core/deployment.h"
#include "core/jsonreply.h"
#include "core/qmlelement.h"
#include "core/trace.h"
#include "services/usertaxinfo.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

QVariantList VantaFunction::m_TaxCode;
int VantaFunction::m_pageCount = 0;

namespace {

// Traces label Begin and End before the query computes its answer.
void traceQuery(const char *name)
{
    const QString label = QLatin1String("VantaFunction::") + QLatin1String(name);
    Trace::begin(label);
    Trace::end(label);
}

} // namespace

VantaFunction::VantaFunction(QObject *parent)
    : QObject(parent)
{
}

QVariantList VantaFunction::notOpen(const std::function<bool(const UserTaxInfo &)> &select) const
{
    QVariantList result;
    for (const QVariant &entry : qAsConst(m_TaxCode)) {
        const auto *info = entry.value<UserTaxInfo *>();
        if (info && !m_openTaxCodes.contains(info->taxcode()) && select(*info))
            result.append(qmlElement(info->copy()));
    }
    return result;
}

QVariantList VantaFunction::getTaxCodeFromPhoneNo(QString phoneno)
{
    Q_UNUSED(phoneno);
    traceQuery("getTaxCodeFromPhoneNo");
    return notOpen([](const UserTaxInfo &) { return true; });
}

QVariantList VantaFunction::getTaxCodeFromSearchText(QString _text)
{
    traceQuery("getTaxCodeFromSearchText");
    return notOpen([&_text](const UserTaxInfo &info) {
        return info.taxname().contains(_text) || info.taxcode().contains(_text);
    });
}

int VantaFunction::getTaxCodeCount(QString phoneno)
{
    Q_UNUSED(phoneno);
    traceQuery("getTaxCodeCount");
    int count = 0;
    for (const QVariant &entry : qAsConst(m_TaxCode)) {
        const auto *info = entry.value<UserTaxInfo *>();
        count += info && !m_openTaxCodes.contains(info->taxcode());
    }
    return count;
}

int VantaFunction::getTaxCodeMaxCount(QString phoneno)
{
    Q_UNUSED(phoneno);
    traceQuery("getTaxCodeMaxCount");
    return m_TaxCode.size();
}

int VantaFunction::getTaxCodeTotalCount()
{
    return m_pageCount;
}

int VantaFunction::getSearchTaxCodeTotalCount()
{
    return m_searchPageCount;
}

QVariantList VantaFunction::getTaxCodeFromPage(QString phoneno, int pagenum, QString keyword)
{
    QString body = QStringLiteral("phone=") + RequestSender::formValue(phoneno) + QStringLiteral("&page=")
        + QString::number(pagenum);
    if (!keyword.isEmpty())
        body += QStringLiteral("&key=") + RequestSender::formValue(keyword);
    QString reply;
    m_request.postPlatformRequest(Deployment::platformUrl() + QStringLiteral("/api/platapi/getTaxPage"),
                                  body, reply, BodyEncoding::Utf8);

    QVariantList result;
    const QJsonObject object = JsonReply::parse(reply.toUtf8()).object();
    if (object.value(QLatin1String("states")) != QJsonValue(true))
        return result;
    const QJsonObject data = object.value(QLatin1String("data")).toObject();
    for (const QJsonValue &company : data.value(QLatin1String("data")).toArray())
        result.append(qmlElement(UserTaxInfo::fromJson(company.toObject())));
    m_searchPageCount = data.value(QLatin1String("page_count")).toInt();
    return result;
}

bool VantaFunction::addTaxCode(QString _taxcode)
{
    if (m_openCount + 1 >= 4)
        return false;
    ++m_openCount;
    m_openTaxCodes.insert(_taxcode);
    return true;
}

bool VantaFunction::removeTaxCode(QString _taxcode)
{
    if (m_openCount - 1 < 0)
        return false;
    --m_openCount;
    if (m_openTaxCodes.isEmpty())
        return false;
    return m_openTaxCodes.remove(_taxcode);
}

bool VantaFunction::existTaxCode(QString _taxcode)
{
    return m_openTaxCodes.contains(_taxcode);
}

void VantaFunction::setTaxCodeFromPhoneNo(const QVariantList &list)
{
    const QString label = QStringLiteral("VantaFunction::setTaxCodeFromPhoneNo");
    Trace::begin(label);
    // The list owns its records; QML only ever gets copies of them, so a
    // record released here is referred to by nobody. A set keeps this linear
    // for sign-ins with tens of thousands of companies.
    QSet<UserTaxInfo *> kept;
    kept.reserve(list.size());
    for (const QVariant &entry : list)
        kept.insert(entry.value<UserTaxInfo *>());
    for (const QVariant &old : qAsConst(m_TaxCode)) {
        UserTaxInfo *info = old.value<UserTaxInfo *>();
        if (!kept.contains(info)) {
            kept.insert(info); // a record listed twice is released once
            delete info;
        }
    }
    m_TaxCode = list;
    qDebug().noquote() << QStringLiteral("m_TaxCode : ") + QString::number(m_TaxCode.size());
    Trace::end(label);
}

void VantaFunction::setTaxCodePageCount(int count)
{
    m_pageCount = count;
}
