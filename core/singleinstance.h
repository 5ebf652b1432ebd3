#pragma once

class QByteArray;
class QSharedMemory;

#include <QString>

// The single-instance guard: returns only in the first running copy. A second
// copy asks the first to show itself (on instanceSocketPath()), handing over
// its startup-notification id, writes "已经有一个PlitApp在运行，即将退出"
// and exits with code 0. Where the first copy does not take the request, the
// second completes its own notification with `completeStartup`.
void SingleCase(QSharedMemory &unimem, void (*completeStartup)(const QByteArray &startupId) = nullptr);

// Where the first copy listens for a second start: a local socket of this
// user's, in $XDG_RUNTIME_DIR or else the temporary folder.
QString instanceSocketPath();

// True when the segment that `unimem` is attached to was left behind by a copy
// that no longer runs (nobody else is attached to it).
bool isLeftByDeadInstance(const QSharedMemory &unimem);
