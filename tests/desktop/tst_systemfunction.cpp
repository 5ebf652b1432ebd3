#include "desktop/clipboard.h"
#include "desktop/dpi.h"
#include "desktop/systemfunction.h"
#include "testdatadir.h"
#include "urlcatcher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/statvfs.h>


class TestSystemFunction : public QObject
{
    Q_OBJECT

private slots:
    void diskSizeIsTheVolumesFreeSpaceInWholeGibibytes()
    {
        QTemporaryDir dir;
        struct statvfs volume;
        QCOMPARE(statvfs(QFile::encodeName(dir.path()).constData(), &volume), 0);
        const quint64 expected = (quint64(volume.f_bfree) * volume.f_frsize) >> 30;
        SystemFunction system;
        // Any existing path of the volume answers for it; the figures may move
        // by a block while we look, never by a whole gibibyte in practice.
        const quint64 size = system.getDiskSize(dir.path());
        QVERIFY2(size == expected || size + 1 == expected || size == expected + 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(size).arg(expected)));
    }

    void diskSizeOfAMissingPathIsZero()
    {
        QTemporaryDir dir;
        SystemFunction system;
        QCOMPARE(system.getDiskSize(dir.filePath(QStringLiteral("no/such/place"))), quint64(0));
        QCOMPARE(system.getDiskSize(QString()), quint64(0));
    }

    void directoryDialogAsksForDirectoriesAndAnswersForwardSlashes()
    {
        SystemFunction system;
        QString title, start;
        system.setDirectoryDialog([&](const QString &t, const QString &s) {
            title = t;
            start = s;
            return QDir::toNativeSeparators(QStringLiteral("D:/downloads"));
        });
        QCOMPARE(system.getDirectoryFromDialog(), QStringLiteral("D:/downloads"));
        QCOMPARE(title, QStringLiteral("选择目录"));
        QCOMPARE(start, QStringLiteral("./"));

        system.setDirectoryDialog([](const QString &, const QString &) { return QString(); });
        QCOMPARE(system.getDirectoryFromDialog(), QString());
    }

    void openDirectoryOpensTheAbsolutePathAsAFileUrl()
    {
        UrlCatcher catcher(QStringLiteral("file"));
        QTemporaryDir dir;
        SystemFunction system;
        system.openDirectory(dir.path());
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), dir.path());
    }

    // The default download directory is where the program keeps its files:
    // beside a portable copy (this test's writable build directory), or the
    // data directory named for it. An installed copy: tst_readonlyappdir.
    void defaultDirectoryIsWhereTheProgramKeepsItsFiles()
    {
        SystemFunction system;
        QCOMPARE(system.getExePath(), QCoreApplication::applicationDirPath());
        QVERIFY(!system.getExePath().endsWith(QLatin1Char('/')));
        TestDataDir data;
        QCOMPARE(system.getExePath(), data.path());
    }

    void clipboardTextRoundTrips()
    {
        Clipboard clipboard;
        clipboard.setText(QStringLiteral("https://example.test/发票?a=\"1\""));
        QCOMPARE(clipboard.getText(), QStringLiteral("https://example.test/发票?a=\"1\""));
        Clipboard other;
        QCOMPARE(other.getText(), QStringLiteral("https://example.test/发票?a=\"1\""));
    }

    void dpFactorCountsWholeStepsOf1920Pixels()
    {
        QCOMPARE(Dpi::factorForWidth(1366), 0.0f);
        QCOMPARE(Dpi::factorForWidth(1919), 0.0f);
        QCOMPARE(Dpi::factorForWidth(1920), 1.0f);
        QCOMPARE(Dpi::factorForWidth(3839), 1.0f);
        QCOMPARE(Dpi::factorForWidth(3840), 2.0f);
        Dpi dpi;
        const int width = QGuiApplication::primaryScreen()->availableGeometry().width();
        QCOMPARE(dpi.getDp(), float(width / 1920));
    }
};

QTEST_MAIN(TestSystemFunction)

#include "tst_systemfunction.moc"
