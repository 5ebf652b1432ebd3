#include "download/contentrange.h"
#include "download/downloadcontrol.h"
#include "downloadtestbed.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray source(qint64 size)
{
    return StandInServer::generatedBytes(0, size);
}

QString resumePath(const QString &target)
{
    return target + QStringLiteral(".setting");
}

qint64 resumeValue(const QString &target, const QString &key)
{
    return QSettings(resumePath(target), QSettings::IniFormat).value(key).toLongLong();
}

} // namespace

class TestDownloadControl : public QObject
{
    Q_OBJECT

    DownloadTestBed bed;
    // A controller of each test's own, and what it signals.
    QScopedPointer<DownloadControl> control;
    QScopedPointer<QSignalSpy> errors, progress, finished;

    // The ranges asked for the file at `path`, in order.
    QStringList rangesAsked(const QString &path) const { QStringList ranges = bed.headersAsked(path); return ranges.sort(), ranges; }

    bool finishes() const
    {
        return QTest::qWaitFor([this] { return control->state() == DownloadControl::Finished; }, 10000);
    }

    // A file the stand-in serves, and where it is saved.
    struct Remote
    {
        QString path, url, target;
    };
    Remote remote(qint64 size, const QString &name) const
    {
        const QString path = StandInServer::generatedFilePath(size, name);
        return {path, bed.urlOf(path), bed.filePath(name)};
    }

private slots:
    void init()
    {
        QVERIFY(bed.begin());
        control.reset(new DownloadControl);
        errors.reset(new QSignalSpy(control.data(), &DownloadControl::error));
        progress.reset(new QSignalSpy(control.data(), &DownloadControl::progressChange));
        finished.reset(new QSignalSpy(control.data(), &DownloadControl::finished));
    }

    void cleanup()
    {
        control.reset();
        bed.end();
    }

    void refusalsCarryTheirTexts()
    {
        const Remote file = remote(100, "count.bin");
        QVERIFY(!control->downloadFile(file.url, file.target, 0));
        QVERIFY(!control->downloadFile(file.url, file.target, 16));
        control->pause();
        control->restart();
        control->stop();
        QStringList texts;
        for (const QVariantList &error : *errors)
            texts << error.at(1).toString();
        QCOMPARE(texts, (QStringList{"to few threads", "to many threads", "is not downloading", "is not paused",
                                     "can not stop"}));
        QCOMPARE(control->state(), int(DownloadControl::Idle));
    }

    // Ten bytes in three segments: overlapping ranges, twelve bytes reported;
    // the end of the whole download comes before that of its last segment.
    void segmentsAskOverlappingRangesAndTheEndComesOnce()
    {
        const Remote file = remote(10, "ten.bin");
        QVERIFY(control->downloadFile(file.url, file.target, 3));
        QCOMPARE(QFileInfo(file.target).size(), qint64(10)); // allocated before any byte arrives
        QVERIFY(finishes());

        QCOMPARE(rangesAsked(file.path), (QStringList{"bytes=0-3", "bytes=3-6", "bytes=6-10"}));
        QCOMPARE(progress->last(), (QVariantList{0, qint64(0), qint64(10), qint64(12)}));
        QCOMPARE(DownloadTestBed::readFile(file.target), source(10));
        QList<int> ends;
        for (const QVariantList &end : *finished)
            ends << end.at(0).toInt();
        QCOMPARE(ends.size(), 4);
        QCOMPARE(ends.at(2), 0);
        QCOMPARE(ends.at(0) + ends.at(1) + ends.at(3), 6);
        QCOMPARE(control->runningCount(), 0);
        QVERIFY(!QFile::exists(resumePath(file.target)));
        // The controller holds no file any more: it can start another download.
        QVERIFY(control->downloadFile(file.url, bed.filePath("again.bin"), 1));
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
        const Remote file = remote(size, "big.bin");
        QVERIFY(control->downloadFile(file.url, file.target, segments));
        QVERIFY(finishes());
        QCOMPARE(errors->count(), 0);
        QCOMPARE(bed.headersAsked(file.path).size(), segments);
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
    }

    // The resume file a stop leaves, with the file's version, which a resume
    // asks for with If-Range.
    void stopWritesTheResumeFileAndResumingContinuesFromIt_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("validator");
        QTest::newRow("ETag") << "ETag" << "\"v1\"";
        QTest::newRow("Last-Modified") << "Last-Modified" << "Tue, 15 Nov 1994 08:12:31 GMT";
    }

    void stopWritesTheResumeFileAndResumingContinuesFromIt()
    {
        QFETCH(QString, header);
        QFETCH(QString, validator);
        const qint64 size = 4 * 1024 * 1024;
        const Remote file = remote(size, "stop.bin");
        bed.server().script(file.path, {{"headers", QJsonObject{{header, validator}}}, {"times", 0}});
        connect(control.data(), &DownloadControl::progressChange, this, [&](int, qint64, qint64, qint64 ready) {
            if (ready > 0 && control->state() == DownloadControl::Downloading)
                control->stop();
        });
        QVERIFY(control->downloadFile(file.url, file.target, 2));
        QTRY_COMPARE(control->state(), int(DownloadControl::Stopped));
        control->disconnect(this);

        const QSettings setting(resumePath(file.target), QSettings::IniFormat);
        const qint64 ready1 = setting.value("READYSIZE1").toLongLong();
        const qint64 ready2 = setting.value("READYSIZE2").toLongLong();
        QVERIFY(ready1 + ready2 > 0);
        QStringList written; // every key, none in a group
        for (const QString &key : setting.allKeys())
            written << key + '=' + setting.value(key).toString();
        const auto number = [](qint64 value) { return QString::number(value); };
        QCOMPARE(written, (QStringList{"COUNT=2", "ENDPOINT1=" + number(size / 2), "ENDPOINT2=" + number(size),
                                       "READYSIZE=" + number(ready1 + ready2), "READYSIZE1=" + number(ready1),
                                       "READYSIZE2=" + number(ready2), "SAVEFILE=" + file.target, "STARTPOINT1=0",
                                       "STARTPOINT2=" + number(size / 2), "TOTALSIZE=" + number(size),
                                       "URL=" + file.url, "VALIDATOR=" + validator}));

        bed.server().clearRequests();
        QVERIFY(control->downloadFile(setting.fileName()));
        QVERIFY(finishes());
        QStringList expected{QStringLiteral("bytes=%1-%2").arg(ready1).arg(size / 2),
                             QStringLiteral("bytes=%1-%2").arg(size / 2 + ready2).arg(size)};
        expected.sort();
        QCOMPARE(rangesAsked(file.path), expected);
        QCOMPARE(bed.headersAsked(file.path, "if-range"), (QStringList{validator, validator}));
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
        QVERIFY(!QFile::exists(setting.fileName()));
    }

    void resumedSegmentsAskFromStartPlusReadySizeAndCompleteOnesAreNotAsked()
    {
        const Remote file = remote(10, "resume.bin");
        // Segment 1 (0-3) complete, segment 2 (3-6) with 2 bytes, segment 3 with none.
        QVERIFY(bed.dir().write("resume.bin", source(5) + QByteArray(5, 0)));
        DownloadTestBed::writeResumeFile(file.target, file.url, 10, {{0, 3, 4}, {3, 6, 2}, {6, 10, 0}});
        QVERIFY(control->downloadFile(resumePath(file.target)));
        QVERIFY(finishes());
        QCOMPARE(rangesAsked(file.path), (QStringList{"bytes=5-6", "bytes=6-10"}));
        // A resume file without a recorded version asks for the ranges as they are.
        QCOMPARE(bed.headersAsked(file.path, "if-range"), (QStringList{QString(), QString()}));
        QCOMPARE(DownloadTestBed::readFile(file.target), source(10));
    }

    // What a server says of ranges and sizes, up to the largest 64-bit
    // counts: never an overflow (the sanitizer build would stop on one).
    void rangesAndSizesAtTheLimitsOfACount_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("length"); // -1: no range
        QTest::addColumn<qint64>("total");
        QTest::newRow("a range") << QByteArray("bytes 0-9/10") << qint64(10) << qint64(10);
        QTest::newRow("size unknown") << QByteArray("bytes 5-9/*") << qint64(5) << qint64(-1);
        QTest::newRow("unsatisfiable") << QByteArray("bytes */100") << qint64(-1) << qint64(100);
        QTest::newRow("last byte 2^63 - 1") << QByteArray("bytes 0-9223372036854775807/*") << qint64(-1) << qint64(-1);
        QTest::newRow("last byte 2^63 - 2") << QByteArray("bytes 0-9223372036854775806/*")
                                            << Q_INT64_C(9223372036854775807) << qint64(-1);
        QTest::newRow("beyond 64 bits") << QByteArray("bytes 1-99999999999999999999/99999999999999999999")
                                        << qint64(-1) << qint64(-1);
        QTest::newRow("backwards") << QByteArray("bytes 9-5/10") << qint64(-1) << qint64(10);
        QTest::newRow("several ranges") << QByteArray("bytes 0-1/10, 3-4/10") << qint64(-1) << qint64(-1);
    }

    void rangesAndSizesAtTheLimitsOfACount()
    {
        QFETCH(QByteArray, header);
        QFETCH(qint64, length);
        QFETCH(qint64, total);
        const ContentRange range = ContentRange::parse(header);
        QCOMPARE(range.length(), length);
        QCOMPARE(range.total, total);
        // Segments laid out over the largest sizes end where the file does.
        for (const qint64 size : {Q_INT64_C(9223372036854775807), Q_INT64_C(9223372036854775806), qint64(10)}) {
            for (int count = 1; count <= 10; ++count) {
                qint64 previous = 0;
                for (int i = 1; i <= count; ++i) {
                    const qint64 at = ContentRange::splitAt(size, i, count);
                    QVERIFY(at >= previous && at <= size);
                    previous = at;
                }
                QCOMPARE(previous, size);
            }
        }
    }

    void damagedResumeFilesAreRefused_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("COUNT 0") << "COUNT" << QVariant(0);
        QTest::newRow("COUNT 16") << "COUNT" << QVariant(16);
        QTest::newRow("ENDPOINT2 missing") << "ENDPOINT2" << QVariant();
        QTest::newRow("range past the file") << "ENDPOINT2" << QVariant(11);
        QTest::newRow("more received than the range holds") << "READYSIZE1" << QVariant(7);
        QTest::newRow("received 2^63 - 1") << "READYSIZE2" << QVariant(Q_INT64_C(9223372036854775807));
        QTest::newRow("range of 2^63 - 1") << "ENDPOINT2" << QVariant(Q_INT64_C(9223372036854775807));
    }

    void damagedResumeFilesAreRefused()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        const Remote file = remote(10, "bad.bin");
        DownloadTestBed::writeResumeFile(file.target, file.url, 10, {{0, 5, 0}, {5, 10, 0}});
        {
            QSettings setting(resumePath(file.target), QSettings::IniFormat);
            value.isValid() ? setting.setValue(key, value) : setting.remove(key);
        }
        QVERIFY(!control->downloadFile(resumePath(file.target)));
        QCOMPARE(errors->count(), 1);
        QCOMPARE(errors->first(), (QVariantList{0, QStringLiteral("wrong setting file")}));
        QVERIFY(control->resumeFileUnusable());
        QCOMPARE(control->state(), int(DownloadControl::Idle));
        QVERIFY(bed.headersAsked(file.path).isEmpty());
        // The refusal holds no file: a new download goes ahead.
        QVERIFY(control->downloadFile(file.url, file.target, 2));
        QVERIFY(finishes());
    }

    // A connection dropped mid-body, a range answered in part or with a wrong
    // status, or a body that ends before its range does: an error of that
    // segment alone, never a finished one (the file would hold zeros), until
    // paused and restarted.
    void aBrokenRangeIsASegmentErrorUntilAskedAgain_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<int>("segments");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("continues"); // from the bytes that came, or from the segment's start
        QTest::newRow("dropped") << QJsonObject{{"drop_after", 1000}} << 3 << qint64(2 * 1024 * 1024) << true;
        QTest::newRow("short 206") << QJsonObject{{"short_range", 1000}} << 2 << qint64(200000) << false;
        QTest::newRow("cut without a length") << QJsonObject{{"no_length", true}, {"drop_after", 1000}} << 2
                                              << qint64(200000) << true;
        QTest::newRow("404") << QJsonObject{{"status", 404}, {"body", "not here"}} << 1 << qint64(1000) << false;
    }

    void aBrokenRangeIsASegmentErrorUntilAskedAgain()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(int, segments);
        QFETCH(qint64, size);
        QFETCH(bool, continues);
        const Remote file = remote(size, "part.bin");
        fault.insert("method", "GET");
        bed.server().script(file.path, fault);
        QVERIFY(control->downloadFile(file.url, file.target, segments));
        QTRY_COMPARE(errors->count(), 1);
        QTRY_COMPARE(finished->count(), segments - 1); // the other segments end
        QTest::qWait(100);
        QCOMPARE(errors->count(), 1);
        QVERIFY(!finished->contains(QVariantList{0}));
        QCOMPARE(control->state(), int(DownloadControl::Downloading));
        QCOMPARE(control->runningCount(), 1);
        const int failed = errors->first().at(0).toInt();
        QVERIFY(failed >= 1 && failed <= segments);

        bed.server().clearRequests();
        control->pause();
        control->restart();
        QVERIFY(finishes());
        const QStringList ranges = bed.headersAsked(file.path);
        QCOMPARE(ranges.size(), 1);
        const qint64 from = ranges.first().mid(6).section(QLatin1Char('-'), 0, 0).toLongLong(); // "bytes=from-to"
        QCOMPARE(from > size * (failed - 1) / segments, continues);
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
    }

    // A file replaced on the server (or a size probe that lied) is fetched
    // anew from zero with its new size, never spliced from two versions. A
    // whole file (200) where a range was asked, from a server that ignores
    // Range or a new version behind If-Range, becomes the only request.
    void aChangedOrWholeFileIsTakenFromByteZero_data()
    {
        QTest::addColumn<bool>("resumed");
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("whole");
        const QJsonObject bigger{{"size", 150000}};
        const QJsonObject ignoresRange{{"ignore_range", true}};
        QTest::newRow("size probe lied") << false << QString() << bigger << qint64(150000) << false;
        QTest::newRow("changed between stop and resume") << true << QString() << bigger << qint64(150000) << false;
        QTest::newRow("new download, Range ignored") << false << QString() << ignoresRange << qint64(100000) << true;
        QTest::newRow("resumed, Range ignored") << true << QString() << ignoresRange << qint64(100000) << true;
        QTest::newRow("resumed, new version behind If-Range")
                << true << "\"v1\"" << QJsonObject{{"headers", QJsonObject{{"ETag", "\"v2\""}}}, {"size", 150000}}
                << qint64(150000) << true;
    }

    void aChangedOrWholeFileIsTakenFromByteZero()
    {
        QFETCH(bool, resumed);
        QFETCH(QString, validator);
        QFETCH(QJsonObject, fault);
        QFETCH(qint64, size);
        QFETCH(bool, whole);
        const qint64 before = 100000;
        const Remote file = remote(before, "changed.bin");
        fault.insert("method", "GET");
        fault.insert("times", 0);
        bed.server().script(file.path, fault);
        if (resumed) {
            QVERIFY(bed.dir().write("changed.bin", QByteArray(before, 'x')));
            DownloadTestBed::writeResumeFile(file.target, file.url, before,
                                             {{0, before / 2, 20000}, {before / 2, before, 20000}});
            if (!validator.isEmpty())
                QSettings(resumePath(file.target), QSettings::IniFormat).setValue("VALIDATOR", validator);
            QVERIFY(control->downloadFile(resumePath(file.target)));
        } else {
            QVERIFY(control->downloadFile(file.url, file.target, 2));
        }
        QVERIFY(finishes());
        QCOMPARE(errors->count(), 0);
        QCOMPARE(progress->last().at(2).toLongLong(), size);
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
        QVERIFY(!QFile::exists(resumePath(file.target)));
        const QStringList ranges = bed.headersAsked(file.path);
        if (whole) // no request beyond the first ones
            QVERIFY(ranges.size() <= 2);
        else
            QVERIFY(ranges.contains(QStringLiteral("bytes=0-%1").arg(size / 2)));
    }

    void aServerWithoutLengthGivesTheWholeBodyInOneRequest()
    {
        const qint64 size = 200000;
        const Remote file = remote(size, "nolength.bin");
        bed.server().script(file.path, {{"no_length", true}, {"times", 0}});
        QVERIFY(control->downloadFile(file.url, file.target, 4));
        QVERIFY(finishes());
        // The whole body, never a range. (Qt's HTTP layer may send a request
        // once more on its own when a connection closes under it.)
        const QStringList ranges = bed.headersAsked(file.path);
        QVERIFY(!ranges.isEmpty());
        QCOMPARE(ranges.filter("bytes"), QStringList());
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
        QCOMPARE(progress->last().mid(2), (QVariantList{size, size}));

        // Without a body either, it is no finished download.
        bed.server().script("/files/empty.bin", {{"body", QString()}, {"no_length", true}, {"times", 0}});
        QVERIFY(control->downloadFile(bed.urlOf("/files/empty.bin"), bed.filePath("empty.bin"), 1));
        QTRY_COMPARE(errors->count(), 1);
        QVERIFY(control->state() != DownloadControl::Finished);
    }

    void anEmptyRemoteFileGivesAnEmptyFinishedFile()
    {
        const Remote file = remote(0, "zero.bin");
        QVERIFY(bed.dir().write("zero.bin", "older content"));
        QVERIFY(control->downloadFile(file.url, file.target, 3));
        QVERIFY(finishes());
        QCOMPARE(errors->count(), 0);
        QVERIFY(QFile::exists(file.target));
        QCOMPARE(QFileInfo(file.target).size(), qint64(0));
        QCOMPARE(progress->last(), (QVariantList{0, qint64(0), qint64(0), qint64(0)}));
    }

    void silenceForTheTimeLimitFailsAsATimeOut()
    {
        bed.setTimeLimit(300);
        const Remote file = remote(100000, "stall.bin");
        bed.server().script(file.path, {{"method", "GET"}, {"stall_after", 1000}});
        QVERIFY(control->downloadFile(file.url, file.target, 1));
        QTRY_COMPARE(errors->count(), 1);
        QCOMPARE(errors->first().at(0).toInt(), 1);
        QVERIFY2(errors->first().at(1).toString().contains("timed out"), qPrintable(errors->first().at(1).toString()));
        QCOMPARE(control->readySize(), qint64(1000));

        // A size probe that fails refuses at once, without a signal or a file;
        // one that gets no answer says so after one limit: its tries share it.
        const Remote silent = remote(100, "silent.bin");
        bed.server().script(silent.path, {{"hang", true}, {"times", 0}});
        DownloadControl probing;
        QSignalSpy probeErrors(&probing, &DownloadControl::error);
        QVERIFY(!probing.downloadFile(bed.urlOf("/files/missing.bin"), silent.target, 1));
        QVERIFY(!probing.errorString().isEmpty());
        QVERIFY(!probing.downloadFile(silent.url, silent.target, 1));
        QVERIFY2(probing.errorString().contains("timed out"), qPrintable(probing.errorString()));
        QCOMPARE(bed.server().requests(silent.path).size(), 1);
        QCOMPARE(probeErrors.count(), 0);
        QVERIFY(!QFile::exists(silent.target));
    }

    void stopAfterTheLastBytesCompletesInsteadOfStopping()
    {
        const Remote file = remote(5000, "late.bin");
        connect(control.data(), &DownloadControl::progressChange, this, [&](int, qint64, qint64 total, qint64 ready) {
            if (ready >= total && control->state() == DownloadControl::Downloading)
                control->stop();
        });
        QVERIFY(control->downloadFile(file.url, file.target, 1));
        QTRY_COMPARE(control->state(), int(DownloadControl::Finished));
        QCOMPARE(finished->count(), 1);
        QCOMPARE(finished->first(), QVariantList{0});
        QVERIFY(!QFile::exists(resumePath(file.target)));
        QCOMPARE(DownloadTestBed::readFile(file.target), source(5000));
    }

    // The resume file is refreshed while a download runs, so a downloader
    // that dies (here: its resume file taken as it stood when the controller
    // goes) is continued from there.
    void aDownloaderThatDiesIsContinuedFromItsLastRefresh()
    {
        const qint64 size = 3 * 1024 * 1024;
        const qint64 cut = 1024 * 1024;
        const Remote file = remote(size, "killed.bin");
        // The connection breaks after 1 MiB and the download stands still there.
        bed.server().script(file.path, {{"method", "GET"}, {"drop_after", cut}});
        QScopedPointer<DownloadControl> dying(new DownloadControl);
        QVERIFY(dying->downloadFile(file.url, file.target, 1));
        QTRY_VERIFY_WITH_TIMEOUT(resumeValue(file.target, "READYSIZE1") > 0, 10000);
        const QByteArray left = DownloadTestBed::readFile(resumePath(file.target));
        dying.reset();
        QVERIFY(bed.dir().write("killed.bin.setting", left));
        const qint64 saved = resumeValue(file.target, "READYSIZE1");
        QVERIFY(saved > 0 && saved <= cut);

        bed.server().clearRequests();
        QVERIFY(control->downloadFile(resumePath(file.target)));
        QVERIFY(finishes());
        QCOMPARE(bed.headersAsked(file.path), QStringList{QStringLiteral("bytes=%1-%2").arg(saved).arg(size)});
        QVERIFY(DownloadTestBed::readFile(file.target) == source(size));
        QVERIFY(!QFile::exists(resumePath(file.target)));
    }
};

QTEST_GUILESS_MAIN(TestDownloadControl)
#include "tst_downloadcontrol.moc"
