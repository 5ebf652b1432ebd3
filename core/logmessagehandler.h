#pragma once

#include <QString>
#include <QtGlobal>

// Appends every message as one line to "log.txt" in the working directory
// (in the data directory when the working directory is not writable):
// level word, "File:(..) Line:(..)", the message text, "(yyyy-MM-dd hh:mm:ss ddd)".
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

// The line logMessageHandler writes for a message, without the trailing CR LF.
QString formatLogLine(QtMsgType type, const char *file, int line, const QString &msg);

// True if a file or directory of that name exists; leaves a trace line either way.
bool fileExist(const QString &path);

// True if the directory exists or one make-directory call created it.
bool makeDirIfMissing(const QString &path);
