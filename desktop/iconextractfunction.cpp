#include "desktop/iconextractfunction.h"

#include "core/deployment.h"
#include "desktop/iconmodel.h"
#include "desktop/peiconreader.h"

#include <QDebug>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>

#include <limits>

namespace {

QString platformFileDialog(const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(nullptr, title, QString(), filter);
}

// The large icon size of the shell, which is what the launcher shows.
constexpr QSize LargeIcon(32, 32);

} // namespace

IconExtractFunction::IconExtractFunction(QObject *parent)
    : QObject(parent)
    , m_fileDialog(platformFileDialog)
{
}

void IconExtractFunction::setFileDialog(FileDialog dialog)
{
    m_fileDialog = dialog ? std::move(dialog) : FileDialog(platformFileDialog);
}

QList<QPixmap> IconExtractFunction::iconsOf(const QString &fileName)
{
    QList<QPixmap> icons;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return icons;

    // Mapped, not read: executables can be large and only a few pages matter.
    const qint64 size = file.size();
    uchar *mapped = size > 0 && size <= std::numeric_limits<int>::max() ? file.map(0, size) : nullptr;
    if (mapped) {
        const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(size));
        const PeIconReader reader(data);
        if (reader.isPe()) {
            for (int i = 0; i < reader.iconCount(); ++i)
                icons.append(QPixmap::fromImage(reader.icon(i, LargeIcon)));
            return icons;
        }
    }

    file.seek(0);
    QImageReader image(&file);
    if (image.canRead()) {
        const QImage picture = image.read();
        if (!picture.isNull())
            icons.append(QPixmap::fromImage(picture));
    }
    return icons;
}

QString IconExtractFunction::iconPath(const QString &fileName)
{
    return QStringLiteral("%1%2.png")
        .arg(Deployment::dataDir() + QLatin1Char('/') + QStringLiteral("temp/"), QFileInfo(fileName).baseName());
}

QVariant IconExtractFunction::Extract()
{
    auto *model = new IconModel;
    const QString fileName = m_fileDialog(QStringLiteral("Open File"),
                                          QStringLiteral("All files (*.*);;DLL files (*.exe *.dll);;Images (*.png *.xpm *.jpg)"));
    if (fileName.isEmpty()) {
        delete model;
        return 0;
    }

    const QList<QPixmap> icons = iconsOf(fileName);
    if (icons.isEmpty()) {
        qDebug().noquote() << QStringLiteral("%1 does not appear to contain icons.").arg(fileName);
        delete model;
        return 0;
    }

    // The first icon that converts and saves is the one; the temp directory
    // is not made here, so without it nothing saves.
    const QString path = iconPath(fileName);
    for (const QPixmap &icon : icons) {
        if (icon.isNull() || !icon.save(path, "PNG"))
            continue;
        model->setIcon(path);
        model->setApppath(fileName);
        return QVariant::fromValue<QObject *>(model);
    }
    delete model;
    return 0;
}
