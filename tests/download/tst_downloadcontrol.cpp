#include "download/downloadcontrol.h"
#include "downloadtestbed.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

using Segment = DownloadTestBed::Segment;

QByteArray source(qint64 size)
{
    return StandInServer::generatedBytes(0, size);
}

QString generated(qint64 size, const QString &name)
{
    return StandInServer::generatedFilePath(size, name);
}

// The first byte a "bytes=a-b" range asks for.
qint64 rangeStart(const QString &range)
{
    return range.mid(6).section(QLatin1Char('-'), 0, 0).toLongLong();
}

bool finishes(const DownloadControl &control)
{
    return QTest::qWaitFor([&control] { return control.state() == DownloadControl::Finished; }, 10000);
}

QString resumePath(const QString &target)
{
    return target + QStringLiteral(".setting");
}

} // namespace

class TestDownloadControl : public QObject
{
    Q_OBJECT

    DownloadTestBed bed;

private slots:
    void init() { QVERIFY(bed.begin()); }
    void cleanup() { bed.end(); }

    void segmentCountsOutsideOneToFifteenAreRefused()
    {
        const QString url = bed.urlOf(generated(100, QStringLiteral("count.bin")));
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);

        QVERIFY(!control.downloadFile(url, bed.filePath(QStringLiteral("a.bin")), 0));
        QCOMPARE(errors.takeFirst(), (QVariantList{0, QStringLiteral("to few threads")}));
        QVERIFY(!control.downloadFile(url, bed.filePath(QStringLiteral("a.bin")), 16));
        QCOMPARE(errors.takeFirst(), (QVariantList{0, QStringLiteral("to many threads")}));
        QCOMPARE(control.state(), int(DownloadControl::Idle));
        // One and fifteen are downloaded in filesOfSeveralMegabytesArriveIntact.
    }

    void tenBytesInThreeSegmentsAskOverlappingRangesAndReportTwelveBytes()
    {
        const QString path = generated(10, QStringLiteral("ten.bin"));
        const QString target = bed.filePath(QStringLiteral("ten.bin"));
        DownloadControl control;
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 3));
        QCOMPARE(QFileInfo(target).size(), qint64(10)); // allocated before any byte arrives
        QVERIFY(finishes(control));

        QStringList ranges = bed.headersAsked(path);
        ranges.sort();
        QCOMPARE(ranges, (QStringList{QStringLiteral("bytes=0-3"), QStringLiteral("bytes=3-6"),
                                      QStringLiteral("bytes=6-10")}));
        QCOMPARE(progress.last(), (QVariantList{0, qint64(0), qint64(10), qint64(12)}));
        QCOMPARE(DownloadTestBed::readFile(target), source(10));
    }

    void completionReportsTheWholeDownloadThenTheLastSegment()
    {
        const QString url = bed.urlOf(generated(4096, QStringLiteral("end.bin")));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(url, bed.filePath(QStringLiteral("end.bin")), 2));
        QVERIFY(finishes(control));
        QCOMPARE(finished.count(), 3);
        const int first = finished.at(0).at(0).toInt();
        QVERIFY(first == 1 || first == 2);
        QCOMPARE(finished.at(1).at(0).toInt(), 0);
        QCOMPARE(finished.at(2).at(0).toInt(), 3 - first);
        QCOMPARE(control.runningCount(), 0);
        // The controller holds no file any more: it can start another download.
        QVERIFY(control.downloadFile(url, bed.filePath(QStringLiteral("again.bin")), 1));
        QVERIFY(!QFile::exists(bed.filePath(QStringLiteral("end.bin.setting"))));
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
        const QString path = generated(size, QStringLiteral("big.bin"));
        const QString target = bed.filePath(QStringLiteral("big.bin"));
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, segments));
        QVERIFY(finishes(control));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(bed.headersAsked(path).size(), segments);
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
    }

    void pauseAndRestartContinueEverySegmentWhereItStood()
    {
        const qint64 size = 4 * 1024 * 1024;
        const QString path = generated(size, QStringLiteral("pause.bin"));
        const QString target = bed.filePath(QStringLiteral("pause.bin"));
        DownloadControl control;
        qint64 readyAtPause = -1;
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64, qint64 ready) {
                    if (readyAtPause < 0 && ready > 0 && control.state() == DownloadControl::Downloading) {
                        readyAtPause = ready;
                        control.pause();
                    }
                });
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 3));
        QTRY_COMPARE(control.state(), int(DownloadControl::Paused));
        QTest::qWait(50); // nothing moves while paused
        QCOMPARE(control.readySize(), readyAtPause);
        bed.server().clearRequests();

        control.restart();
        QCOMPARE(control.state(), int(DownloadControl::Downloading));
        QVERIFY(finishes(control));
        QVERIFY(DownloadTestBed::readFile(target) == source(size));

        // Each range asked again starts at its segment's start plus what had
        // arrived; together they skip exactly the bytes received before.
        const QStringList ranges = bed.headersAsked(path);
        QVERIFY(!ranges.isEmpty());
        QVERIFY(ranges.size() <= 3);
        const QList<qint64> starts{0, size / 3, size * 2 / 3};
        bool continued = false;
        for (const QString &range : ranges)
            continued |= !starts.contains(rangeStart(range));
        QVERIFY(continued);
    }

    void stopWritesTheResumeFileAndResumingContinuesFromIt()
    {
        const qint64 size = 4 * 1024 * 1024;
        const QString path = generated(size, QStringLiteral("stop.bin"));
        const QString target = bed.filePath(QStringLiteral("stop.bin"));
        DownloadControl control;
        bool stopped = false;
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64, qint64 ready) {
                    if (!stopped && ready > 0) {
                        stopped = true;
                        control.stop();
                    }
                });
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 2));
        QTRY_VERIFY(stopped);
        QCOMPARE(control.state(), int(DownloadControl::Stopped));

        const QSettings setting(resumePath(target), QSettings::IniFormat);
        QCOMPARE(setting.childGroups(), QStringList());
        QCOMPARE(setting.value(QStringLiteral("URL")).toString(), bed.urlOf(path));
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

        bed.server().clearRequests();
        QVERIFY(control.downloadFile(setting.fileName()));
        QVERIFY(finishes(control));
        QStringList ranges = bed.headersAsked(path);
        ranges.sort();
        QStringList expected{QStringLiteral("bytes=%1-%2").arg(ready1).arg(size / 2),
                             QStringLiteral("bytes=%1-%2").arg(size / 2 + ready2).arg(size)};
        expected.sort();
        QCOMPARE(ranges, expected);
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
        QVERIFY(!QFile::exists(setting.fileName()));
    }

    void theFileVersionIsKeptInTheResumeFileAndAskedForOnResume_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("validator");
        QTest::newRow("ETag") << QStringLiteral("ETag") << QStringLiteral("\"v1\"");
        QTest::newRow("Last-Modified") << QStringLiteral("Last-Modified")
                                       << QStringLiteral("Tue, 15 Nov 1994 08:12:31 GMT");
    }

    void theFileVersionIsKeptInTheResumeFileAndAskedForOnResume()
    {
        QFETCH(QString, header);
        QFETCH(QString, validator);
        const qint64 size = 100000;
        const QString path = generated(size, QStringLiteral("version.bin"));
        const QString target = bed.filePath(QStringLiteral("version.bin"));
        bed.server().script(path, {{"headers", QJsonObject{{header, validator}}}, {"times", 0}});
        DownloadControl control;
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 2));
        control.stop();
        QCOMPARE(QSettings(resumePath(target), QSettings::IniFormat).value(QStringLiteral("VALIDATOR")).toString(), validator);

        bed.server().clearRequests();
        QVERIFY(control.downloadFile(resumePath(target)));
        QVERIFY(finishes(control));
        QCOMPARE(bed.headersAsked(path, QStringLiteral("if-range")), (QStringList{validator, validator}));
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
    }

    void resumedSegmentsAskFromStartPlusReadySizeAndCompleteOnesAreNotAsked()
    {
        const QString path = generated(10, QStringLiteral("resume.bin"));
        const QString target = bed.filePath(QStringLiteral("resume.bin"));
        // Segment 1 (0-3) complete, segment 2 (3-6) with 2 bytes, segment 3 with none.
        QByteArray partial(10, '\0');
        partial.replace(0, 5, source(5));
        QVERIFY(bed.dir().write(QStringLiteral("resume.bin"), partial));
        DownloadTestBed::writeResumeFile(target, bed.urlOf(path), 10, {{0, 3, 4}, {3, 6, 2}, {6, 10, 0}});
        DownloadControl control;
        QVERIFY(control.downloadFile(resumePath(target)));
        QVERIFY(finishes(control));
        QStringList ranges = bed.headersAsked(path);
        ranges.sort();
        QCOMPARE(ranges, (QStringList{"bytes=5-6", "bytes=6-10"}));
        // A resume file without a recorded version asks for the ranges as they are.
        QCOMPARE(bed.headersAsked(path, QStringLiteral("if-range")), (QStringList{QString(), QString()}));
        QCOMPARE(DownloadTestBed::readFile(target), source(10));
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
        const QString path = generated(10, QStringLiteral("bad.bin"));
        const QString target = bed.filePath(QStringLiteral("bad.bin"));
        DownloadTestBed::writeResumeFile(target, bed.urlOf(path), 10, {{0, 5, 0}, {5, 10, 0}});
        {
            QSettings setting(resumePath(target), QSettings::IniFormat);
            if (value.isValid())
                setting.setValue(key, value);
            else
                setting.remove(key);
        }
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(!control.downloadFile(resumePath(target)));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first(), (QVariantList{0, QStringLiteral("wrong setting file")}));
        QVERIFY(control.resumeFileUnusable());
        QCOMPARE(control.state(), int(DownloadControl::Idle));
        QVERIFY(bed.headersAsked(path).isEmpty());
        // The refusal holds no file: a new download goes ahead.
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 2));
        QVERIFY(finishes(control));
    }

    void aDroppedConnectionStopsOnlyItsSegmentUntilPauseAndRestart()
    {
        const qint64 size = 2 * 1024 * 1024;
        const QString path = generated(size, QStringLiteral("drop.bin"));
        const QString target = bed.filePath(QStringLiteral("drop.bin"));
        bed.server().script(path, {{"method", "GET"}, {"drop_after", 1000}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 3));
        QTRY_COMPARE(errors.count(), 1);
        QTRY_COMPARE(finished.count(), 2); // the other two segments end
        QTest::qWait(100);
        QCOMPARE(errors.count(), 1);
        const int failed = errors.first().at(0).toInt();
        QVERIFY(failed >= 1 && failed <= 3);
        // Dropped mid-body, the reply fails, or it ends cleanly short of its
        // range: which of the two depends on when the socket's close is seen.
        const QString text = errors.first().at(1).toString();
        QVERIFY2(text.startsWith(QStringLiteral("QNetworkReply::NetworkError : "))
                     || text.startsWith(QStringLiteral("the connection closed after ")),
                 qPrintable(text));
        QCOMPARE(control.state(), int(DownloadControl::Downloading));
        QCOMPARE(control.runningCount(), 1);

        bed.server().clearRequests();
        control.pause();
        control.restart();
        QVERIFY(finishes(control));
        const QStringList ranges = bed.headersAsked(path);
        QCOMPARE(ranges.size(), 1);
        QVERIFY(rangeStart(ranges.first()) > size * (failed - 1) / 3);
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
    }

    // A range answered in part, or a body that ends before its range does,
    // must not pass for a finished segment: the file would hold zeros.
    void aRangeAnsweredInPartIsASegmentErrorUntilAskedAgain_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::newRow("short 206") << QJsonObject{{"short_range", 1000}};
        QTest::newRow("cut without a length") << QJsonObject{{"no_length", true}, {"drop_after", 1000}};
    }

    void aRangeAnsweredInPartIsASegmentErrorUntilAskedAgain()
    {
        QFETCH(QJsonObject, fault);
        const qint64 size = 200000;
        const QString path = generated(size, QStringLiteral("part.bin"));
        const QString target = bed.filePath(QStringLiteral("part.bin"));
        fault.insert(QStringLiteral("method"), QStringLiteral("GET"));
        bed.server().script(path, fault);
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QSignalSpy finished(&control, &DownloadControl::finished);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 2));
        QTRY_COMPARE(errors.count(), 1);
        QTRY_COMPARE(finished.count(), 1); // the other segment
        QCOMPARE(control.state(), int(DownloadControl::Downloading));
        QVERIFY(!finished.contains(QVariantList{0}));

        control.pause();
        control.restart();
        QVERIFY(finishes(control));
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
    }

    // A file replaced on the server (or a size probe that lied) is fetched
    // anew with its new size, never spliced from two versions.
    void aChangedTotalStartsAgainFromZeroWithTheNewSize_data()
    {
        QTest::addColumn<bool>("resumed");
        QTest::newRow("size probe lied") << false;
        QTest::newRow("changed between stop and resume") << true;
    }

    void aChangedTotalStartsAgainFromZeroWithTheNewSize()
    {
        QFETCH(bool, resumed);
        const qint64 before = 100000;
        const qint64 after = 150000;
        const QString path = generated(before, QStringLiteral("changed.bin"));
        const QString target = bed.filePath(QStringLiteral("changed.bin"));
        bed.server().script(path, {{"method", "GET"}, {"size", after}, {"times", 0}});
        DownloadControl control;
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QSignalSpy errors(&control, &DownloadControl::error);
        if (resumed) {
            QVERIFY(bed.dir().write(QStringLiteral("changed.bin"), QByteArray(before, 'x')));
            DownloadTestBed::writeResumeFile(target, bed.urlOf(path), before,
                                             {{0, before / 2, 20000}, {before / 2, before, 20000}});
            QVERIFY(control.downloadFile(resumePath(target)));
        } else {
            QVERIFY(control.downloadFile(bed.urlOf(path), target, 2));
        }
        QVERIFY(finishes(control));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(progress.last().at(2).toLongLong(), after);
        QVERIFY(DownloadTestBed::readFile(target) == source(after));
        QVERIFY(bed.headersAsked(path).contains(QStringLiteral("bytes=0-%1").arg(after / 2)));
        QVERIFY(!QFile::exists(resumePath(target)));
    }

    // A whole file (200) where a range was asked: a server that ignores
    // Range, or a new version behind If-Range. That one request becomes the
    // download, from byte 0.
    void aWholeFileAnswerBecomesTheOnlyRequest_data()
    {
        QTest::addColumn<bool>("resumed");
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<qint64>("size");
        const QJsonObject ignoresRange{{"ignore_range", true}};
        QTest::newRow("new download, Range ignored") << false << QString() << ignoresRange << qint64(100000);
        QTest::newRow("resumed, Range ignored") << true << QString() << ignoresRange << qint64(100000);
        QTest::newRow("resumed, new version behind If-Range")
                << true << QStringLiteral("\"v1\"")
                << QJsonObject{{"headers", QJsonObject{{"ETag", "\"v2\""}}}, {"size", 150000}}
                << qint64(150000);
    }

    void aWholeFileAnswerBecomesTheOnlyRequest()
    {
        QFETCH(bool, resumed);
        QFETCH(QString, validator);
        QFETCH(QJsonObject, fault);
        QFETCH(qint64, size);
        const qint64 before = 100000;
        const QString path = generated(before, QStringLiteral("whole.bin"));
        const QString target = bed.filePath(QStringLiteral("whole.bin"));
        fault.insert(QStringLiteral("method"), QStringLiteral("GET"));
        fault.insert(QStringLiteral("times"), 0);
        bed.server().script(path, fault);
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        if (resumed) {
            QVERIFY(bed.dir().write(QStringLiteral("whole.bin"), QByteArray(before, 'x')));
            DownloadTestBed::writeResumeFile(target, bed.urlOf(path), before,
                                             {{0, before / 3, 3000}, {before / 3, before * 2 / 3, 3000},
                                              {before * 2 / 3, before, 3000}});
            if (!validator.isEmpty())
                QSettings(resumePath(target), QSettings::IniFormat).setValue(QStringLiteral("VALIDATOR"), validator);
            QVERIFY(control.downloadFile(resumePath(target)));
        } else {
            QVERIFY(control.downloadFile(bed.urlOf(path), target, 3));
        }
        QVERIFY(finishes(control));
        QCOMPARE(errors.count(), 0);
        // No request beyond the first ones (those not yet sent when the
        // whole file came are not sent at all).
        QVERIFY(bed.headersAsked(path).size() <= 3);
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
        QVERIFY(!QFile::exists(resumePath(target)));
    }

    void aServerWithoutLengthGivesTheWholeBodyInOneRequest()
    {
        const qint64 size = 200000;
        const QString path = generated(size, QStringLiteral("nolength.bin"));
        const QString target = bed.filePath(QStringLiteral("nolength.bin"));
        bed.server().script(path, {{"no_length", true}, {"times", 0}});
        DownloadControl control;
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 4));
        QVERIFY(finishes(control));
        // The whole body, never a range. (Qt's HTTP layer may send a request
        // once more on its own when a connection closes under it.)
        const QStringList ranges = bed.headersAsked(path);
        QVERIFY(!ranges.isEmpty());
        QCOMPARE(ranges.filter(QStringLiteral("bytes")), QStringList());
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
        QCOMPARE(progress.last().at(2).toLongLong(), size);
        QCOMPARE(progress.last().at(3).toLongLong(), size);
    }

    void aServerWithoutLengthAndWithoutBodyIsNoFinishedDownload()
    {
        const QString path = QStringLiteral("/files/empty.bin");
        bed.server().script(path, {{"body", QString()}, {"no_length", true}, {"times", 0}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(bed.urlOf(path), bed.filePath(QStringLiteral("empty.bin")), 1));
        QTRY_COMPARE(errors.count(), 1);
        QVERIFY(control.state() != DownloadControl::Finished);
    }

    void anEmptyRemoteFileGivesAnEmptyFinishedFile()
    {
        const QString target = bed.filePath(QStringLiteral("zero.bin"));
        QVERIFY(bed.dir().write(QStringLiteral("zero.bin"), "older content"));
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QSignalSpy progress(&control, &DownloadControl::progressChange);
        QVERIFY(control.downloadFile(bed.urlOf(generated(0, QStringLiteral("zero.bin"))), target, 3));
        QVERIFY(finishes(control));
        QCOMPARE(errors.count(), 0);
        QVERIFY(QFile::exists(target));
        QCOMPARE(QFileInfo(target).size(), qint64(0));
        QCOMPARE(progress.last(), (QVariantList{0, qint64(0), qint64(0), qint64(0)}));
    }

    void aWrongStatusIsASegmentErrorAndNothingIsWritten()
    {
        const QString path = generated(1000, QStringLiteral("status.bin"));
        const QString target = bed.filePath(QStringLiteral("status.bin"));
        bed.server().script(path, {{"method", "GET"}, {"status", 404}, {"body", "not here"}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(bed.urlOf(path), target, 1));
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), 1);
        QVERIFY(DownloadTestBed::readFile(target) == QByteArray(1000, '\0'));
    }

    void aFailedSizeProbeRefusesWithoutASignal()
    {
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(!control.downloadFile(bed.urlOf(QStringLiteral("/files/missing.bin")),
                                      bed.filePath(QStringLiteral("missing.bin")), 1));
        QCOMPARE(errors.count(), 0);
        QVERIFY(!control.errorString().isEmpty());
        QVERIFY(!QFile::exists(bed.filePath(QStringLiteral("missing.bin"))));
    }

    void silenceForTheTimeLimitFailsAsATimeOut()
    {
        bed.setTimeLimit(300);
        const QString path = generated(100000, QStringLiteral("stall.bin"));
        bed.server().script(path, {{"method", "GET"}, {"stall_after", 1000}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QVERIFY(control.downloadFile(bed.urlOf(path), bed.filePath(QStringLiteral("stall.bin")), 1));
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), 1);
        QVERIFY2(errors.first().at(1).toString().contains(QStringLiteral("timed out")),
                 qPrintable(errors.first().at(1).toString()));
        QCOMPARE(control.readySize(), qint64(1000));

        // A size probe that gets no answer says so too, after one limit: its
        // tries share it.
        const QString silent = generated(100, QStringLiteral("silent.bin"));
        bed.server().script(silent, {{"hang", true}, {"times", 0}});
        DownloadControl probing;
        QVERIFY(!probing.downloadFile(bed.urlOf(silent), bed.filePath(QStringLiteral("silent.bin")), 1));
        QVERIFY2(probing.errorString().contains(QStringLiteral("timed out")), qPrintable(probing.errorString()));
        QCOMPARE(bed.requestCount(silent, QStringLiteral("HEAD")), 1);
    }

    void aStopDuringTheSizeProbeCancelsTheDownload()
    {
        const QString path = generated(1000, QStringLiteral("slow.bin"));
        bed.server().script(path, {{"method", "HEAD"}, {"delay_ms", 3000}});
        DownloadControl control;
        QSignalSpy errors(&control, &DownloadControl::error);
        QTimer::singleShot(100, &control, &DownloadControl::stop);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!control.downloadFile(bed.urlOf(path), bed.filePath(QStringLiteral("slow.bin")), 1));
        QVERIFY(clock.elapsed() < 2500);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(control.state(), int(DownloadControl::Idle));
        QCOMPARE(bed.requestCount(path, QStringLiteral("GET")), 0);
        QVERIFY(!QFile::exists(bed.filePath(QStringLiteral("slow.bin"))));
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
        const QString target = bed.filePath(QStringLiteral("late.bin"));
        DownloadControl control;
        QSignalSpy finished(&control, &DownloadControl::finished);
        connect(&control, &DownloadControl::progressChange, this,
                [&](int, qint64, qint64 total, qint64 ready) {
                    if (ready >= total && control.state() == DownloadControl::Downloading)
                        control.stop();
                });
        QVERIFY(control.downloadFile(bed.urlOf(generated(5000, QStringLiteral("late.bin"))), target, 1));
        QTRY_COMPARE(control.state(), int(DownloadControl::Finished));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toInt(), 0);
        QVERIFY(!QFile::exists(resumePath(target)));
        QCOMPARE(DownloadTestBed::readFile(target), source(5000));
    }

    void aKilledDownloaderContinuesFromItsLastRefresh()
    {
        const qint64 size = 3 * 1024 * 1024;
        const QString path = generated(size, QStringLiteral("killed.bin"));
        const QString target = bed.filePath(QStringLiteral("killed.bin"));
        // The one segment's connection breaks after 1 MiB and the download
        // stands still there until the program is killed.
        const qint64 cut = 1024 * 1024;
        bed.server().script(path, {{"method", "GET"}, {"drop_after", cut}});
        QProcess downloader;
        downloader.start(QStringLiteral(DOWNLOAD_HELPER), {bed.urlOf(path), QStringLiteral("1"), target});
        QVERIFY(downloader.waitForStarted());
        // Killed as soon as a refresh of the resume file records bytes.
        QTRY_VERIFY_WITH_TIMEOUT(QSettings(resumePath(target), QSettings::IniFormat).value(QStringLiteral("READYSIZE1")).toLongLong() > 0, 10000);
        downloader.kill();
        QVERIFY(downloader.waitForFinished());
        const qint64 saved = QSettings(resumePath(target), QSettings::IniFormat).value(QStringLiteral("READYSIZE1")).toLongLong();
        QVERIFY(saved > 0);
        QVERIFY(saved <= cut);
        QCOMPARE(downloader.exitStatus(), QProcess::CrashExit);

        bed.server().clearRequests();
        DownloadControl control;
        QVERIFY(control.downloadFile(resumePath(target)));
        QVERIFY(finishes(control));
        QCOMPARE(bed.headersAsked(path), QStringList{QStringLiteral("bytes=%1-%2").arg(saved).arg(size)});
        QVERIFY(DownloadTestBed::readFile(target) == source(size));
        QVERIFY(!QFile::exists(resumePath(target)));
    }
};

QTEST_GUILESS_MAIN(TestDownloadControl)
#include "tst_downloadcontrol.moc"
