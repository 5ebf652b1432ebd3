#include "services/posterfunction.h"

#include "core/deployment.h"
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
    const QJsonDocument document = QJsonDocument::fromJson(reply.toUtf8());
    const QJsonObject object = document.object();
    if (!document.isObject() || object.value(QLatin1String("states")) != QJsonValue(true))
        return false;
    if (data)
        *data = object.value(QLatin1String("data")).toArray();
    return true;
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

void PosterFunction::buff(const Source &source)
{
    const QString reply = request(source);
    // A failure is not news: it is never cached, so an outage neither replaces
    // a good cache nor blanks the home page for an hour; the next call asks again.
    if (!successData(reply, nullptr))
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
    QString data;
    bool fresh = info.exists()
        && info.lastModified().msecsTo(QDateTime::currentDateTime()) <= cacheLifetimeMs;
    if (fresh) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QTextCodec *codec = cacheCodec();
            while (!file.atEnd())
                data += codec->toUnicode(file.readLine());
        } else {
            qDebug().noquote() << QStringLiteral("Can't open the file!");
        }
        fresh = !data.isEmpty();
    }
    if (!fresh) {
        data = request(source);
        buff(source);
    }
    return articles(data);
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
