#include "services/posterfunction.h"

#include "core/deployment.h"
#include "core/jsonreply.h"
#include "core/qmlelement.h"
#include "services/postermodel.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextCodec>

const PosterFunction::Source PosterFunction::companyNews = {
    "/api/ArticleApi/getArticle", QStringLiteral("classid=4&num=2"), "buffnotice.json"};
const PosterFunction::Source PosterFunction::policyNews = {
    "/api/ArticleApi/getArticle", QStringLiteral("classid=3&num=3"), "buffpolicy.json"};
const PosterFunction::Source PosterFunction::indexArticles = {
    "/api/ArticleApi/getIndexArticle", QString(), "buff.json"};

namespace {

// The cache files are written and read in one codec, so Chinese titles come
// back as they were; GB18030 also reads the GB2312 files of older versions.
QTextCodec *cacheCodec()
{
    return QTextCodec::codecForName("GB18030");
}

// The "data" array of a reply whose "states" is the JSON boolean true.
bool successData(const QString &reply, QJsonArray *data)
{
    const QJsonDocument document = JsonReply::parse(reply.toUtf8());
    const QJsonObject object = document.object();
    if (!document.isObject() || object.value(QLatin1String("states")) != QJsonValue(true))
        return false;
    *data = object.value(QLatin1String("data")).toArray();
    return true;
}

// A success that carries the article list the reader needs; anything else is
// a failed fetch, however it is worded.
bool usableArticles(const QString &reply)
{
    const QJsonObject object = JsonReply::parse(reply.toUtf8()).object();
    return object.value(QLatin1String("states")) == QJsonValue(true)
        && object.value(QLatin1String("data")).isArray();
}

QVariantList articles(const QString &reply)
{
    QVariantList list;
    QJsonArray data;
    if (!successData(reply, &data))
        return list;
    for (const QJsonValue &article : qAsConst(data))
        list.append(qmlElement(PosterModel::fromJson(article.toObject())));
    return list;
}

QString cachePath(const char *name)
{
    return Deployment::dataPath(QLatin1String(name));
}

} // namespace

PosterFunction::PosterFunction(QObject *parent)
    : QObject(parent)
{
}

QString PosterFunction::request(const char *path, const QString &body)
{
    QString reply;
    m_request.postPlatformRequest(Deployment::platformUrl() + QLatin1String(path), body, reply);
    return reply;
}

QString PosterFunction::fetch(const Source &source)
{
    const QString reply = request(source);
    if (usableArticles(reply))
        m_retryAt.remove(source.cacheFile);
    else
        m_retryAt.insert(source.cacheFile, QDeadlineTimer(retryAfterFailureMs));
    return reply;
}

bool PosterFunction::mayFetch(const Source &source) const
{
    const auto retry = m_retryAt.constFind(source.cacheFile);
    return retry == m_retryAt.cend() || retry->hasExpired();
}

void PosterFunction::buff(const Source &source)
{
    if (!mayFetch(source))
        return;
    const QString reply = fetch(source);
    // A failure is not news: it is never cached, so an outage neither replaces
    // a good cache nor blanks the home page.
    if (!usableArticles(reply))
        return;
    QSaveFile file(cachePath(source.cacheFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(cacheCodec()->fromUnicode(reply + QStringLiteral("\r\n")));
    file.commit();
}

void PosterFunction::buffNotice()
{
    buff(companyNews);
}

void PosterFunction::buffPolicy()
{
    buff(policyNews);
}

void PosterFunction::buffNoticePolicy()
{
    buff(indexArticles);
}

QVariantList PosterFunction::cachedList(const Source &source)
{
    const QFileInfo info(cachePath(source.cacheFile));
    const QString cached = info.exists() ? readCache(info.filePath()) : QString();
    const bool fresh = !cached.isEmpty()
        && info.lastModified().msecsTo(QDateTime::currentDateTime()) <= cacheLifetimeMs;
    // After a failed fetch the last good cache stands in, whatever its age,
    // until the list may be asked for again: a platform that never answers
    // costs the time limit once, not on every visit of the home page.
    if (fresh || !mayFetch(source))
        return articles(cached);
    const QString reply = fetch(source);
    if (!usableArticles(reply))
        return articles(cached);
    buff(source);
    return articles(reply);
}

QString PosterFunction::readCache(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug().noquote() << QStringLiteral("Can't open the file!");
        return QString();
    }
    QString data;
    QTextCodec *codec = cacheCodec();
    while (!file.atEnd())
        data += codec->toUnicode(file.readLine());
    return data;
}

QVariantList PosterFunction::getNotice()
{
    return cachedList(companyNews);
}

QVariantList PosterFunction::getPolicy()
{
    return cachedList(policyNews);
}

QVariantList PosterFunction::getSystemNotice(int _type, int _num)
{
    return articles(request("/api/ArticleApi/getArticle",
                            QStringLiteral("classid=%1&num=%2").arg(_type).arg(_num)));
}

int PosterFunction::getSystemNoticeCount(int _type, int _num)
{
    QJsonArray data;
    const QString reply = request("/api/platapi/getArticle",
                                  QStringLiteral("classid=%1&num=%2").arg(_type).arg(_num));
    return successData(reply, &data) ? data.size() : 0;
}
