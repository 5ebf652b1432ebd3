// The rendered images against their SVG sources: every source has its
// rendering at the size the source is drawn at, and at twice that size
// ("@2x", for screens scaled by more than one); every rendering has a source,
// and the interface reads each of its renderings from its resources (a file
// listed there and missing fails the build).

#include <QDirIterator>
#include <QImageReader>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QString interfaceImages = QStringLiteral(PLIT_SOURCE_DIR "/qml/images");
const QString browserImages = QStringLiteral(PLIT_SOURCE_DIR "/browser/images");

// A file's name relative to `dir`, without its suffix and its "@2x".
QString sourceName(const QString &dir, const QString &path)
{
    return QDir(dir).relativeFilePath(path).remove(QRegularExpression(QStringLiteral("(@2x)?\\.[a-z]+$")));
}

// The renderings beside dir/src, relative to dir.
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
    QXmlStreamReader svg(&file);
    if (!file.open(QIODevice::ReadOnly) || !svg.readNextStartElement())
        return {};
    return {svg.attributes().value(QLatin1String("width")).toInt(),
            svg.attributes().value(QLatin1String("height")).toInt()};
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
        const QString source = dir + QStringLiteral("/src/") + sourceName(dir, dir + '/' + file) + QStringLiteral(".svg");
        QVERIFY2(QFile::exists(source), qPrintable(source + " is missing"));
        // The interface reads its images from the compiled resources.
        const QString path = dir == interfaceImages ? QStringLiteral(":/images/") + file : dir + '/' + file;
        QImageReader reader(path);
        if (file.endsWith(QLatin1String(".ico"))) {
            QList<QSize> sizes;
            for (int i = 0; i < reader.imageCount(); ++i)
                sizes.append(reader.jumpToImage(i) ? reader.read().size() : QSize());
            QCOMPARE(sizes, QList<QSize>({{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {256, 256}}));
            return;
        }
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + ": " + reader.errorString()));
        QCOMPARE(image.size(), drawnSize(source) * (file.contains(QLatin1String("@2x.")) ? 2 : 1));
    }

    void everySourceIsRenderedAtBothSizes()
    {
        for (const QString &dir : {interfaceImages, browserImages}) {
            QSet<QString> sources, rendered, doubled;
            QDirIterator it(dir + QStringLiteral("/src"), {"*.svg"}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                sources.insert(sourceName(dir + QStringLiteral("/src"), it.next()));
            for (const QString &file : renderings(dir))
                (file.contains(QLatin1String("@2x.")) ? doubled : rendered).insert(sourceName(dir, dir + '/' + file));
            QVERIFY(!sources.isEmpty());
            QVERIFY2((sources - rendered).isEmpty(), qPrintable("not rendered: " + (sources - rendered).values().join(", ")));
            QVERIFY2((sources - doubled).isEmpty(),
                     qPrintable("not rendered at twice the size: " + (sources - doubled).values().join(", ")));
        }
    }

    void desktopIconsAreTheProgramIcon()
    {
        const QString icons = QStringLiteral(PLIT_SOURCE_DIR "/desktop/icons/hicolor/");
        QFile scalable(icons + QStringLiteral("scalable/apps/plit.svg"));
        QFile drawing(interfaceImages + QStringLiteral("/src/app.svg"));
        QVERIFY(scalable.open(QIODevice::ReadOnly) && drawing.open(QIODevice::ReadOnly));
        QCOMPARE(scalable.readAll(), drawing.readAll());
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QCOMPARE(QImage(icons + QStringLiteral("%1x%1/apps/plit.png").arg(size)).size(), QSize(size, size));
    }
};

QTEST_MAIN(ImagesTest)
#include "tst_images.moc"
