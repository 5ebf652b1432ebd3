#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// What every harness shares: the bytes as a QByteArray, an application
// object (plugins and settings look for one), and a file to hand readers
// that read files.
namespace FuzzInput {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

inline void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    Q_UNUSED(app)
}

// A directory of the harness's own for the run.
inline const QTemporaryDir &directory()
{
    static QTemporaryDir *dir = new QTemporaryDir;
    return *dir;
}

// `bytes` written to `name` in that directory; its path.
inline QString file(const QString &name, const QByteArray &bytes)
{
    const QString path = directory().filePath(name);
    QFile out(path);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(bytes);
    return path;
}

} // namespace FuzzInput

// The harness's start: an application object before the first input.
#define PLIT_FUZZ_WITH_APPLICATION \
    extern "C" int LLVMFuzzerInitialize(int *, char ***) { FuzzInput::startApplication(); return 0; }
