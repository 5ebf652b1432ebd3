#include "download/downloadcontrol.h"
#include "download/downloadfile.h"
#include "standinserver.h"
#include "testdatadir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A shell script that records the arguments it was started with.
QByteArray recordingScript(const QString &marker)
{
    return "#!/bin/sh\nprintf '%s' \"$*\" > '" + marker.toLocal8Bit() + "'\n";
}

} // namespace

class TestDownloadFile : public QObject
{
    Q_OBJECT

private:
    QStringList rangesAsked(const QString &path) const
    {
        QStringList ranges;
        for (const QJsonValue &value : m_server->requests(path)) {
            const QJsonObject request = value.toObject();
            if (request.value(QStringLiteral("method")).toString() == QLatin1String("GET"))
                ranges << request.value(QStringLiteral("headers")).toObject().value(QStringLiteral("range")).toString();
        }
        return ranges;
    }

    QString urlOf(const QString &path) const { return m_server->baseUrl() + path; }

    QScopedPointer<TestDataDir> m_dir;
    QScopedPointer<StandInServer> m_server;
    QByteArray m_path;

private slots:
    void initTestCase()
    {
        // Files without execute permission go to the desktop's handler; a
        // stand-in "xdg-open" early on PATH records what it was handed.
        m_path = qgetenv("PATH");
    }

    void init()
    {
        m_dir.reset(new TestDataDir);
        m_server.reset(new StandInServer);
        QVERIFY(m_server->isRunning());
        QVERIFY(m_dir->write(QStringLiteral("bin/xdg-open"), recordingScript(m_dir->filePath(QStringLiteral("opened.txt")))));
        QFile::setPermissions(m_dir->filePath(QStringLiteral("bin/xdg-open")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("PATH", m_dir->filePath(QStringLiteral("bin")).toLocal8Bit() + ':' + m_path);
    }

    void cleanup()
    {
        qputenv("PATH", m_path);
        m_server.reset();
        m_dir.reset();
    }

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
        DownloadFile job(QStringLiteral("7"), urlOf(QStringLiteral("/files/none.bin")),
                         m_dir->filePath(QStringLiteral("none.bin")));
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
        const QString target = m_dir->filePath(QStringLiteral("setup.bin"));
        DownloadFile job(QStringLiteral("12"), urlOf(path), target);
        QVERIFY(!job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QStringLiteral("12"));
        QCOMPARE(job.progress(), 1.0f);
        QCOMPARE(rangesAsked(path), QStringList{QStringLiteral("bytes=0-%1").arg(size)});
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        // Not executable here: handed to the desktop's handler with its path.
        QTRY_COMPARE(readFile(m_dir->filePath(QStringLiteral("opened.txt"))), target.toLocal8Bit());
        QCOMPARE(job.lastError(), QString());
    }

    void anExecutableDownloadIsStartedWithItsOwnPath()
    {
        const QString marker = m_dir->filePath(QStringLiteral("started.txt"));
        const QString path = QStringLiteral("/files/installer.sh");
        m_server->script(path, QJsonObject{{QStringLiteral("body"), QString::fromLocal8Bit(recordingScript(marker))},
                                           {QStringLiteral("times"), 10}});
        // An installer saved over a file that may be executed keeps that permission.
        const QString target = m_dir->filePath(QStringLiteral("installer.sh"));
        QVERIFY(m_dir->write(QStringLiteral("installer.sh"), QByteArray()));
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        DownloadFile job(QStringLiteral("13"), urlOf(path), target);
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QTRY_COMPARE(readFile(marker), target.toLocal8Bit());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("opened.txt"))));
    }

    void aJobBesideAResumeFileContinuesFromIt()
    {
        const qint64 size = 100000;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("resumed.bin"));
        const QString target = m_dir->filePath(QStringLiteral("resumed.bin"));
        const QString settingFile = target + QStringLiteral(".setting");
        QByteArray partial(size, '\0');
        partial.replace(0, 40000, StandInServer::generatedBytes(0, 40000));
        QVERIFY(m_dir->write(QStringLiteral("resumed.bin"), partial));
        {
            QSettings setting(settingFile, QSettings::IniFormat);
            setting.setValue(QStringLiteral("URL"), urlOf(path));
            setting.setValue(QStringLiteral("SAVEFILE"), target);
            setting.setValue(QStringLiteral("COUNT"), 1);
            setting.setValue(QStringLiteral("TOTALSIZE"), size);
            setting.setValue(QStringLiteral("READYSIZE"), 40000);
            setting.setValue(QStringLiteral("STARTPOINT1"), 0);
            setting.setValue(QStringLiteral("ENDPOINT1"), size);
            setting.setValue(QStringLiteral("READYSIZE1"), 40000);
        }
        DownloadFile job(QStringLiteral("14"), QStringLiteral("http://127.0.0.1:9/unused"), target);
        QVERIFY(job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(rangesAsked(path), QStringList{QStringLiteral("bytes=40000-%1").arg(size)});
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(settingFile));
    }

    void anUnusableResumeFileGivesWayToANewDownload()
    {
        const QString path = StandInServer::generatedFilePath(5000, QStringLiteral("fresh.bin"));
        const QString target = m_dir->filePath(QStringLiteral("fresh.bin"));
        QVERIFY(m_dir->write(QStringLiteral("fresh.bin.setting"), "COUNT=0\n"));
        DownloadFile job(QStringLiteral("15"), urlOf(path), target);
        QVERIFY(job.isResumed());
        QSignalSpy finished(&job, &DownloadFile::finished);
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(readFile(target), StandInServer::generatedBytes(0, 5000));
    }

    void aReleaseAfterTheLastBytesStillCompletesOnce()
    {
        const qint64 size = 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("early.bin"));
        const QString target = m_dir->filePath(QStringLiteral("early.bin"));
        QPointer<DownloadFile> job = new DownloadFile(QStringLiteral("16"), urlOf(path), target);
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
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QTRY_COMPARE(readFile(m_dir->filePath(QStringLiteral("opened.txt"))), target.toLocal8Bit());
    }

    void aStopAfterTheLastBytesCompletesInsteadOfKeepingAResumeFile()
    {
        const qint64 size = 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("late.bin"));
        const QString target = m_dir->filePath(QStringLiteral("late.bin"));
        DownloadFile job(QStringLiteral("17"), urlOf(path), target);
        QSignalSpy finished(&job, &DownloadFile::finished);
        auto *control = job.findChild<DownloadControl *>();
        connect(control, &DownloadControl::progressChange, this, [&](int, qint64, qint64 total, qint64 ready) {
            if (ready >= total && control->state() == DownloadControl::Downloading)
                job.stopDownload();
        });
        job.startDown();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
    }

    void aFailedStartLeavesTheJobIdleWithItsReason()
    {
        const QString target = m_dir->filePath(QStringLiteral("gone.bin"));
        DownloadFile job(QStringLiteral("18"), urlOf(QStringLiteral("/files/gone.bin")), target);
        job.startDown();
        QCOMPARE(job.progress(), 0.0f);
        QCOMPARE(job.speed(), QString());
        QVERIFY(!job.lastError().isEmpty());
    }

    void aStalledSegmentShowsItsError()
    {
        const QString path = StandInServer::generatedFilePath(500000, QStringLiteral("cut.bin"));
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("drop_after"), 1000},
                                           {QStringLiteral("times"), 1}});
        DownloadFile job(QStringLiteral("19"), urlOf(path), m_dir->filePath(QStringLiteral("cut.bin")));
        job.startDown();
        QTRY_VERIFY(!job.lastError().isEmpty());
        QVERIFY(job.progress() < 1.0f);
        // Pausing and restarting continues it and clears the error.
        job.pauseDownload();
        job.restartDown();
        QCOMPARE(job.lastError(), QString());
        QTRY_COMPARE(job.progress(), 1.0f);
    }
};

QTEST_MAIN(TestDownloadFile)
#include "tst_downloadfile.moc"
