#include "download/downloadfunction.h"

#include "core/jsonreply.h"
#include "services/configfunction.h"

#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "core/qmlelement.h"
#include "core/trace.h"
#include "core/urlpolicy.h"
#include "download/downloadfile.h"
#include "download/downloadfilemodel.h"
#include "download/softwareinfo.h"

#include <QDebug>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkReply>
#include <QRegularExpression>

namespace {

// The platform's envelope: an object whose "states" is the boolean true.
bool acceptedReply(const QString &reply, QJsonObject &object)
{
    QJsonParseError parseError;
    const QJsonDocument document = JsonReply::parse(reply.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return false;
    object = document.object();
    const QJsonValue states = object.value(QStringLiteral("states"));
    return states.isBool() && states.toBool();
}

// Text of a catalogue field; a number (a size, a count) is written in its
// shortest decimal form, 0.1 rather than 0.10000000000000001.
QString fieldText(const QJsonValue &value)
{
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

} // namespace

DownloadFunction::DownloadFunction(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<DownloadFileModel *>("DownloadFileModel*");
    qRegisterMetaType<SoftwareInfo *>("SoftwareInfo*");
}

DownloadFunction::~DownloadFunction()
{
    qDeleteAll(m_jobs);
}

QVariantList DownloadFunction::getDownloadInfoList()
{
    return requestCatalogue(QString(), false);
}

QVariantList DownloadFunction::getDownloadInfoListFromPage(int _page)
{
    return requestCatalogue(QStringLiteral("page=") + QString::number(_page), true);
}

int DownloadFunction::getDownloadInfoListTotalPageCount()
{
    return m_pageCount;
}

QVariantList DownloadFunction::requestCatalogue(const QString &body, bool readPageCount)
{
    QString reply;
    m_sender.postPlatformRequest(Deployment::platformUrl() + QStringLiteral("/api/articleapi/getDownload"),
                                 body, reply);
    QVariantList list;
    QJsonObject object;
    m_catalogueFailed = !acceptedReply(reply, object);
    if (m_catalogueFailed)
        return list;
    const QJsonObject data = object.value(QStringLiteral("data")).toObject();
    const QJsonArray entries = data.value(QStringLiteral("data")).toArray();
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        auto *model = new DownloadFileModel;
        if (entry.contains(QStringLiteral("id"))) {
            const QJsonValue id = entry.value(QStringLiteral("id"));
            model->setId(id.isString() ? id.toString() : QString::number(id.toVariant().toLongLong()));
        }
        if (entry.contains(QStringLiteral("title")))
            model->setTitle(fieldText(entry.value(QStringLiteral("title"))));
        if (entry.contains(QStringLiteral("shortitle")))
            model->setShortitle(fieldText(entry.value(QStringLiteral("shortitle"))));
        if (entry.contains(QStringLiteral("summary")))
            model->setSummary(fieldText(entry.value(QStringLiteral("summary"))));
        if (entry.contains(QStringLiteral("uplodeimg")))
            model->setUplodeimg(fieldText(entry.value(QStringLiteral("uplodeimg"))));
        if (entry.contains(QStringLiteral("uplodesoft"))) {
            const QString soft = fieldText(entry.value(QStringLiteral("uplodesoft")));
            model->setUplodesoft(soft);
            model->setFilename(soft.split(QLatin1Char('/')).last());
        }
        if (entry.contains(QStringLiteral("softsize")))
            model->setSoftsize(fieldText(entry.value(QStringLiteral("softsize"))));
        if (entry.contains(QStringLiteral("p_url")))
            model->setUrl(fieldText(entry.value(QStringLiteral("p_url"))));
        list.append(qmlElement(model));
    }
    if (readPageCount)
        m_pageCount = data.value(QStringLiteral("page_count")).toVariant().toInt();
    return list;
}

QVariant DownloadFunction::getDownloadInfo(QString _id)
{
    auto *info = new SoftwareInfo;
    const QVariant handed = qmlElement(info);
    QString reply;
    m_sender.postPlatformRequest(Deployment::platformUrl() + QStringLiteral("/api/Articleapi/getDownloadInfo"),
                                 QStringLiteral("articleid=") + RequestSender::formValue(_id), reply);
    QJsonObject object;
    if (!acceptedReply(reply, object))
        return handed;
    const QJsonObject data = object.value(QStringLiteral("data")).toObject();
    info->setId(data.value(QStringLiteral("id")).toString());
    info->setIcon(fieldText(data.value(QStringLiteral("uplodeimg"))));
    info->setName(fieldText(data.value(QStringLiteral("title"))));
    info->setVersion(fieldText(data.value(QStringLiteral("shortitle"))));
    info->setSize(fieldText(data.value(QStringLiteral("softsize"))));
    info->setUpdatetime(fieldText(data.value(QStringLiteral("creat_time"))));
    info->setSummary(fieldText(data.value(QStringLiteral("summary"))));
    const QJsonArray images = data.value(QStringLiteral("imglist")).toArray();
    QVariantList pictures;
    for (const QJsonValue &image : images)
        pictures.append(image.toObject().value(QStringLiteral("url")).toString());
    info->setPiclist(pictures);
    info->setPicexist(!images.isEmpty());
    return handed;
}

bool DownloadFunction::isSaveableName(const QString &filename)
{
    if (filename.isEmpty() || filename == QLatin1String(".") || filename == QLatin1String("..")
        || filename.contains(QLatin1Char('/')) || filename.contains(QLatin1Char('\\'))
        || filename.toUtf8().size() > 255)
        return false;
    for (int i = 0; i < filename.size(); ++i) {
        const QChar c = filename.at(i);
        if (c.category() == QChar::Other_Control)
            return false;
        // Half of a surrogate pair alone has no UTF-8 form.
        if (c.isHighSurrogate() && i + 1 < filename.size() && filename.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

QString DownloadFunction::savePath(const QString &filename)
{
    return ConfigFunction::downloadDirectory() + QLatin1Char('/') + filename;
}

void DownloadFunction::downloadFile(QString _id, QString _url, QString _filename)
{
    const QString label = QStringLiteral("downloadFile");
    Trace::begin(label);
    if (DownloadFile *job = m_jobs.value(_id)) {
        job->restartDown();
        Trace::end(label);
        return;
    }
    // The name comes from the server: it must name a file inside the download directory, not
    // a folder or a place outside it, and one the file system can hold as
    // it stands (a NUL would cut it short). Refused before anything is
    // asked for or written.
    if (!isSaveableName(_filename)) {
        const QString text = QStringLiteral("bad file name : ") + UrlPolicy::printable(_filename);
        qDebug().noquote() << text;
        m_refused.insert(_id, text);
        Trace::end(label);
        return;
    }
    m_refused.remove(_id);
    makeDirIfMissing(ConfigFunction::downloadDirectory());
    auto *job = new DownloadFile(_id, _url, savePath(_filename));
    connect(job, SIGNAL(finished(QString)), this, SLOT(finishedSlot(QString)));
    m_jobs.insert(_id, job);
    job->startDown();
    Trace::end(label);
}

void DownloadFunction::pause(QString _id)
{
    if (DownloadFile *job = m_jobs.value(_id))
        job->pauseDownload();
}

void DownloadFunction::stop(QString _id)
{
    if (DownloadFile *job = m_jobs.take(_id)) {
        job->stopDownload();
        job->release();
    }
}

float DownloadFunction::getProgress(QString _id)
{
    const DownloadFile *job = m_jobs.value(_id);
    return job ? job->progress() : 0.0f;
}

QString DownloadFunction::getProgressPecent(QString _id)
{
    const DownloadFile *job = m_jobs.value(_id);
    return job ? job->progressPercent() : QString();
}

QString DownloadFunction::getDownloadSpeed(QString _id)
{
    const DownloadFile *job = m_jobs.value(_id);
    return job ? job->speed() : QString();
}

void DownloadFunction::downloadFinish(QString _id)
{
    if (DownloadFile *job = m_jobs.take(_id))
        job->release();
}

bool DownloadFunction::getDownloadStatus(QString _id)
{
    return m_jobs.contains(_id);
}

bool DownloadFunction::getDownloadPaused(QString _id)
{
    const DownloadFile *job = m_jobs.value(_id);
    return job && job->isPaused();
}

QString DownloadFunction::getDownloadError(QString _id)
{
    if (const DownloadFile *job = m_jobs.value(_id))
        return userErrorText(job->lastError());
    return userErrorText(m_refused.value(_id));
}

QString DownloadFunction::userErrorText(const QString &technical)
{
    if (technical.isEmpty())
        return QString();
    const auto has = [&](const char *text) { return technical.contains(QLatin1String(text), Qt::CaseInsensitive); };
    if (has("changes on the server"))
        return QStringLiteral("服务器上的文件已更新，请重新下载");
    if (has("No space left") || has("disk full"))
        return QStringLiteral("磁盘空间不足，请清理后重试");
    if (has("bad file name"))
        return QStringLiteral("服务器给出的文件名无法保存");
    if (has("can not write file") || has("can not open file") || has("wrong setting file"))
        return QStringLiteral("无法写入下载的文件，请检查下载目录");
    if (has("timed out") || has("given up") || has("HTTP status") || has("sent no data")
        || has("sent more than"))
        return QStringLiteral("服务器没有应答，请稍后重试");
    static const QRegularExpression networkCode(QStringLiteral("NetworkError : (\\d+)"));
    const QRegularExpressionMatch match = networkCode.match(technical);
    if (match.hasMatch()) {
        const int code = match.captured(1).toInt();
        if (code == QNetworkReply::TimeoutError || code >= QNetworkReply::ContentAccessDenied)
            return QStringLiteral("服务器没有应答，请稍后重试");
    }
    // Refused, host unknown, broken off: the connection.
    if (match.hasMatch() || has("closed after") || has("connection") || has("host"))
        return QStringLiteral("网络连接中断，请检查网络后重试");
    return QStringLiteral("下载失败，请稍后重试");
}

void DownloadFunction::finishedSlot(QString _name)
{
    qDebug().noquote() << QStringLiteral("_name: ") + _name + QStringLiteral(" 已完成");
}
