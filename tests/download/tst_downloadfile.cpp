#include "download/downloadcontrol.h"
#include "download/downloadfile.h"
#include "downloadtestbed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

class TestDownloadFile : public QObject
{
    Q_OBJECT

    DownloadTestBed bed;

private slots:
    void init() { QVERIFY(bed.begin()); }
    void cleanup() { bed.end(); }

    void formatSizeWritesTwoDecimalsAndTheUnit_data()
    {
        QTest::addColumn<double>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0.0 << QStringLiteral("0.00 B");
        QTest::newRow("512") << 512.0 << QStringLiteral("512.00 B");
        QTest::newRow("1024") << 1024.0 << QStringLiteral("1024.00 B");
        QTest::newRow("1025") << 1025.0 << QStringLiteral("1.00 KB");
        QTest::newRow("1536") << 1536.0 << QStringLiteral("1.50 KB");
        QTest::newRow("1 MiB") << 1048576.0 << QStringLiteral("1024.00 KB");
        QTest::newRow("3 GiB") << 3.0 * 1024 * 1024 * 1024 << QStringLiteral("3.00 G");
        QTest::newRow("5 TiB") << 5.0 * 1024 * 1024 * 1024 * 1024 << QStringLiteral("5120.00 G");
    }

    void formatSizeWritesTwoDecimalsAndTheUnit()
    {
        QFETCH(double, bytes);
        QFETCH(QString, text);
        QCOMPARE(DownloadFile::formatSize(bytes), text);
    }

    void progressPercentageAndSpeedFollowTheReports()
    {
        DownloadFile job(QStringLiteral("7"), bed.urlOf(QStringLiteral("/files/none.bin")),
                         bed.filePath(QStringLiteral("none.bin")));
        QCOMPARE(job.progress(), 0.0f);
        QCOMPARE(job.speed(), QString());
        QCOMPARE(job.progressPercent(), QStringLiteral("0%"));

        auto report = [&job](qint64 total, qint64 ready) {
            QMetaObject::invokeMethod(&job, "progressChangeSlot", Q_ARG(int, 0), Q_ARG(qint64, 0),
                                      Q_ARG(qint64, total), Q_ARG(qint64, ready));
        };
        report(1000, 500);
        QMetaObject::invokeMethod(&job, "speedSlot");
        QCOMPARE(job.speed(), QStringLiteral("500.00 B/s"));
        QCOMPARE(job.progressPercent(), QStringLiteral("50%"));
        report(1000, 999);
        QCOMPARE(job.progressPercent(), QStringLiteral("99%"));
        QMetaObject::invokeMethod(&job, "speedSlot");
        QCOMPARE(job.speed(), QStringLiteral("499.00 B/s")); // the last second, not an average
        // Overlapping segments report more than the total.
        report(1000, 1002);
        QCOMPARE(job.progress(), 1.0f);
        QCOMPARE(job.progressPercent(), QStringLiteral("100%"));
        report(0, 0);
        QCOMPARE(job.progress(), 1.0f);
        // No length from the server: no fraction yet.
        report(-1, 5000);
        QCOMPARE(job.progress(), 0.0f);
    }

    void aNewJobDownloadsInOneSegmentAndHandsTheFileOver()
    {
        const qint64 size = 3 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("setup.bin"));
        const QString target = bed.filePath(QStringLiteral("setup.bin"));
        DownloadFile job(QStringLiteral("12"), bed.urlOf(path), target);
        QVERIFY(!job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QStringLiteral("12"));
        QCOMPARE(job.progress(), 1.0f);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=0-%1").arg(size)});
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        // Not executable here: handed to the desktop's handler with its path.
        QTRY_COMPARE(bed.openedByDesktop().arguments, target);
        QCOMPARE(job.lastError(), QString());
    }

    void anInstallerStartsInTheDataDirectoryWithItsOwnPath()
    {
        const QString path = QStringLiteral("/files/installer.sh");
        bed.server().script(path, {{"body", QString::fromLocal8Bit(bed.recorder(QStringLiteral("started")))},
                                   {"times", 0}});
        // An installer saved over a file that may be executed keeps that permission.
        const QString target = bed.filePath(QStringLiteral("temp/installer.sh"));
        QVERIFY(bed.dir().write(QStringLiteral("temp/installer.sh"), QByteArray()));
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        DownloadFile job(QStringLiteral("13"), bed.urlOf(path), target);
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QTRY_COMPARE(bed.started(QStringLiteral("started")).arguments, target);
        // Every program start of the portal runs in its data directory.
        QCOMPARE(QFileInfo(bed.started(QStringLiteral("started")).directory).canonicalFilePath(),
                 QFileInfo(bed.dir().path()).canonicalFilePath());
        QCOMPARE(bed.openedByDesktop().arguments, QString());
    }

    void aJobBesideAResumeFileContinuesFromIt()
    {
        const qint64 size = 100000;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("resumed.bin"));
        const QString target = bed.filePath(QStringLiteral("resumed.bin"));
        QByteArray partial(size, '\0');
        partial.replace(0, 40000, StandInServer::generatedBytes(0, 40000));
        QVERIFY(bed.dir().write(QStringLiteral("resumed.bin"), partial));
        DownloadTestBed::writeResumeFile(target, bed.urlOf(path), size, {{0, size, 40000}});
        DownloadFile job(QStringLiteral("14"), QStringLiteral("http://127.0.0.1:9/unused"), target);
        QVERIFY(job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=40000-%1").arg(size)});
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
    }

    void anUnusableResumeFileGivesWayToANewDownload()
    {
        const QString path = StandInServer::generatedFilePath(5000, QStringLiteral("fresh.bin"));
        const QString target = bed.filePath(QStringLiteral("fresh.bin"));
        QVERIFY(bed.dir().write(QStringLiteral("fresh.bin.setting"), "COUNT=0\n"));
        DownloadFile job(QStringLiteral("15"), bed.urlOf(path), target);
        QVERIFY(job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(DownloadTestBed::readFile(target), StandInServer::generatedBytes(0, 5000));
        QCOMPARE(job.lastError(), QString());
    }

    // A partial file that cannot be opened for a moment (here: a folder in
    // its place) is no reason to throw away what was downloaded.
    void aResumeFileOutlivesAPartialFileThatCannotBeOpened()
    {
        const qint64 size = 100000;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("held.bin"));
        const QString target = bed.filePath(QStringLiteral("held.bin"));
        DownloadTestBed::writeResumeFile(target, bed.urlOf(path), size, {{0, size, 40000}});
        QVERIFY(QDir().mkpath(target));
        DownloadFile job(QStringLiteral("16"), bed.urlOf(path), target);
        job.startDown();
        QVERIFY2(job.lastError().startsWith(QStringLiteral("can not open file")), qPrintable(job.lastError()));
        QVERIFY(QFile::exists(target + QStringLiteral(".setting")));
        QCOMPARE(bed.requestCount(path, QStringLiteral("GET")), 0);

        // Once the file is back, asking again continues where it stood.
        QVERIFY(QDir(target).removeRecursively());
        QByteArray partial(size, '\0');
        partial.replace(0, 40000, StandInServer::generatedBytes(0, 40000));
        QVERIFY(bed.dir().write(QStringLiteral("held.bin"), partial));
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.restartDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=40000-%1").arg(size)});
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QCOMPARE(job.lastError(), QString());
    }

    void aReleaseAfterTheLastBytesStillCompletesOnce()
    {
        const qint64 size = 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("early.bin"));
        const QString target = bed.filePath(QStringLiteral("early.bin"));
        QPointer<DownloadFile> job = new DownloadFile(QStringLiteral("17"), bed.urlOf(path), target);
        QSignalSpy finished(job.data(), &DownloadFile::finished);
        auto *control = job->findChild<DownloadControl *>();
        QVERIFY(control);
        bool released = false;
        connect(control, &DownloadControl::progressChange, this, [&](int, qint64, qint64, qint64) {
            // The page lets go as soon as the progress reads 1, which is
            // before the controller has reported the end.
            if (!released && job && job->progress() >= 1.0f) {
                released = true;
                QCOMPARE(control->state(), int(DownloadControl::Downloading));
                job->release();
            }
        });
        job->startDown();
        QTRY_VERIFY(job.isNull());
        QVERIFY(released);
        QCOMPARE(finished.count(), 1);
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
        QTRY_COMPARE(bed.openedByDesktop().arguments, target);
    }

    void aStopAfterTheLastBytesCompletesInsteadOfKeepingAResumeFile()
    {
        const qint64 size = 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("late.bin"));
        const QString target = bed.filePath(QStringLiteral("late.bin"));
        DownloadFile job(QStringLiteral("18"), bed.urlOf(path), target);
        QSignalSpy finished(&job, &DownloadFile::finished);
        auto *control = job.findChild<DownloadControl *>();
        connect(control, &DownloadControl::progressChange, this, [&](int, qint64, qint64 total, qint64 ready) {
            if (ready >= total && control->state() == DownloadControl::Downloading)
                job.stopDownload();
        });
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
        QVERIFY(DownloadTestBed::readFile(target) == StandInServer::generatedBytes(0, size));
    }

    void aFailedStartLeavesTheJobIdleWithItsReason()
    {
        DownloadFile job(QStringLiteral("19"), bed.urlOf(QStringLiteral("/files/gone.bin")),
                         bed.filePath(QStringLiteral("gone.bin")));
        job.startDown();
        QCOMPARE(job.progress(), 0.0f);
        QCOMPARE(job.speed(), QString());
        QVERIFY(!job.lastError().isEmpty());
    }

    void aBrokenSegmentShowsItsErrorUntilPausedAndRestarted()
    {
        const QString path = StandInServer::generatedFilePath(500000, QStringLiteral("cut.bin"));
        bed.server().script(path, {{"method", "GET"}, {"drop_after", 1000}});
        DownloadFile job(QStringLiteral("20"), bed.urlOf(path), bed.filePath(QStringLiteral("cut.bin")));
        job.startDown();
        QTRY_VERIFY(!job.lastError().isEmpty());
        QVERIFY(job.progress() < 1.0f);
        job.pauseDownload();
        job.restartDown();
        QCOMPARE(job.lastError(), QString());
        QTRY_COMPARE(job.progress(), 1.0f);
    }
};

QTEST_MAIN(TestDownloadFile)
#include "tst_downloadfile.moc"
