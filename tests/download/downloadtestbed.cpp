#include "downloadtestbed.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>

bool DownloadTestBed::begin()
{
    m_dir.reset(new TestDataDir);
    if (!m_server.isRunning() || !m_dir->isValid())
        return false;
    m_server.unscript();
    m_server.clearRequests();
    if (m_dir->writeProgram(QStringLiteral("bin/xdg-open"), recorder(QStringLiteral("opened"))).isEmpty())
        return false;
    qputenv("PATH", m_dir->filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
    return true;
}

void DownloadTestBed::end()
{
    qputenv("PATH", m_path);
    qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    m_dir.reset();
}

QStringList DownloadTestBed::headersAsked(const QString &path, const QString &header, const QString &method) const
{
    QStringList values;
    const QJsonArray requests = m_server.requests(path);
    for (const QJsonValue &value : requests) {
        const QJsonObject request = value.toObject();
        if (request.value(QStringLiteral("method")).toString() == method)
            values << request.value(QStringLiteral("headers")).toObject().value(header).toString();
    }
    return values;
}

QByteArray DownloadTestBed::recorder(const QString &name) const
{
    return "#!/bin/sh\nprintf '%s\\n%s' \"$PWD\" \"$*\" > '" + m_dir->filePath(name).toLocal8Bit() + "'\n";
}

DownloadTestBed::Start DownloadTestBed::started(const QString &name) const
{
    const QString noted = QString::fromLocal8Bit(readFile(m_dir->filePath(name)));
    const int newline = noted.indexOf(QLatin1Char('\n'));
    if (newline < 0)
        return {};
    return {noted.left(newline), noted.mid(newline + 1)};
}

void DownloadTestBed::writeResumeFile(const QString &target, const QString &url, qint64 total,
                                      const QList<Segment> &segments)
{
    QSettings setting(target + QStringLiteral(".setting"), QSettings::IniFormat);
    setting.clear();
    setting.setValue(QStringLiteral("URL"), url);
    setting.setValue(QStringLiteral("SAVEFILE"), target);
    setting.setValue(QStringLiteral("COUNT"), segments.size());
    setting.setValue(QStringLiteral("TOTALSIZE"), total);
    qint64 ready = 0;
    for (int n = 1; n <= segments.size(); ++n) {
        const Segment &segment = segments.at(n - 1);
        setting.setValue(QStringLiteral("STARTPOINT%1").arg(n), segment.start);
        setting.setValue(QStringLiteral("ENDPOINT%1").arg(n), segment.end);
        setting.setValue(QStringLiteral("READYSIZE%1").arg(n), segment.ready);
        ready += segment.ready;
    }
    setting.setValue(QStringLiteral("READYSIZE"), ready);
}

QByteArray DownloadTestBed::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
