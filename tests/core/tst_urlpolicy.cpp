#include "core/urlpolicy.h"
#include "urlcatcher.h"

#include <QtTest>

// What goes to the desktop's opener and what an embedded view may load,
// whatever address the platform or a page names.
class TestUrlPolicy : public QObject
{
    Q_OBJECT

private slots:
    void onlyWebAddressesGoToTheDesktop_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("viewMayLoad");
        QTest::newRow("http") << "http://127.0.0.1/article/1.html" << true << true;
        QTest::newRow("https, upper case") << "HTTPS://platform.test/a?b=c" << true << true;
        QTest::newRow("blanks around") << "  http://platform.test/  " << true << true;
        QTest::newRow("about:blank") << "about:blank" << false << true;
        QTest::newRow("about:config") << "about:config" << false << false;
        QTest::newRow("file") << "file:///etc/passwd" << false << false;
        QTest::newRow("javascript") << " JavaScript:alert(1)" << false << false;
        QTest::newRow("data") << "data:text/html,<script>alert(1)</script>" << false << false;
        QTest::newRow("share") << "smb://host/share/x.exe" << false << false;
        QTest::newRow("diagnostics") << "ms-msdt:/id PCWDiagnostic" << false << false;
        QTest::newRow("web, no host") << "http:///etc/passwd" << false << false;
        QTest::newRow("no scheme") << "//platform.test/a" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }

    void onlyWebAddressesGoToTheDesktop()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        QFETCH(bool, viewMayLoad);
        const QString scheme = UrlPolicy::parse(address).scheme();
        UrlCatcher catcher(scheme.isEmpty() ? QStringLiteral("x-none") : scheme);
        UrlPolicy policy;
        QCOMPARE(policy.openExternally(address), opened);
        QCOMPARE(catcher.urls.size(), opened ? 1 : 0);
        QCOMPARE(policy.mayLoad(address), viewMayLoad);
    }

    void aRefusedAddressIsLoggedOnOneLine()
    {
        const QString printable = UrlPolicy::printable(QStringLiteral("file:///a\nb\r\x1b") + QString(500, 'x'));
        QVERIFY(printable.startsWith(QStringLiteral("file:///a\\u000ab\\u000d\\u001b")));
        QVERIFY(printable.size() < 260);
    }
};

QTEST_MAIN(TestUrlPolicy)
#include "tst_urlpolicy.moc"
