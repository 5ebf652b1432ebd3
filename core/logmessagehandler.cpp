#include "core/logmessagehandler.h"

#include "core/deployment.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QTextStream>

namespace {

QLatin1String levelWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return QLatin1String("Debug:");
    case QtWarningMsg: return QLatin1String("Warning:");
    case QtCriticalMsg: return QLatin1String("Critical:");
    case QtFatalMsg: return QLatin1String("Fatal:");
    default: return QLatin1String("Info:");
    }
}

} // namespace

QString formatLogLine(QtMsgType type, const char *file, int line, const QString &msg)
{
    const QString location = QStringLiteral("File:(%1) Line:(%2)")
                                 .arg(QString::fromUtf8(file ? file : ""))
                                 .arg(line);
    const QString time = QLatin1Char('(')
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ddd"))
        + QLatin1Char(')');
    // Joined in one step, so a "%1" inside the message stays as it was written.
    return levelWord(type) + QLatin1Char(' ') + location + QLatin1Char(' ') + msg
        + QLatin1Char(' ') + time;
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    static QMutex mutex;
    QMutexLocker locker(&mutex);

    const QString text = formatLogLine(type, context.file, context.line, msg);
    // The file stays open from one line to the next and every line is handed
    // to the system at once, so the file is complete up to the last message
    // even when the process ends abruptly. It is opened again when it was
    // deleted or moved away, or when the log belongs elsewhere now (another
    // working directory). Nothing may be logged from here, it would come
    // straight back into this handler.
    static QFile file;
    const QString path = QFileInfo(Deployment::logFilePath()).absoluteFilePath();
    if (!file.isOpen() || file.fileName() != path || !QFileInfo::exists(path)) {
        file.close();
        file.setFileName(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
    }
    // In the locale's codec of the moment, which the requests switch.
    QTextStream stream(&file);
    stream << text << "\r\n";
    stream.flush();
}

bool fileExist(const QString &path)
{
    const bool exists = QFileInfo::exists(path);
    qDebug().noquote() << QLatin1String("file ") + path
            + QLatin1String(exists ? " exist" : " no exist");
    return exists;
}

bool makeDirIfMissing(const QString &path)
{
    // A relative path is taken from the working directory, not from itself.
    return QDir(path).exists() || QDir().mkdir(path);
}
