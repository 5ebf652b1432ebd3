#pragma once

#include <QString>

class DatebaseFunction;

// 0 when a equals b, 1 when a is newer (or the same numbers with at least as
// many parts), -1 otherwise. Parts that are not numbers count as 0.
int compareVersion(const QString &a, const QString &b);

// The version recorded in the local database, as last read at start-up.
QString databaseVersion();

// Right after the database is opened: remember its recorded version and make
// sure the table of stored users exists.
void reconcileVersionOnOpen(DatebaseFunction &db);

// When the program is newer than the database record, record the program's
// version and, once it is recorded, today's date.
void reconcileVersionWithProgram(DatebaseFunction &db);

class LogFunction;

// Tells the platform's usage log that the program was opened (types 1000),
// without waiting for the reply.
void sendStartupUsageReport(LogFunction &logFunction);

// Whether an update may be asked for at all: not while the recorded version
// is unknown (a warning says so).
bool updateCheckPossible();
// "/updatefile.json" on the update server, and how long the start asks it.
QString updateFileUrl();
int updateCheckLimitMs();

// Decides on the update server's "/updatefile.json" `updateFile`: when it
// announces a version newer than the database's, records the new version,
// starts "AutoUpdate.exe" from the application directory, records today's
// date and returns true: the caller then ends the process with exit code 0.
// Returns false when the program should go on, with a warning logged and
// nothing recorded when the recorded version is unknown, the new one cannot
// be recorded or the updater cannot be started.
bool handOverForUpdateFile(const QByteArray &updateFile);

// Asks the update server and decides as handOverForUpdateFile does, waiting
// for the answer at most updateCheckLimitMs().
bool GetUpdateFileAndCheckVersion();
