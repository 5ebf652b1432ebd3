#include "desktop/clipboard.h"
#include "desktop/dpi.h"
#include "desktop/systemfunction.h"
#include "urlcatcher.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <sys/statvfs.h>

class TestSystemFunction : public QObject
{
    Q_OBJECT

private slots:
    void diskSizeIsTheVolumesFreeSpaceInWholeGibibytesOrZero()
    {
        QTemporaryDir dir;
        struct statvfs volume;
        QCOMPARE(statvfs(QFile::encodeName(dir.path()).constData(), &volume), 0);
        const qint64 expected = qint64((quint64(volume.f_bfree) * volume.f_frsize) >> 30);
        SystemFunction system;
        // The figures may move by a block while we look, never by a gibibyte.
        QVERIFY(qAbs(qint64(system.getDiskSize(dir.path())) - expected) <= 1);
        // A missing path has no volume, not the current directory's.
        QCOMPARE(system.getDiskSize(dir.filePath(QStringLiteral("no/such/place"))), quint64(0));
        QCOMPARE(system.getDiskSize(QString()), quint64(0));
    }

    void openDirectoryOpensTheAbsolutePathAsAFileUrl()
    {
        UrlCatcher catcher(QStringLiteral("file"));
        const QString path = QStringLiteral("/tmp/下载 #1?%");
        SystemFunction().openDirectory(path);
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), path);
    }

    void clipboardIsTheSystemsOwn()
    {
        Clipboard().setText(QStringLiteral("https://example.test/发票?a=\"1\""));
        QCOMPARE(Clipboard().getText(), QStringLiteral("https://example.test/发票?a=\"1\""));
    }

    void dpFactorCountsWholeStepsOf1920Pixels()
    {
        const QList<QPair<int, float>> steps{{1366, 0}, {1919, 0}, {1920, 1}, {3839, 1}, {3840, 2}};
        for (const auto &step : steps)
            QCOMPARE(Dpi::factorForWidth(step.first), step.second);
        QCOMPARE(Dpi().getDp(), float(QGuiApplication::primaryScreen()->availableGeometry().width() / 1920));
    }
};

QTEST_MAIN(TestSystemFunction)

#include "tst_systemfunction.moc"
