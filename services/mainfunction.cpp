#include "services/mainfunction.h"

#include "core/deployment.h"
#include "core/installerwatch.h"
#include "core/jsonreply.h"
#include "core/logmessagehandler.h"
#include "core/programicons.h"
#include "core/programstart.h"
#include "core/replyreader.h"
#include "core/tool.h"
#include "core/trace.h"
#include "database/configmodel.h"
#include "desktop/iconextractfunction.h"
#include "services/configfunction.h"
#include "services/installedprograms.h"
#include "services/usertaxinfo.h"
#include "services/vantafunction.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <algorithm>

namespace {

const QString kLoginFailed = QStringLiteral("登录失败");
const QString kLocked = QStringLiteral("此用户已锁定");
const QString kResetFailed = QStringLiteral("重置失败");
const QString kFeedbackFailed = QStringLiteral("提交失败");

// The reply as a JSON object with a boolean "states", or false.
bool statesReply(const QString &reply, QJsonObject *object)
{
    QJsonParseError error;
    const QJsonDocument document = JsonReply::parse(reply.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *object = document.object();
    return object->value(QLatin1String("states")).isBool();
}

// The results that tell the interface an operation succeeded.
bool isSuccessWord(const QString &text)
{
    return text == QLatin1String("OK") || text == QLatin1String("Improve");
}

// The reason of a refusal for the user. A reason that reads like a success
// ("OK") must not make the interface take the refusal for one: then the
// operation's own failure text stands in for it.
QString refusal(const QJsonObject &object, const QString &failure)
{
    const QString msg = object.value(QLatin1String("msg")).toString();
    qDebug().noquote() << QStringLiteral("message: ") + msg;
    return isSuccessWord(msg) ? failure : msg;
}

// At most `length` UTF-16 units of `text`, never half of a surrogate pair:
// a character at the limit is left out whole.
QString leftWhole(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    return text.left(text.at(length).isLowSurrogate() ? length - 1 : length);
}

// The server time that goes into the phone token: a plain decimal number
// (seconds or milliseconds), nothing else and nothing longer.
bool isServerTime(const QString &text)
{
    constexpr int MaxDigits = 20;
    if (text.isEmpty() || text.size() > MaxDigits)
        return false;
    return std::all_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// The entry text with everything after its last separator replaced by
// `fileName`. Here "/" separates as well as "\"; the separator found is kept.
QString besideLastSeparator(const QString &text, const QString &fileName)
{
    const int cut = qMax(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    if (cut < 0)
        return QString();
    return text.left(cut + 1) + fileName;
}

QString withExeSuffix(const QString &text)
{
    return text.isEmpty() ? QString() : text.left(qMax(0, text.size() - 3)) + QStringLiteral("exe");
}

QString asItStands(const QString &text)
{
    return text;
}

QString tokenBillBeside(const QString &text)
{
    return besideLastSeparator(text, QStringLiteral("TokenBill.exe"));
}

using Probe = InstalledPrograms::Probe;

const QVector<Probe> &probes()
{
    static const QVector<Probe> all = {
        {QStringLiteral("开票软件"), QStringLiteral("DisplayIcon"), QStringLiteral("开票软件"), asItStands},
        {QStringLiteral("Vanta财税助手"), QStringLiteral("DisplayIcon"), QStringLiteral("财税助手"), withExeSuffix},
        {QStringLiteral("增值税发票开票软件（税务UKey版）_is1"), QStringLiteral("UninstallDataFile"),
         QStringLiteral("UKEY开票"), tokenBillBeside},
        {QStringLiteral("{5E0B7C2D-41A9-4F3E-9B6D-0C8A2F71D3E4}_is1"), QStringLiteral("DisplayIcon"),
         QStringLiteral("Ressa"), asItStands},
        {QStringLiteral("Vanta打印助手升级版"), QStringLiteral("DisplayIcon"), QStringLiteral("打印助手"), asItStands},
    };
    return all;
}

const Probe &printHelperProbe()
{
    return probes().at(4);
}

} // namespace

QMap<QString, QString> MainFunction::launchPaths;
int MainFunction::launchOrder = 0;

MainFunction::MainFunction(QObject *parent)
    : QObject(parent)
{
    initRegInfoTest();
    initDbInfo();
    m_manager = new QNetworkAccessManager(this);
    // An installer that ended may have installed a program or the print
    // helper: they show without a restart.
    connect(InstallerWatch::instance(), &InstallerWatch::ended, this, [this] {
        resetRegInfo();
        emit programsDetected();
    });
    connect(InstallerWatch::instance(), &InstallerWatch::refused, this,
            [this](const QString &, const QString &message) { emit installerRefused(message); });
}

QString MainFunction::post(const char *path, const QString &body, BodyEncoding encoding)
{
    QString reply;
    m_request.postPlatformRequest(Deployment::platformUrl() + QLatin1String(path), body, reply, encoding);
    return reply;
}

QString MainFunction::parseLoginReply(const QString &reply, const QString &phoneNum)
{
    QJsonObject object;
    if (!statesReply(reply, &object))
        return kLoginFailed;
    if (!object.value(QLatin1String("states")).toBool())
        return refusal(object, kLoginFailed);

    const QJsonValue status = object.value(QLatin1String("status"));
    if (!status.isDouble())
        return kLoginFailed;
    if (status.toDouble() <= 0)
        return kLocked;

    m_userNum = phoneNum;
    m_loginStatus = true;
    if (status.toDouble() < 2)
        return QStringLiteral("Improve");

    const QJsonObject nndata = object.value(QLatin1String("nndata")).toObject();
    QVariantList companies;
    for (const QJsonValue &company : nndata.value(QLatin1String("data")).toArray())
        companies.append(QVariant::fromValue(UserTaxInfo::fromJson(company.toObject())));
    qDebug() << companies.size();
    VantaFunction::setTaxCodeFromPhoneNo(companies);
    VantaFunction::setTaxCodePageCount(nndata.value(QLatin1String("page_count")).toInt());
    return QStringLiteral("OK");
}

void MainFunction::btnDynamic(QString phoneNum)
{
    const QString label = QStringLiteral("MainFunction::btnDynamic");
    Trace::begin(label);
    const QString reply = post("/api/platApi/mesSend",
                               QStringLiteral("phone=") + RequestSender::formValue(phoneNum) + QStringLiteral("&types=1012"));
    QJsonObject object;
    if (statesReply(reply, &object)) {
        if (object.value(QLatin1String("states")).toBool()) {
            const QJsonValue key = object.value(QLatin1String("key"));
            if (key.isString())
                m_key = key.toString();
        } else {
            refusal(object, QString());
        }
    }
    Trace::end(label);
}

QString MainFunction::btnLogin(QString phoneNum, QString code)
{
    const QString label = QStringLiteral("MainFunction::btnLogin");
    Trace::begin(label);
    const QString reply = post("/api/platApi/log_on",
                               QStringLiteral("phone=") + RequestSender::formValue(phoneNum) + QStringLiteral("&key=")
                                   + RequestSender::formValue(m_key) + QStringLiteral("&code=") + RequestSender::formValue(code)
                                   + QStringLiteral("&types=1010"));
    Trace::end(label);
    return parseLoginReply(reply, phoneNum);
}

QString MainFunction::btnLoginPassword(QString phoneNum, QString password, bool autoLogon)
{
    const QString label = QStringLiteral("MainFunction::btnLoginPassword");
    Trace::begin(label);
    const QString reply = post("/api/platApi/passlog_on",
                               QStringLiteral("phone=") + RequestSender::formValue(phoneNum) + QStringLiteral("&password=")
                                   + RequestSender::formValue(password) + QStringLiteral("&types=1010"));
    Trace::end(label);
    const QString result = parseLoginReply(reply, phoneNum);
    if (autoLogon && result == QLatin1String("OK"))
        ConfigFunction::writeCredentials(phoneNum, password);
    return result;
}

void MainFunction::btnAutoLogin()
{
    const quint64 signOuts = m_signOuts;
    ConfigFunction::loadCredentials(this, [this, signOuts](const ConfigFunction::Credentials &saved) {
        QString result;
        if (saved.autoLogon && !saved.password.isEmpty() && !m_loginStatus && signOuts == m_signOuts)
            result = btnLoginPassword(saved.phone, saved.password);
        emit autoLoginFinished(result);
    });
}

void MainFunction::btnLoginOut()
{
    ++m_signOuts;
    m_loginStatus = false;
    m_userNum = QString();
}

QString MainFunction::btnCommitInfo(QString name, QString mail, QString phoneNum, QString code,
                                    QString password)
{
    qDebug().noquote() << QStringLiteral("btnCommitInfo");
    // The completion window may pass no number: the signed-in one is meant,
    // and a successful reply records the number that was sent.
    const QString phone = phoneNum.isEmpty() ? m_userNum : phoneNum;
    const QString reply = post("/api/platApi/userReg",
                               QStringLiteral("phone=") + RequestSender::formValue(phone) + QStringLiteral("&email=")
                                   + RequestSender::formValue(mail) + QStringLiteral("&real_name=") + RequestSender::formValue(name)
                                   + QStringLiteral("&password=") + RequestSender::formValue(password)
                                   + QStringLiteral("&key=") + RequestSender::formValue(m_key) + QStringLiteral("&code=")
                                   + RequestSender::formValue(code) + QStringLiteral("&types=1011"),
                               BodyEncoding::Utf8);
    return parseLoginReply(reply, phone);
}

QString MainFunction::btnResetPassword(QString phoneNum, QString code, QString password, QString rpassword)
{
    const QString label = QStringLiteral("MainFunction::btnResetPassword");
    Trace::begin(label);
    const auto form = [&](const QString &pass, const QString &repeat) {
        return QStringLiteral("phone=") + RequestSender::formValue(phoneNum) + QStringLiteral("&password=") + pass
            + QStringLiteral("&rpassword=") + repeat + QStringLiteral("&key=") + RequestSender::formValue(m_key)
            + QStringLiteral("&code=") + RequestSender::formValue(code) + QStringLiteral("&types=1015");
    };
    // Passwords never reach the log file.
    qDebug().noquote() << form(QStringLiteral("***"), QStringLiteral("***"));
    const QString reply = post("/api/platApi/ResetPassword", form(RequestSender::formValue(password), RequestSender::formValue(rpassword)));

    QJsonObject object;
    if (statesReply(reply, &object)) {
        if (!object.value(QLatin1String("states")).toBool())
            return refusal(object, kResetFailed);
        const QJsonValue status = object.value(QLatin1String("status"));
        if (status.isDouble())
            return status.toDouble() >= 1 ? QStringLiteral("OK") : kLocked;
    }
    Trace::end(label);
    return kResetFailed;
}

QString MainFunction::btnSuggestionInfo(QString msgtypes, QString summary, QString phoneNum)
{
    const QString reply = post("/api/platApi/messageSave",
                               QStringLiteral("msgtypes=") + RequestSender::formValue(msgtypes) + QStringLiteral("&summary=")
                                   + RequestSender::formValue(leftWhole(summary, 200)) + QStringLiteral("&phone=")
                                   + RequestSender::formValue(phoneNum) + QStringLiteral("&types=1016"),
                               BodyEncoding::Utf8);
    bool states = false;
    QString msg;
    if (!parseStatesReply(reply, states, msg))
        return QStringLiteral("返回json解析失败");
    if (states)
        return QStringLiteral("OK");
    return isSuccessWord(msg) ? kFeedbackFailed : msg;
}

bool MainFunction::getLoginStatus()
{
    return m_loginStatus;
}

QString MainFunction::getUserNum()
{
    qDebug().noquote() << QStringLiteral("getUserNum: ") + m_userNum;
    return m_userNum.isEmpty() ? QString(QLatin1String("")) : m_userNum;
}

QString MainFunction::getEncodeUrl()
{
    qDebug().noquote() << QStringLiteral("MainFunction::getEncodeUrl()");
    const QString base = Deployment::platformUrl();
    Tool tool;
    const QString serverTime = tool.httpGet(base + QStringLiteral("/api/platApi/getServtime")).trimmed();
    if (!isServerTime(serverTime)) {
        qDebug().noquote() << QStringLiteral("getEncodeUrl: no usable server time");
        return QString();
    }
    const QString url = base + QStringLiteral("/api/platApi/ckUser?phone=")
        + tool.getEncodeText(serverTime, m_userNum);
    qDebug().noquote() << QStringLiteral("getEncodeUrl: ") + url;
    return url;
}

// A Windows program found in a Wine prefix shows its own icon on its tile:
// the first of its .exe's icons that saves, kept under temp/ by a name drawn
// from its path (two programs may share a file name). Without one, the tile
// keeps the catalogue's icon.
static void rememberOwnIcon(const QString &program)
{
    const QString dir = Deployment::dataDir() + QStringLiteral("/temp");
    const QString file = dir + QStringLiteral("/wine-")
        + QString::fromLatin1(QCryptographicHash::hash(program.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))
        + QStringLiteral(".png");
    QDir().mkpath(dir);
    bool saved = false;
    IconExtractFunction::offerIcons(program, [&](const QImage &icon) {
        saved = !icon.isNull() && icon.save(file, "PNG");
        return saved;
    });
    if (saved)
        ProgramIcons::remember(program, file);
    else
        ProgramIcons::forget(program);
}

void MainFunction::recordDetected(const QString &appName, const InstalledPrograms::Found &found)
{
    if (!found.winePrefix.isEmpty()) {
        ProgramStart::rememberWineProgram(found.path, found.winePrefix, found.windowsPath);
        rememberOwnIcon(found.path);
    }
    m_db.updateConfigInfo(appName, found.path, launchOrder);
    ++launchOrder;
}

void MainFunction::initRegInfoTest()
{
    const QString label = QStringLiteral("MainFunction::initRegInfoTest");
    Trace::begin(label);
    const QVector<InstalledPrograms::Found> found = InstalledPrograms::detect(probes());
    for (int i = 0; i < found.size(); ++i) {
        if (!found[i].path.isEmpty())
            recordDetected(probes().at(i).appName, found[i]);
    }
    Trace::end(label);
}

void MainFunction::initDbInfo()
{
    const QString label = QStringLiteral("MainFunction::initDbInfo");
    Trace::begin(label);
    m_db.checkDb();
    launchPaths.clear();
    const QVariantList entries = m_db.getCurrentConfigList();
    for (const QVariant &entry : entries) {
        const QScopedPointer<ConfigModel> model(entry.value<ConfigModel *>());
        if (!model)
            continue;
        if (fileExist(model->path()))
            launchPaths.insert(model->name(), model->path());
        else if (model->type() != 1)
            m_db.unconfigureApp(model->name());
    }
    Trace::end(label);
}

void MainFunction::resetRegInfo()
{
    initRegInfoTest();
    initDbInfo();
}

void MainFunction::btnOpenApp(QString appName)
{
    const QString path = launchPaths[appName];
    ProgramStart::detached(path, {}, QFileInfo(path).absolutePath());
}

void MainFunction::btnOpenInvoice()
{
    btnOpenApp(QStringLiteral("MainExecute"));
}

void MainFunction::btnOpenUkey()
{
    btnOpenApp(QStringLiteral("TokenBill"));
}

bool MainFunction::checkRessaStatus()
{
    qDebug().noquote() << QStringLiteral("checkRessaStatus");
    const bool known = launchPaths.contains(QStringLiteral("Ressa"));
    qDebug().noquote() << QStringLiteral("checkRessaStatus: ") + QString::number(known ? 1 : 0);
    return known;
}

QString MainFunction::getChatUrl()
{
    return Deployment::chatUrl();
}

bool MainFunction::checkPrintHelper()
{
    const QString name = printHelperProbe().appName;
    if (launchPaths.contains(name))
        return true;
    const InstalledPrograms::Found found = InstalledPrograms::detect({printHelperProbe()}).constFirst();
    if (found.path.isEmpty())
        return false;
    recordDetected(name, found);
    launchPaths.insert(name, found.path);
    return true;
}

void MainFunction::downloadPrintHelper()
{
    // One download at a time; a second request while one runs is ignored.
    if (m_reply)
        return;
    const QString address = (Deployment::updateUrl() + QStringLiteral("/prnhelp.exe")).trimmed();
    const QUrl url = QUrl::fromUserInput(address);
    const QString directory = Deployment::dataDir().trimmed();
    if (address.isEmpty() || !url.isValid() || directory.isEmpty()) {
        emit printHelperFetched(false);
        return;
    }

    m_fileName = url.fileName(QUrl::FullyDecoded);
    const QString target = directory + QLatin1Char('/') + m_fileName;
    if (QFile::exists(target))
        QFile::remove(target);
    m_file = new QFile(target);
    if (!m_file->open(QIODevice::WriteOnly)) {
        qWarning().noquote() << QStringLiteral("downloadPrintHelper: cannot write ") + target;
        delete m_file;
        m_file = nullptr;
        emit printHelperFetched(false);
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(Deployment::requestTimeoutMs());
    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::finished, this, &MainFunction::onFinished);
    connect(m_reply, &QIODevice::readyRead, this, &MainFunction::onReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &MainFunction::onDownloadProgress);
}

void MainFunction::onReadyRead()
{
    if (!m_file || !m_reply)
        return;
    const QByteArray chunk = ReplyReader::takeArrived(m_reply);
    if (m_file->write(chunk) != chunk.size())
        m_reply->abort(); // the disk is full or gone: finished() reports the failure
}

void MainFunction::onDownloadProgress(qint64 bytesRea, qint64 totalBytes)
{
    emit printHelperProgress(bytesRea, totalBytes > 0 ? totalBytes : -1);
}

void MainFunction::onFinished()
{
    if (!m_file || !m_reply)
        return;
    onReadyRead();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const bool complete = m_reply->error() == QNetworkReply::NoError && status >= 200 && status < 300
        && (!announced.isValid() || announced.toLongLong() == m_file->size());

    const QString path = m_file->fileName();
    m_file->close();
    delete m_file;
    m_file = nullptr;
    m_reply->deleteLater();
    m_reply = nullptr;

    // Only a whole installer is started; a partial one is of no use to anybody.
    if (!complete) {
        qWarning().noquote() << QStringLiteral("downloadPrintHelper: incomplete download of ") + path;
        QFile::remove(path);
        emit printHelperFetched(false);
        return;
    }
    emit printHelperFetched(true);
    ProgramStart::installer(path);
}
