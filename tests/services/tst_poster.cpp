#include "services/posterfunction.h"
#include "services/postermodel.h"
#include "testdatadir.h"
#include "standinserver.h"

#include <QDateTime>
#include <QFile>
#include <QTextCodec>
#include <QtTest>

namespace {

QJsonObject news(const QString &title)
{
    const QJsonObject article{{"id", 7}, {"title", title}, {"p_url", "http://news/7"},
                              {"summary", "s"}, {"content", "c"}};
    const QJsonObject answer{{"states", true}, {"data", QJsonArray{article}}};
    return {{"json", answer}, {"times", 0}};
}

QStringList takeTitles(const QVariantList &list)
{
    return takeValues(list, "title");
}

} // namespace

// Company news, policy news and notices, and the one-hour cache files.
class PosterTest : public QObject
{
    Q_OBJECT

private:
    int articleRequests() const { return m_server.requests("/api/ArticleApi/getArticle").size(); }

    QScopedPointer<TestDataDir> m_dir;
    StandInServer m_server;
    QScopedPointer<PosterFunction> poster;

    void setAge(const QString &name, int minutes)
    {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutes),
                                 QFileDevice::FileModificationTime));
    }

private slots:
    void init()
    {
        QVERIFY(m_server.isRunning());
        m_server.reset();
        m_dir.reset(new TestDataDir);
        poster.reset(new PosterFunction);
    }

    void cleanup()
    {
        poster.reset();
        m_dir.reset();
        qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
    }

    // A missing cache is asked for (the list, then the cache) and written in
    // the Chinese code page; it is served for 59 minutes and asked anew at 61.
    void cacheIsWrittenAndServedForAnHour()
    {
        const QString title = QStringLiteral("增值税发票新政策𠀀解读");
        m_server.script("/api/ArticleApi/getArticle", news(title));
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({title}));
        QCOMPARE(articleRequests(), 2);
        const QString asked = m_server.requests("/api/ArticleApi/getArticle").first()["body"].toString();
        QVERIFY2(asked.startsWith("classid=4&num=2&ip="), qPrintable(asked));
        QVERIFY(m_dir->read("buffnotice.json").endsWith("}\r\n"));
        QVERIFY(m_dir->read("buffnotice.json").contains(QTextCodec::codecForName("GB18030")->fromUnicode(title)));

        m_server.unscript();
        m_server.script("/api/ArticleApi/getArticle", news("新"));
        m_server.clearRequests();
        setAge("buffnotice.json", 59);
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({title}));
        QCOMPARE(articleRequests(), 0);
        setAge("buffnotice.json", 61);
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({"新"}));
        QCOMPARE(articleRequests(), 2);
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({"新"}));
        QCOMPARE(articleRequests(), 2);
    }

    // A cache that is no success gives nothing; an empty file is rebuilt,
    // but a line end alone is served as it is.
    void unusualCachesAreTakenAsTheyAre_data()
    {
        QTest::addColumn<QByteArray>("cache");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("requests");
        QTest::newRow("not a success") << QByteArray("{\"states\": 1, \"data\": [{\"title\": \"x\"}]}\r\n") << QStringList() << 0;
        QTest::newRow("empty") << QByteArray() << QStringList{"有"} << 2;
        QTest::newRow("a line end") << QByteArray("\r\n") << QStringList() << 0;
    }

    void unusualCachesAreTakenAsTheyAre()
    {
        QFETCH(QByteArray, cache);
        QFETCH(QStringList, titles);
        QFETCH(int, requests);
        m_server.script("/api/ArticleApi/getArticle", news("有"));
        QVERIFY(m_dir->write("buffnotice.json", cache));
        QCOMPARE(takeTitles(poster->getNotice()), titles);
        QCOMPARE(articleRequests(), requests);
    }

    // A failure, a success without data or a list cut short: the last good
    // cache stays and is shown, the list is not asked for again for a while,
    // and nothing is cached where there was no cache yet.
    void failureIsNeverCachedAndTheLastGoodCacheStands_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::newRow("500") << QJsonObject{{"status", 500}, {"body", "busy"}};
        QTest::newRow("success without data") << QJsonObject{{"json", QJsonObject{{"states", true}}}};
        QJsonObject cut = news("半截");
        cut.insert("short_by", 100);
        QTest::newRow("whole list, cut short after it") << cut;
    }

    void failureIsNeverCachedAndTheLastGoodCacheStands()
    {
        QFETCH(QJsonObject, fault);
        m_server.script("/api/ArticleApi/getArticle", news("好消息"));
        takeTitles(poster->getNotice());
        const QByteArray good = m_dir->read("buffnotice.json");

        m_server.unscript();
        fault.insert("times", 0);
        m_server.script("/api/ArticleApi/getArticle", fault);
        setAge("buffnotice.json", 61);
        m_server.clearRequests();
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({"好消息"}));
        QCOMPARE(articleRequests(), 1);
        QCOMPARE(m_dir->read("buffnotice.json"), good);
        QCOMPARE(takeTitles(poster->getNotice()), QStringList({"好消息"}));
        poster->buffNotice();
        QCOMPARE(articleRequests(), 1);

        QVERIFY(poster->getPolicy().isEmpty());
        poster->buffPolicy();
        QVERIFY(!QFile::exists(m_dir->filePath("buffpolicy.json")));
    }

    void silentPlatformCostsTheTimeLimitOnce()
    {
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "300");
        m_server.script("/api/ArticleApi/getArticle", news("昨天的"));
        takeTitles(poster->getPolicy());
        QVERIFY(m_server.requests("/api/ArticleApi/getArticle").first()["body"].toString().startsWith(
            "classid=3&num=3&ip="));
        setAge("buffpolicy.json", 24 * 60);

        m_server.unscript();
        m_server.script("/api/ArticleApi/getArticle", {{"hang", true}, {"times", 0}});
        m_server.clearRequests();
        for (int visit = 0; visit < 3; ++visit)
            QCOMPARE(takeTitles(poster->getPolicy()), QStringList({"昨天的"}));
        QCOMPARE(articleRequests(), 1);
    }

    void articleFieldsAndDefaults()
    {
        const QJsonObject fullArticle{{"id", 3}, {"title", "t"}, {"p_url", "u"}, {"summary", "s"}, {"content", "c"}};
        const QJsonObject answer{{"states", true}, {"data", QJsonArray{fullArticle, QJsonObject{{"title", "no url"}}, 5}}};
        m_server.script("/api/ArticleApi/getArticle", {{"json", answer}});
        QStringList shown;
        for (const QVariant &article : poster->getSystemNotice(8, 5)) {
            const QScopedPointer<PosterModel> model(article.value<PosterModel *>());
            QVERIFY(model && !model->parent());
            shown << QStringLiteral("%1|%2|%3|%4|%5").arg(model->id()).arg(model->title(), model->url(), model->summary(), model->content());
        }
        QCOMPARE(shown, QStringList({"3|t|u|s|c", "0|no url|||", "0||||"}));
        QVERIFY(m_server.requests("/api/ArticleApi/getArticle").first()["body"].toString().startsWith("classid=8&num=5&ip="));
    }

    void systemNoticesAndTheirCount()
    {
        const QList<QPair<QJsonObject, int>> answers{
            {{{"json", QJsonObject{{"states", true}, {"data", QJsonArray{QJsonObject(), QJsonObject()}}}}}, 2},
            {{{"json", QJsonObject{{"states", true}, {"data", QJsonArray()}}}}, 0},
            {{{"json", QJsonObject{{"states", "true"}, {"data", QJsonArray{1}}}}}, 0},
            {{{"body", "not json"}}, 0}};
        for (const auto &answer : answers) {
            m_server.script("/api/platapi/getArticle", answer.first);
            QCOMPARE(poster->getSystemNoticeCount(8, 5), answer.second);
        }
        QVERIFY(m_server.requests("/api/platapi/getArticle").first()["body"].toString().startsWith("classid=8&num=5&ip="));
    }

    void indexArticlesGoToTheirOwnCache()
    {
        poster->buffNoticePolicy();
        const QJsonArray sent = m_server.requests("/api/ArticleApi/getIndexArticle");
        QCOMPARE(sent.size(), 1);
        QVERIFY(sent.first()["body"].toString().startsWith("&ip="));
        QVERIFY(m_dir->read("buff.json").endsWith("\r\n"));
    }
};

QTEST_GUILESS_MAIN(PosterTest)
#include "tst_poster.moc"
