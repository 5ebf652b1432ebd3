#include "testdatadir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

TestDataDir::TestDataDir()
    : m_previous(qgetenv("PLIT_DATA_DIR"))
    , m_hadPrevious(qEnvironmentVariableIsSet("PLIT_DATA_DIR"))
{
    qputenv("PLIT_DATA_DIR", m_dir.path().toLocal8Bit());
}

TestDataDir::~TestDataDir()
{
    if (!m_previousCurrent.isEmpty())
        QDir::setCurrent(m_previousCurrent);
    if (m_hadPrevious)
        qputenv("PLIT_DATA_DIR", m_previous);
    else
        qunsetenv("PLIT_DATA_DIR");
}

bool TestDataDir::write(const QString &name, const QByteArray &content) const
{
    const QString path = filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QString TestDataDir::writeProgram(const QString &name, const QByteArray &script) const
{
    if (!write(name, script))
        return QString();
    const QString path = filePath(name);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

void TestDataDir::makeCurrent()
{
    if (m_previousCurrent.isEmpty())
        m_previousCurrent = QDir::currentPath();
    QDir::setCurrent(path());
}

QByteArray TestDataDir::read(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void resetDefaultDatabase()
{
    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
