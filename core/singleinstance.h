#pragma once

class QSharedMemory;

// The single-instance guard: returns only in the first running copy. A second
// copy writes "已经有一个PlitApp在运行，即将退出" and exits with code 0.
void SingleCase(QSharedMemory &unimem);

// True when the segment that `unimem` is attached to was left behind by a copy
// that no longer runs (nobody else is attached to it).
bool isLeftByDeadInstance(const QSharedMemory &unimem);
