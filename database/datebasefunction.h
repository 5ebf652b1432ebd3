#pragma once

#include "database/sqlconnection.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

// All access to the local database: the file and its schema, the application
// catalogue, the stored users and the version and date rows. Every instance
// works on the process's one database connection, which createSqlite() opens.
class DatebaseFunction : public QObject
{
    Q_OBJECT
public:
    explicit DatebaseFunction(QObject *parent = nullptr);
    ~DatebaseFunction() override;

    // Connection and schema.
    Q_INVOKABLE void createSqlite();
    Q_INVOKABLE void checkDb();
    void createUserInfoTable();

    // Application catalogue. Text arguments are stored as given, an empty
    // text as '' (never as NULL), also when it comes from QML as a null string.
    Q_INVOKABLE bool insertPathInfo(QString appName, QString appPath, QString icon, int order,
                                    QString type, QString state);
    Q_INVOKABLE bool updateConfigInfo(QString appName, QString appPath, int order);
    // Takes a program out of the configured set: its path becomes NULL, its order 0.
    bool unconfigureApp(const QString &appName);
    Q_INVOKABLE bool appIsExist(QString appName);
    Q_INVOKABLE int getNewOrder();
    Q_INVOKABLE QVariantList getConfigList();
    Q_INVOKABLE QVariantList getTopConfigList();
    Q_INVOKABLE QVariantList getCurrentConfigList();
    Q_INVOKABLE QVariantList getNotConfigList();
    Q_INVOKABLE int getConfigMax();
    Q_INVOKABLE int getConfigCurrent();
    Q_INVOKABLE int getNotConfig();

    // Version, date and stored users.
    Q_INVOKABLE QString getVersion();
    // False unless the version row now holds `_ver`.
    Q_INVOKABLE bool setVersion(QString _ver);
    Q_INVOKABLE bool updateDatabaseDate(QString _date);
    Q_INVOKABLE QString getdateDatabaseDate();
    Q_INVOKABLE QList<QString> getUserNameList();
    Q_INVOKABLE int getUserNameCount();
    Q_INVOKABLE QString getPwdFromUserName(QString _username);
    Q_INVOKABLE QVariantList getUserInfoAutoLogin();
    Q_INVOKABLE QVariantList getUserInfo();
    Q_INVOKABLE bool InsertUserInfo(QString _username, QString _pwd, int _autologin);
    Q_INVOKABLE bool UpdateUserInfoAutoLoginFlag(QString _username, int _autologin);

    SqlConnection &connection() { return m_connection; }

private:
    QList<QVariantMap> rowsNamed(const QString &name);
    bool setConfigPath(const QString &appName, const QVariant &appPath, int order);

    SqlConnection m_connection;
};

// A date as the database keeps it: year-month-day without leading zeros ("2024-3-10").
QString databaseDateText(const QDate &date = QDate::currentDate());
