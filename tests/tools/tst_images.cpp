// The rendered images against their SVG sources: every source has its
// rendering at the size the source is drawn at, every rendering has a source,
// and the interface's resources carry exactly the rendered interface images.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QString interfaceImages = QStringLiteral(PLIT_SOURCE_DIR "/qml/images");
const QString browserImages = QStringLiteral(PLIT_SOURCE_DIR "/browser/images");
const QString programIcon = interfaceImages + QStringLiteral("/src/app.svg");

QString withoutSuffix(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('.')));
}

// A rendering's name without its suffix and its "@2x" (twice the size, for
// screens scaled by more than one); the zoom goes to `zoom`.
QString sourceName(const QString &file, int *zoom = nullptr)
{
    QString name = withoutSuffix(file);
    const bool doubled = name.endsWith(QLatin1String("@2x"));
    if (doubled)
        name.chop(3);
    if (zoom)
        *zoom = doubled ? 2 : 1;
    return name;
}

// The sources live in dir/src, the renderings beside it; both as paths
// relative to their folder.
QSet<QString> sourcesWithoutSuffix(const QString &dir)
{
    const QDir sources(dir + QStringLiteral("/src"));
    QSet<QString> result;
    QDirIterator it(sources.path(), {"*.svg"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        result.insert(withoutSuffix(sources.relativeFilePath(it.next())));
    return result;
}

QStringList renderings(const QString &dir)
{
    QStringList result;
    QDirIterator it(dir, {"*.png", "*.jpg", "*.ico"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(dir).relativeFilePath(it.next());
        if (!relative.startsWith(QLatin1String("src/")))
            result.append(relative);
    }
    result.sort();
    return result;
}

QSize drawnSize(const QString &svgPath)
{
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader svg(&file);
    if (!svg.readNextStartElement())
        return {};
    const auto attributes = svg.attributes();
    return {attributes.value(QLatin1String("width")).toInt(),
            attributes.value(QLatin1String("height")).toInt()};
}

QList<QSize> frameSizes(const QString &path)
{
    QList<QSize> sizes;
    QImageReader reader(path);
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        sizes.append(reader.read().size());
    }
    return sizes;
}

QStringList resourceEntries()
{
    QFile qrc(interfaceImages + QStringLiteral("/images.qrc"));
    if (!qrc.open(QIODevice::ReadOnly))
        return {};
    QStringList files;
    QXmlStreamReader xml(&qrc);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("file"))
            files.append(xml.readElementText());
    }
    files.sort();
    return files;
}

} // namespace

class ImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void renderingMatchesItsSource_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("file");
        for (const QString &dir : {interfaceImages, browserImages})
            for (const QString &file : renderings(dir))
                QTest::newRow(qPrintable(file)) << dir << file;
    }

    void renderingMatchesItsSource()
    {
        QFETCH(QString, dir);
        QFETCH(QString, file);
        const QFileInfo rendering(dir + QLatin1Char('/') + file);
        int zoom = 1;
        const QString source = dir + QStringLiteral("/src/") + sourceName(file, &zoom) + QStringLiteral(".svg");
        QVERIFY2(QFile::exists(source), qPrintable(source + " is missing"));

        // The interface reads its images from the compiled resources.
        const QString path = dir == interfaceImages ? QStringLiteral(":/images/") + file : rendering.filePath();
        if (rendering.suffix() == QLatin1String("ico")) {
            const QList<QSize> expected{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {256, 256}};
            QCOMPARE(frameSizes(path), expected);
            return;
        }
        QImageReader reader(path);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
        QCOMPARE(image.size(), drawnSize(source) * zoom);
    }

    void everySourceIsRendered()
    {
        for (const QString &dir : {interfaceImages, browserImages}) {
            const QSet<QString> sources = sourcesWithoutSuffix(dir);
            QSet<QString> rendered;
            QSet<QString> doubled;
            for (const QString &file : renderings(dir)) {
                int zoom = 1;
                const QString name = sourceName(file, &zoom);
                (zoom == 2 ? doubled : rendered).insert(name);
            }
            QVERIFY(!sources.isEmpty());
            const QStringList unrendered = (sources - rendered).values();
            QVERIFY2(unrendered.isEmpty(), qPrintable("not rendered: " + unrendered.join(", ")));
            const QStringList single = (sources - doubled).values();
            QVERIFY2(single.isEmpty(), qPrintable("not rendered at twice the size: " + single.join(", ")));
        }
    }

    void resourcesListEveryInterfaceImage()
    {
        QCOMPARE(resourceEntries(), renderings(interfaceImages));
    }

    void desktopIconsAreTheProgramIcon()
    {
        const QString icons = QStringLiteral(PLIT_SOURCE_DIR "/desktop/icons/hicolor/");
        QFile scalable(icons + QStringLiteral("scalable/apps/plit.svg"));
        QFile drawing(programIcon);
        QVERIFY(scalable.open(QIODevice::ReadOnly) && drawing.open(QIODevice::ReadOnly));
        QCOMPARE(scalable.readAll(), drawing.readAll());
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(icons + QStringLiteral("%1x%1/apps/plit.png").arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
        }
    }
};

QTEST_MAIN(ImagesTest)
#include "tst_images.moc"
