#include "desktop/iconextractfunction.h"

#include "core/deployment.h"
#include "core/qmlelement.h"
#include "desktop/iconmodel.h"
#include "desktop/peiconreader.h"
#include "desktop/programicon.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

#include <limits>

namespace {

// The large icon size of the shell, which is what the launcher shows.
constexpr QSize LargeIcon(32, 32);

// A program's icons are read at every start, before the main window: a file
// with thousands of icon groups, or groups that all fail, costs no more
// than this many groups and this long.
constexpr int MaxGroupsTried = 8;
constexpr qint64 MaxMsPerProgram = 200;

// The open-file dialog's filters, the first one chosen. Programs here carry
// no ".exe", and "*.*" would hide every file without a dot.
QString fileFilters()
{
    return QStringLiteral("All files (*);;exe文件 (*.exe);;DLL files (*.exe *.dll);;"
                          "Images (*.png *.xpm *.jpg)");
}

} // namespace

IconExtractFunction::IconExtractFunction(QObject *parent)
    : QObject(parent)
{
}

QVariant IconExtractFunction::Extract()
{
    const QString fileName =
        QFileDialog::getOpenFileName(nullptr, QStringLiteral("Open File"), QString(), fileFilters());
    if (fileName.isEmpty())
        return 0;
    return extractFrom(fileName);
}

QString IconExtractFunction::fileUrl(const QString &path) const
{
    if (path.isEmpty())
        return QString();
    // A drive path is not absolute here, but fromLocalFile still gives it
    // the "file:///C:/…" form.
    return QUrl::fromLocalFile(path).toString();
}

QVariant IconExtractFunction::extractFrom(const QString &fileName)
{
    const QString path = iconPath(fileName);
    // On a fresh installation nothing has made temp/ yet.
    QDir().mkpath(QFileInfo(path).path());
    bool saved = false;
    const int offered = offerIcons(fileName, [&](const QImage &icon) {
        saved = !icon.isNull() && icon.save(path, "PNG");
        return saved;
    });
    if (offered == 0)
        qDebug().noquote() << QStringLiteral("%1 does not appear to contain icons.").arg(fileName);
    if (!saved)
        return 0;
    auto *model = new IconModel;
    model->setIcon(path);
    model->setApppath(fileName);
    return qmlElement(model);
}

int IconExtractFunction::offerIcons(const QString &fileName, const std::function<bool(const QImage &)> &take)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 0;

    if (ProgramIcon::isProgram(file.peek(4))) {
        take(ProgramIcon::find(fileName).pixmap(LargeIcon).toImage());
        return 1;
    }

    // Mapped, not read: executables can be large and only a few pages matter.
    const qint64 size = file.size();
    uchar *mapped = size > 0 && size <= std::numeric_limits<int>::max() ? file.map(0, size) : nullptr;
    if (mapped) {
        const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(size));
        const PeIconReader reader(data);
        if (reader.isPe()) {
            // Decoded one by one: the first icon taken ends the work.
            QElapsedTimer clock;
            clock.start();
            int offered = 0;
            while (offered < qMin(reader.iconCount(), MaxGroupsTried)) {
                if (take(reader.icon(offered++)))
                    break;
                if (clock.elapsed() > MaxMsPerProgram) {
                    qInfo().noquote() << QStringLiteral("%1: no icon within %2 ms, the rest not read")
                                                 .arg(fileName).arg(MaxMsPerProgram);
                    break;
                }
            }
            return offered;
        }
    }

    QImageReader image(&file);
    if (!image.canRead())
        return 0;
    take(image.read());
    return 1;
}

QString IconExtractFunction::iconPath(const QString &fileName)
{
    return QStringLiteral("%1%2.png")
        .arg(Deployment::dataDir() + QLatin1Char('/') + QStringLiteral("temp/"), QFileInfo(fileName).baseName());
}
