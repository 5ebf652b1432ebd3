#include "database/datebasefunction.h"

#include "core/deployment.h"
#include "core/programicons.h"
#include "core/qmlelement.h"
#include "core/tool.h"
#include "core/trace.h"
#include "database/configmodel.h"
#include "database/userinfo.h"

#include <QDebug>

namespace {

// Rows whose path is set and not empty (the empty double-quoted token is the
// empty string for SQLite; the second comparison never holds).
const QString kConfiguredRows =
    QStringLiteral("SELECT * FROM config WHERE path <> \"\" OR path <> NULL");
const QString kUnconfiguredRows = QStringLiteral("SELECT * FROM config WHERE path IS NULL");

const QString kInvoicing = QStringLiteral("我要开票");
const QString kMore = QStringLiteral("更多");

// A JavaScript "" reaches C++ as a null QString, which the driver binds as
// NULL. Text handed in by a caller is text, so an empty one is stored as ''.
QString text(const QString &value)
{
    return value.isNull() ? QString(QLatin1String("")) : value;
}

enum class Fields { WithoutType, All };

ConfigModel *newConfigModel(const QVariantMap &row, Fields fields)
{
    auto *model = new ConfigModel;
    model->setName(row.value(QStringLiteral("name")).toString());
    model->setPath(row.value(QStringLiteral("path")).toString());
    // A program's own icon, read from it at detection, over the catalogue's.
    const QString own = ProgramIcons::addressOf(model->path());
    model->setIcon(own.isEmpty() ? row.value(QStringLiteral("icon")).toString() : own);
    model->setOrderNumber(row.value(QStringLiteral("orderNumber")).toInt());
    if (fields == Fields::All)
        model->setType(row.value(QStringLiteral("type")).toInt());
    return model;
}

void appendModels(QVariantList &list, const QList<QVariantMap> &rows, Fields fields = Fields::All)
{
    for (const QVariantMap &row : rows)
        list.append(qmlElement(newConfigModel(row, fields)));
}

UserInfo *newUserInfo(const QVariantMap &row, bool withAutologin)
{
    auto *user = new UserInfo;
    user->setUsername(row.value(QStringLiteral("username")).toString());
    user->setPwd(row.value(QStringLiteral("pwd")).toString());
    if (withAutologin)
        user->setAutologin(row.value(QStringLiteral("autologin")).toString());
    return user;
}

// The platform's requests carry the recorded version (Tool::getEdition),
// read anew each time; the database hands the reading down to core/ as soon
// as the program holds it.
const bool kEditionReaderSet = (Tool::setEditionReader([] { return DatebaseFunction().getVersion(); }), true);

} // namespace

DatebaseFunction::DatebaseFunction(QObject *parent)
    : QObject(parent)
{
    m_connection.useSqlite = true;
}

DatebaseFunction::~DatebaseFunction()
{
    if (m_connection.db.isOpen())
        m_connection.db.close();
}

void DatebaseFunction::createSqlite()
{
    m_connection.connectDatabase(Deployment::dataPath(QStringLiteral("corvane.db")));
}

void DatebaseFunction::checkDb()
{
    const QString label = QStringLiteral("DatebaseFunction::checkDb");
    Trace::begin(label);
    if (!appIsExist(QStringLiteral("智能客服")))
        m_connection.querySql(SqlConnection::chatRowStatement());
    Trace::end(label);
}

void DatebaseFunction::createUserInfoTable()
{
    if (!m_connection.isTableExist(QStringLiteral("UserInfo")))
        m_connection.execSql(QStringLiteral(
            "CREATE TABLE \"UserInfo\" ( \"username\" TEXT, \"pwd\" TEXT, \"autologin\" integer)"));
}

QList<QVariantMap> DatebaseFunction::rowsNamed(const QString &name)
{
    // The name is bound, not inlined, so a quote in it cannot alter the statement.
    return m_connection.querySql(QStringLiteral("SELECT * FROM config WHERE name = ?"), {text(name)});
}

bool DatebaseFunction::insertPathInfo(QString appName, QString appPath, QString icon, int order,
                                      QString type, QString state)
{
    return m_connection.execSqlList(QStringLiteral("insert into config values (?, ?, ?, ?, ?, ?)"),
                                    {text(appName), text(appPath), text(icon), order, text(type), text(state)});
}

bool DatebaseFunction::updateConfigInfo(QString appName, QString appPath, int order)
{
    return setConfigPath(text(appName), text(appPath), order);
}

bool DatebaseFunction::unconfigureApp(const QString &appName)
{
    return setConfigPath(text(appName), QVariant(QVariant::String), 0);
}

bool DatebaseFunction::setConfigPath(const QString &appName, const QVariant &appPath, int order)
{
    return m_connection.execSqlMap(
        QStringLiteral("UPDATE config SET path = :appPath, orderNumber = :order WHERE name = :appName"),
        {{QStringLiteral(":appPath"), appPath},
         {QStringLiteral(":order"), order},
         {QStringLiteral(":appName"), appName}});
}

bool DatebaseFunction::appIsExist(QString appName)
{
    const QString label = QStringLiteral("DatebaseFunction::appIsExist");
    Trace::begin(label);
    const bool exists = !rowsNamed(appName).isEmpty();
    Trace::end(label + QLatin1String(exists ? "  True" : "  False"));
    return exists;
}

int DatebaseFunction::getNewOrder()
{
    return getConfigCurrent();
}

QVariantList DatebaseFunction::getConfigList()
{
    QVariantList list;
    appendModels(list, m_connection.querySql(QStringLiteral("SELECT * FROM config")),
                 Fields::WithoutType);
    return list;
}

QVariantList DatebaseFunction::getTopConfigList()
{
    QVariantList list;
    const QList<QVariantMap> programs = m_connection.querySql(QStringLiteral(
        "SELECT * FROM (SELECT * FROM config WHERE type ISNULL AND (path <> '' OR path <> NULL)) "
        "order by orderNumber limit 5"));
    // The print helper and Ressa have no home-page tile; they are dropped after
    // the limit, so the home page may show fewer than five programs.
    for (const QVariantMap &row : programs) {
        const QString name = row.value(QStringLiteral("name")).toString();
        if (name != QStringLiteral("打印助手") && name != QLatin1String("Ressa"))
            list.append(qmlElement(newConfigModel(row, Fields::All)));
    }
    appendModels(list, rowsNamed(kInvoicing));
    appendModels(list, m_connection.querySql(QStringLiteral(
        "SELECT * FROM (SELECT * FROM config WHERE type=1 AND (path <> '' OR path <> NULL)) "
        "order by orderNumber limit 5")));
    appendModels(list, rowsNamed(kMore));
    return list;
}

QVariantList DatebaseFunction::getCurrentConfigList()
{
    QVariantList list;
    appendModels(list, m_connection.querySql(kConfiguredRows));
    appendModels(list, rowsNamed(kInvoicing));
    appendModels(list, rowsNamed(kMore));
    return list;
}

QVariantList DatebaseFunction::getNotConfigList()
{
    QVariantList list;
    for (const QVariantMap &row : m_connection.querySql(kUnconfiguredRows)) {
        const QString name = row.value(QStringLiteral("name")).toString();
        qDebug().noquote() << name;
        if (name != kMore && name != kInvoicing)
            list.append(qmlElement(newConfigModel(row, Fields::All)));
    }
    return list;
}

int DatebaseFunction::getConfigMax()
{
    return m_connection.querySql(QStringLiteral("SELECT * FROM config")).size() - 1;
}

int DatebaseFunction::getConfigCurrent()
{
    return m_connection.querySql(kConfiguredRows).size();
}

int DatebaseFunction::getNotConfig()
{
    return m_connection.querySql(kUnconfiguredRows).size() - 1;
}

QString DatebaseFunction::getVersion()
{
    const QList<QVariantMap> rows = m_connection.querySql(QStringLiteral("SELECT * FROM version"));
    return rows.isEmpty() ? QString() : rows.first().value(QStringLiteral("version")).toString();
}

bool DatebaseFunction::setVersion(QString _ver)
{
    // Without its row the table records nothing: that is no success.
    int changed = 0;
    return m_connection.execSqlMap(QStringLiteral("UPDATE version SET version = :version"),
                                   {{QStringLiteral(":version"), text(_ver)}}, &changed)
        && changed > 0;
}

bool DatebaseFunction::updateDatabaseDate(QString _date)
{
    return m_connection.execSqlMap(QStringLiteral("UPDATE time SET time = :date"),
                                   {{QStringLiteral(":date"), text(_date)}});
}

QString DatebaseFunction::getdateDatabaseDate()
{
    const QList<QVariantMap> rows = m_connection.querySql(QStringLiteral("SELECT * FROM time"));
    return rows.isEmpty() ? databaseDateText() : rows.first().value(QStringLiteral("time")).toString();
}

QList<QString> DatebaseFunction::getUserNameList()
{
    QList<QString> names;
    for (const QVariantMap &row : m_connection.querySql(QStringLiteral("SELECT username FROM UserInfo")))
        names.append(row.value(QStringLiteral("username")).toString());
    return names;
}

int DatebaseFunction::getUserNameCount()
{
    return m_connection.querySql(QStringLiteral("SELECT * FROM UserInfo")).size();
}

QString DatebaseFunction::getPwdFromUserName(QString _username)
{
    const QList<QVariantMap> rows = m_connection.querySql(
        QStringLiteral("SELECT pwd FROM UserInfo WHERE username = ?"), {text(_username)});
    return rows.isEmpty() ? QString() : rows.first().value(QStringLiteral("pwd")).toString();
}

QVariantList DatebaseFunction::getUserInfoAutoLogin()
{
    QVariantList list;
    for (const QVariantMap &row :
         m_connection.querySql(QStringLiteral("SELECT * FROM UserInfo WHERE autologin = 1")))
        list.append(qmlElement(newUserInfo(row, false)));
    return list;
}

QVariantList DatebaseFunction::getUserInfo()
{
    QVariantList list;
    for (const QVariantMap &row :
         m_connection.querySql(QStringLiteral("SELECT * FROM UserInfo WHERE autologin = 1")))
        list.append(qmlElement(newUserInfo(row, true)));
    return list;
}

bool DatebaseFunction::InsertUserInfo(QString _username, QString _pwd, int _autologin)
{
    m_connection.execSql(QStringLiteral("UPDATE UserInfo SET autologin = 0"));
    const QList<QVariantMap> existing = m_connection.querySql(
        QStringLiteral("SELECT username FROM UserInfo WHERE username = ?"), {text(_username)});
    if (!existing.isEmpty())
        return false;
    return m_connection.execSqlList(QStringLiteral("insert into UserInfo values (?, ?, ?)"),
                                    {text(_username), text(_pwd), _autologin});
}

bool DatebaseFunction::UpdateUserInfoAutoLoginFlag(QString _username, int _autologin)
{
    m_connection.execSql(QStringLiteral("UPDATE UserInfo SET autologin = 0"));
    return m_connection.execSqlMap(
        QStringLiteral("UPDATE UserInfo SET autologin = :autologin WHERE username = :username"),
        {{QStringLiteral(":autologin"), _autologin}, {QStringLiteral(":username"), text(_username)}});
}

QString databaseDateText(const QDate &date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}
