#include "download/downloadcontrol.h"
#include "standinserver.h"
#include "testdatadir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDownloadControl : public QObject
{
    Q_OBJECT

private:
    // The "range" headers of the GET requests made for `path`, in arrival order.
    QStringList rangesAsked(const QString &path) const
    {
        QStringList ranges;
        const QJsonArray requests = m_server->requests(path);
        for (const QJsonValue &value : requests) {
            const QJsonObject request = value.toObject();
            if (request.value(QStringLiteral("method")).toString() == QLatin1String("GET"))
                ranges << request.value(QStringLiteral("headers")).toObject().value(QStringLiteral("range")).toString();
        }
        return ranges;
    }

    QString urlOf(const QString &path) const { return m_server->baseUrl() + path; }

    // Runs a download to its end and checks that it ended well.
    bool waitForFinish(DownloadControl &control, QSignalSpy &finished)
    {
        for (int i = 0; i < 200 && control.state() != DownloadControl::Finished; ++i)
            finished.wait(50);
        return control.state() == DownloadControl::Finished;
    }

    QScopedPointer<StandInServer> m_server;
    QScopedPointer<TestDataDir> m_dir;

private slots:
    void init()
    {
        m_dir.reset(new TestDataDir);
        m_server.reset(new StandInServer);
        QVERIFY(m_server->isRunning());
    }

    void cleanup()
    {
        m_server.reset();
        m_dir.reset();
    }

    void segmentCountsOutsideOneToFifteenAreRefused()
    {
        const QString path = StandInServer::generatedFilePath(100, QStringLiteral("count.bin"));
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);

        QVERIFY(!control.downloadFile(urlOf(path), m_dir->filePath(QStringLiteral("a.bin")), 0));
        QCOMPARE(errors.takeFirst(), (QVariantList{0, QStringLiteral("to few threads")}));
        QVERIFY(!control.downloadFile(urlOf(path), m_dir->filePath(QStringLiteral("a.bin")), 16));
        QCOMPARE(errors.takeFirst(), (QVariantList{0, QStringLiteral("to many threads")}));
        QCOMPARE(control.state(), int(DownloadControl::Idle));

        for (int count : {1, 15}) {
            QSignalSpy finished(&control, &DownloadControl::finished);
            const QString target = m_dir->filePath(QStringLiteral("ok%1.bin").arg(count));
            QVERIFY(control.downloadFile(urlOf(path), target, count));
            QVERIFY(waitForFinish(control, finished));
            QCOMPARE(readFile(target), StandInServer::generatedBytes(0, 100));
        }
        QCOMPARE(errors.count(), 0);
    }

    void tenBytesInThreeSegmentsAskOverlappingRangesAndReportTwelveBytes()
    {
        const QString path = StandInServer::generatedFilePath(10, QStringLiteral("ten.bin"));
        const QString target = m_dir->filePath(QStringLiteral("ten.bin"));
        DownloadControl control;
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), target, 3));
        QCOMPARE(QFileInfo(target).size(), qint64(10)); // allocated before any byte arrives
        QVERIFY(waitForFinish(control, finished));

        QStringList ranges = rangesAsked(path);
        ranges.sort();
        QCOMPARE(ranges, (QStringList{QStringLiteral("bytes=0-3"), QStringLiteral("bytes=3-6"),
                                      QStringLiteral("bytes=6-10")}));
        const QVariantList last = progress.last();
        QCOMPARE(last.at(0).toInt(), 0);
        QCOMPARE(last.at(2).toLongLong(), qint64(10));
        QCOMPARE(last.at(3).toLongLong(), qint64(12));
        QCOMPARE(readFile(target), StandInServer::generatedBytes(0, 10));
    }

    void completionReportsTheWholeDownloadThenTheLastSegment()
    {
        const QString path = StandInServer::generatedFilePath(4096, QStringLiteral("end.bin"));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), m_dir->filePath(QStringLiteral("end.bin")), 2));
        QVERIFY(waitForFinish(control, finished));
        QCOMPARE(finished.count(), 3);
        const int first = finished.at(0).at(0).toInt();
        QVERIFY(first == 1 || first == 2);
        QCOMPARE(finished.at(1).at(0).toInt(), 0);
        QCOMPARE(finished.at(2).at(0).toInt(), 3 - first);
        QCOMPARE(control.runningCount(), 0);
        // The controller holds no file any more: it can start another download.
        QVERIFY(control.downloadFile(urlOf(path), m_dir->filePath(QStringLiteral("again.bin")), 1));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("end.bin.setting"))));
    }

    void filesOfSeveralMegabytesArriveIntact_data()
    {
        QTest::addColumn<int>("segments");
        QTest::newRow("1") << 1;
        QTest::newRow("4") << 4;
        QTest::newRow("15") << 15;
    }

    void filesOfSeveralMegabytesArriveIntact()
    {
        QFETCH(int, segments);
        const qint64 size = 5 * 1024 * 1024 + 7;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("big.bin"));
        const QString target = m_dir->filePath(QStringLiteral("big.bin"));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(urlOf(path), target, segments));
        QVERIFY(waitForFinish(control, finished));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rangesAsked(path).size(), segments);
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
    }

    void pauseAndRestartContinueEverySegmentWhereItStood()
    {
        const qint64 size = 4 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("pause.bin"));
        const QString target = m_dir->filePath(QStringLiteral("pause.bin"));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        qint64 readyAtPause = -1;
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64, qint64 ready) {
                    if (readyAtPause < 0 && ready > 0 && control.state() == DownloadControl::Downloading) {
                        readyAtPause = ready;
                        control.pause();
                    }
                });
        QVERIFY(control.downloadFile(urlOf(path), target, 3));
        QTRY_COMPARE(control.state(), int(DownloadControl::Paused));
        QTest::qWait(50); // nothing moves while paused
        QCOMPARE(control.readySize(), readyAtPause);
        m_server->clearRequests();

        control.restart();
        QCOMPARE(control.state(), int(DownloadControl::Downloading));
        QVERIFY(waitForFinish(control, finished));
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));

        // Each range asked again starts at its segment's start plus what had
        // arrived; together they skip exactly the bytes received before.
        const QStringList ranges = rangesAsked(path);
        QVERIFY(!ranges.isEmpty());
        QVERIFY(ranges.size() <= 3);
        const QList<qint64> starts{0, size / 3, size * 2 / 3};
        bool continued = false;
        for (const QString &range : ranges)
            continued |= !starts.contains(range.mid(6).section(QLatin1Char('-'), 0, 0).toLongLong());
        QVERIFY(continued);
    }

    void stopWritesTheResumeFileAndResumingContinuesFromIt()
    {
        const qint64 size = 4 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("stop.bin"));
        const QString target = m_dir->filePath(QStringLiteral("stop.bin"));
        const QString settingFile = target + QStringLiteral(".setting");
        DownloadControl control;
        bool stopped = false;
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64, qint64 ready) {
                    if (!stopped && ready > 0) {
                        stopped = true;
                        control.stop();
                    }
                });
        QVERIFY(control.downloadFile(urlOf(path), target, 2));
        QTRY_VERIFY(stopped);
        QCOMPARE(control.state(), int(DownloadControl::Stopped));

        QSettings setting(settingFile, QSettings::IniFormat);
        QCOMPARE(setting.childGroups(), QStringList());
        QCOMPARE(setting.value(QStringLiteral("URL")).toString(), urlOf(path));
        QCOMPARE(setting.value(QStringLiteral("SAVEFILE")).toString(), target);
        QCOMPARE(setting.value(QStringLiteral("COUNT")).toInt(), 2);
        QCOMPARE(setting.value(QStringLiteral("TOTALSIZE")).toLongLong(), size);
        QCOMPARE(setting.value(QStringLiteral("STARTPOINT1")).toLongLong(), qint64(0));
        QCOMPARE(setting.value(QStringLiteral("ENDPOINT1")).toLongLong(), size / 2);
        QCOMPARE(setting.value(QStringLiteral("STARTPOINT2")).toLongLong(), size / 2);
        QCOMPARE(setting.value(QStringLiteral("ENDPOINT2")).toLongLong(), size);
        const qint64 ready1 = setting.value(QStringLiteral("READYSIZE1")).toLongLong();
        const qint64 ready2 = setting.value(QStringLiteral("READYSIZE2")).toLongLong();
        QCOMPARE(setting.value(QStringLiteral("READYSIZE")).toLongLong(), ready1 + ready2);
        QVERIFY(ready1 + ready2 > 0);

        m_server->clearRequests();
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(settingFile));
        QVERIFY(waitForFinish(control, finished));
        QStringList ranges = rangesAsked(path);
        ranges.sort();
        QStringList expected{QStringLiteral("bytes=%1-%2").arg(ready1).arg(size / 2),
                             QStringLiteral("bytes=%1-%2").arg(size / 2 + ready2).arg(size)};
        expected.sort();
        QCOMPARE(ranges, expected);
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(settingFile));
    }

    void resumedSegmentsAskFromStartPlusReadySizeAndCompleteOnesAreNotAsked()
    {
        const QString path = StandInServer::generatedFilePath(10, QStringLiteral("resume.bin"));
        const QString target = m_dir->filePath(QStringLiteral("resume.bin"));
        const QByteArray source = StandInServer::generatedBytes(0, 10);
        // Segment 1 (0-3) complete, segment 2 (3-6) with 2 bytes, segment 3 with none.
        QByteArray partial(10, '\0');
        partial.replace(0, 5, source.left(5));
        QVERIFY(m_dir->write(QStringLiteral("resume.bin"), partial));
        {
            QSettings setting(target + QStringLiteral(".setting"), QSettings::IniFormat);
            setting.setValue(QStringLiteral("URL"), urlOf(path));
            setting.setValue(QStringLiteral("SAVEFILE"), target);
            setting.setValue(QStringLiteral("COUNT"), 3);
            setting.setValue(QStringLiteral("TOTALSIZE"), 10);
            setting.setValue(QStringLiteral("READYSIZE"), 6);
            const qint64 points[3][3] = {{0, 3, 4}, {3, 6, 2}, {6, 10, 0}};
            for (int n = 1; n <= 3; ++n) {
                setting.setValue(QStringLiteral("STARTPOINT%1").arg(n), points[n - 1][0]);
                setting.setValue(QStringLiteral("ENDPOINT%1").arg(n), points[n - 1][1]);
                setting.setValue(QStringLiteral("READYSIZE%1").arg(n), points[n - 1][2]);
            }
        }
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(target + QStringLiteral(".setting")));
        QVERIFY(waitForFinish(control, finished));
        QStringList ranges = rangesAsked(path);
        ranges.sort();
        QCOMPARE(ranges, (QStringList{QStringLiteral("bytes=5-6"), QStringLiteral("bytes=6-10")}));
        QCOMPARE(readFile(target), source);
    }

    void damagedResumeFilesAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("COUNT 0") << QStringLiteral("COUNT") << QVariant(0);
        QTest::newRow("COUNT 16") << QStringLiteral("COUNT") << QVariant(16);
        QTest::newRow("ENDPOINT2 missing") << QStringLiteral("ENDPOINT2") << QVariant();
        QTest::newRow("range past the file") << QStringLiteral("ENDPOINT2") << QVariant(11);
    }

    void damagedResumeFilesAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        const QString path = StandInServer::generatedFilePath(10, QStringLiteral("bad.bin"));
        const QString target = m_dir->filePath(QStringLiteral("bad.bin"));
        const QString settingFile = target + QStringLiteral(".setting");
        {
            QSettings setting(settingFile, QSettings::IniFormat);
            setting.setValue(QStringLiteral("URL"), urlOf(path));
            setting.setValue(QStringLiteral("SAVEFILE"), target);
            setting.setValue(QStringLiteral("COUNT"), 2);
            setting.setValue(QStringLiteral("TOTALSIZE"), 10);
            setting.setValue(QStringLiteral("READYSIZE"), 0);
            for (int n = 1; n <= 2; ++n) {
                setting.setValue(QStringLiteral("STARTPOINT%1").arg(n), 5 * (n - 1));
                setting.setValue(QStringLiteral("ENDPOINT%1").arg(n), 5 * n);
                setting.setValue(QStringLiteral("READYSIZE%1").arg(n), 0);
            }
            if (value.isValid())
                setting.setValue(key, value);
            else
                setting.remove(key);
        }
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(!control.downloadFile(settingFile));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first(), (QVariantList{0, QStringLiteral("wrong setting file")}));
        QCOMPARE(control.state(), int(DownloadControl::Idle));
        QVERIFY(rangesAsked(path).isEmpty());
        // The refusal holds no file: a new download goes ahead.
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), target, 2));
        QVERIFY(waitForFinish(control, finished));
    }

    void aDroppedConnectionStopsOnlyItsSegmentUntilPauseAndRestart()
    {
        const qint64 size = 2 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("drop.bin"));
        const QString target = m_dir->filePath(QStringLiteral("drop.bin"));
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("drop_after"), 1000},
                                           {QStringLiteral("times"), 1}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), target, 3));
        QTRY_COMPARE(errors.count(), 1);
        QTRY_COMPARE(finished.count(), 2); // the other two segments end
        QTest::qWait(100);
        QCOMPARE(errors.count(), 1);
        const int failed = errors.first().at(0).toInt();
        QVERIFY(failed >= 1 && failed <= 3);
        QVERIFY(errors.first().at(1).toString().startsWith(QStringLiteral("QNetworkReply::NetworkError : ")));
        QCOMPARE(control.state(), int(DownloadControl::Downloading));
        QCOMPARE(control.runningCount(), 1);

        m_server->clearRequests();
        errors.clear();
        control.pause();
        control.restart();
        QVERIFY(waitForFinish(control, finished));
        const QStringList ranges = rangesAsked(path);
        QCOMPARE(ranges.size(), 1);
        const qint64 start = size * (failed - 1) / 3;
        const qint64 askedFrom = ranges.first().mid(6).section(QLatin1Char('-'), 0, 0).toLongLong();
        QVERIFY(askedFrom > start);
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
    }

    void aServerThatIgnoresRangeStillGivesTheRightFile()
    {
        const qint64 size = 300000;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("norange.bin"));
        const QString target = m_dir->filePath(QStringLiteral("norange.bin"));
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("ignore_range"), true},
                                           {QStringLiteral("times"), 10}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), target, 3));
        QVERIFY(waitForFinish(control, finished));
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        // Only the segments that did not ask from byte 0 complain.
        for (const QVariantList &error : qAsConst(errors)) {
            QVERIFY(error.at(0).toInt() > 1);
            QVERIFY(error.at(1).toString().contains(QStringLiteral("ignored the range")));
        }
    }

    void aServerWithoutLengthGivesTheWholeBodyInOneRequest()
    {
        const qint64 size = 200000;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("nolength.bin"));
        const QString target = m_dir->filePath(QStringLiteral("nolength.bin"));
        m_server->script(path, QJsonObject{{QStringLiteral("no_length"), true},
                                           {QStringLiteral("times"), 10}});
        DownloadControl control;
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(urlOf(path), target, 4));
        QVERIFY(waitForFinish(control, finished));
        QCOMPARE(rangesAsked(path), QStringList{QString()});
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QCOMPARE(progress.last().at(2).toLongLong(), size);
        QCOMPARE(progress.last().at(3).toLongLong(), size);
    }

    void aServerWithoutLengthAndWithoutBodyIsNoFinishedDownload()
    {
        const QString path = QStringLiteral("/files/empty.bin");
        m_server->script(path, QJsonObject{{QStringLiteral("body"), QString()},
                                           {QStringLiteral("no_length"), true},
                                           {QStringLiteral("times"), 10}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(urlOf(path), m_dir->filePath(QStringLiteral("empty.bin")), 1));
        QTRY_COMPARE(errors.count(), 1);
        QVERIFY(control.state() != DownloadControl::Finished);
    }

    void aWrongStatusIsASegmentErrorAndNothingIsWritten()
    {
        const QString path = StandInServer::generatedFilePath(1000, QStringLiteral("status.bin"));
        const QString target = m_dir->filePath(QStringLiteral("status.bin"));
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("status"), 404},
                                           {QStringLiteral("body"), QStringLiteral("not here")}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(urlOf(path), target, 1));
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), 1);
        QVERIFY(readFile(target) == QByteArray(1000, '\0'));
    }

    void aFailedSizeProbeRefusesWithoutASignal()
    {
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(!control.downloadFile(urlOf(QStringLiteral("/files/missing.bin")),
                                      m_dir->filePath(QStringLiteral("missing.bin")), 1));
        QCOMPARE(errors.count(), 0);
        QVERIFY(!control.errorString().isEmpty());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("missing.bin"))));
    }

    void stateComplaintsCarryTheirTexts()
    {
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        control.pause();
        control.restart();
        control.stop();
        QCOMPARE(errors.count(), 3);
        QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("is not downloading"));
        QCOMPARE(errors.at(1).at(1).toString(), QStringLiteral("is not paused"));
        QCOMPARE(errors.at(2).at(1).toString(), QStringLiteral("can not stop"));
    }

    void stopAfterTheLastBytesCompletesInsteadOfStopping()
    {
        const QString path = StandInServer::generatedFilePath(5000, QStringLiteral("late.bin"));
        const QString target = m_dir->filePath(QStringLiteral("late.bin"));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64 total, qint64 ready) {
                    if (ready >= total && control.state() == DownloadControl::Downloading)
                        control.stop();
                });
        QVERIFY(control.downloadFile(urlOf(path), target, 1));
        QTRY_COMPARE(control.state(), int(DownloadControl::Finished));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toInt(), 0);
        QVERIFY(!QFile::exists(target + QStringLiteral(".setting")));
        QCOMPARE(readFile(target), StandInServer::generatedBytes(0, 5000));
    }

    void aKilledDownloaderContinuesFromItsLastRefresh()
    {
        const qint64 size = 3 * 1024 * 1024;
        const QString path = StandInServer::generatedFilePath(size, QStringLiteral("killed.bin"));
        const QString target = m_dir->filePath(QStringLiteral("killed.bin"));
        const QString settingFile = target + QStringLiteral(".setting");
        // The one segment's connection breaks after 1 MiB and the download
        // stands still there until the program is killed.
        const qint64 cut = 1024 * 1024;
        m_server->script(path, QJsonObject{{QStringLiteral("method"), QStringLiteral("GET")},
                                           {QStringLiteral("drop_after"), cut},
                                           {QStringLiteral("times"), 1}});
        QProcess downloader;
        downloader.start(QStringLiteral(DOWNLOAD_HELPER), {urlOf(path), QStringLiteral("1"), target});
        QVERIFY(downloader.waitForStarted());
        // Killed as soon as a refresh of the resume file records bytes.
        QTRY_VERIFY_WITH_TIMEOUT(
                QSettings(settingFile, QSettings::IniFormat).value(QStringLiteral("READYSIZE1")).toLongLong() > 0,
                10000);
        downloader.kill();
        QVERIFY(downloader.waitForFinished());
        const qint64 saved = QSettings(settingFile, QSettings::IniFormat).value(QStringLiteral("READYSIZE1")).toLongLong();
        QVERIFY(saved > 0);
        QVERIFY(saved <= cut);
        QCOMPARE(downloader.exitStatus(), QProcess::CrashExit);

        m_server->clearRequests();
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(settingFile));
        QVERIFY(waitForFinish(control, finished));
        QCOMPARE(rangesAsked(path), QStringList{QStringLiteral("bytes=%1-%2").arg(saved).arg(size)});
        QVERIFY(readFile(target) == StandInServer::generatedBytes(0, size));
        QVERIFY(!QFile::exists(settingFile));
    }
};

QTEST_GUILESS_MAIN(TestDownloadControl)
#include "tst_downloadcontrol.moc"
