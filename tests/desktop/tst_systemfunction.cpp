#include "desktop/clipboard.h"
#include "desktop/dpi.h"
#include "desktop/systemfunction.h"
#include "testdatadir.h"
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

    void directoryDialogAsksForDirectoriesAndAnswersForwardSlashes()
    {
        SystemFunction system;
        QString asked;
        system.setDirectoryDialog([&](const QString &title, const QString &start) {
            asked = title + QLatin1Char('|') + start;
            return QDir::toNativeSeparators(QStringLiteral("D:/downloads"));
        });
        QCOMPARE(system.getDirectoryFromDialog(), QStringLiteral("D:/downloads"));
        QCOMPARE(asked, QStringLiteral("选择目录|./"));
    }

    void openDirectoryOpensTheAbsolutePathAsAFileUrl()
    {
        UrlCatcher catcher(QStringLiteral("file"));
        const QString path = QStringLiteral("/tmp/下载 #1?%");
        SystemFunction().openDirectory(path);
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), path);
    }

    // A portable copy (this test's writable build directory) keeps its files
    // beside itself, or in the data directory named for it. An installed
    // copy: tst_readonlyappdir.
    void defaultDirectoryIsWhereTheProgramKeepsItsFiles()
    {
        SystemFunction system;
        QCOMPARE(system.getExePath(), QCoreApplication::applicationDirPath());
        TestDataDir data;
        QCOMPARE(system.getExePath(), data.path());
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
