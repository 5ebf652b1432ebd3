#include "browsertest.h"
#include "modalanswerer.h"
#include "standinserver.h"

#include "browser/browserhost.h"
#include "browser/browserwindow.h"
#include "browser/tabwidget.h"
#include "browser/webbrowerfunction.h"
#include "browser/webview.h"
#include "app/startup.h"

#include <QMenu>
#include <QPushButton>
#include <QMessageBox>
#include <QPointer>
#include <QTextDocument>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTabBar>

#include <memory>

// Browser windows, their tabs and the browser host, with real pages from the
// stand-in server.
class TestBrowserWindow : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    std::unique_ptr<BrowserHost> m_host;
    std::unique_ptr<QmlWarningGuard> m_guard;

    QUrl page(const QString &title) const
    {
        return QUrl(m_server.baseUrl() + QStringLiteral("/browser/page?title=") + title);
    }

    // A window whose tabs show pages titled by `titles`, the last one
    // current; null when they do not load.
    BrowserWindow *windowWithPages(const QStringList &titles)
    {
        BrowserWindow *window = m_host->createWindow();
        for (int i = 0; i < titles.size(); ++i) {
            if (i > 0)
                window->tabWidget()->createTab();
            window->tabWidget()->setUrl(page(titles.at(i)));
        }
        const bool loaded = QTest::qWaitFor([&] {
            for (int i = 0; i < titles.size(); ++i) {
                if (window->tabWidget()->tabText(i) != titles.at(i))
                    return false;
            }
            return true;
        }, WebTimeoutMs);
        return loaded ? window : nullptr;
    }

    static QStringList menuTexts(const QMenu *menu)
    {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->isSeparator() ? QStringLiteral("|") : action->text());
        return texts;
    }

    static void choose(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        menu->close();
        QFAIL(qPrintable(QStringLiteral("no menu item ") + text));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        m_guard = std::make_unique<QmlWarningGuard>();
    }

    void init()
    {
        m_host = std::make_unique<BrowserHost>();
    }

    void cleanup()
    {
        m_host.reset();
    }

    void windowTitleFollowsTheCurrentTab()
    {
        BrowserWindow *window = m_host->createWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Plit Browser"));
        QCOMPARE(window->tabWidget()->count(), 1);
        QCOMPARE(window->tabWidget()->tabText(0), QStringLiteral("(Untitled)"));

        window->tabWidget()->setUrl(page(QStringLiteral("News")));
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("News - Plit Browser"), WebTimeoutMs);
        QTextDocument tip;
        tip.setHtml(window->tabWidget()->tabToolTip(0));
        QCOMPARE(tip.toPlainText(), QStringLiteral("News"));
        QCOMPARE(window->tabWidget()->tabBar()->tabData(0).toUrl(), page(QStringLiteral("News")));

        // A tab in the background does not name the window until it is
        // current. A title is the page's text, never markup.
        WebView *other = window->tabWidget()->createBackgroundTab();
        other->setUrl(page(QStringLiteral("<b>Other</b>")));
        QTRY_COMPARE_WITH_TIMEOUT(window->tabWidget()->tabText(1), QStringLiteral("<b>Other</b>"), WebTimeoutMs);
        QCOMPARE(window->windowTitle(), QStringLiteral("News - Plit Browser"));
        QCOMPARE(window->currentTab(), window->tabWidget()->widget(0));
        window->tabWidget()->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("<b>Other</b> - Plit Browser"));
        tip.setHtml(window->tabWidget()->tabToolTip(1));
        QCOMPARE(tip.toPlainText(), QStringLiteral("<b>Other</b>"));
        window->tabWidget()->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("News - Plit Browser"));
    }

    void closingAsksOnlyWhenSeveralTabsAreOpen()
    {
        ModalAnswerer answerer;
        QPointer<BrowserWindow> single = m_host->createWindow();
        QVERIFY(single->close());
        QTRY_VERIFY(!single);
        QVERIFY(m_host->windows().isEmpty());

        QPointer<BrowserWindow> window = m_host->createWindow();
        window->tabWidget()->createTab();
        window->tabWidget()->createTab();
        QString question;
        answerer.expect([&question](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            question = box->windowTitle() + QLatin1Char('|') + box->text();
            QCOMPARE(static_cast<QAbstractButton *>(box->defaultButton()), box->button(QMessageBox::No));
            ModalAnswerer::press(modal, QDialogButtonBox::No);
        });
        QVERIFY(!window->close());
        QCOMPARE(question, QStringLiteral("Confirm close|Are you sure you want to close the window ?\n"
                                          "There are 3 tabs open."));
        QVERIFY(window->isVisible());
        QCOMPARE(m_host->windows(), QVector<BrowserWindow *>{window});

        answerer.expect([](QWidget *modal) { ModalAnswerer::press(modal, QDialogButtonBox::Yes); });
        QVERIFY(window->close());
        QTRY_VERIFY(!window);
        QVERIFY(m_host->windows().isEmpty());
        QCOMPARE(answerer.answered(), 2);
        QVERIFY(answerer.unexpected().isEmpty());
    }

    void closingTheLastBrowserWindowLeavesTheProgramRunning()
    {
        // The portal may sit in the tray with no window shown; closing the
        // browser's windows then must not count as closing its last window.
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        const auto closeInEventLoop = [](QWidget *window) {
            window->show();
            QTimer::singleShot(0, window, [window] {
                window->close();
                QTimer::singleShot(0, [] { QCoreApplication::exit(); });
            });
            QCoreApplication::exec();
        };
        closeInEventLoop(m_host->createWindow());
        closeInEventLoop(&m_host->downloadManagerWidget());
        QCOMPARE(lastWindowClosed.count(), 0);
    }

    void closingTheLastTabLeavesAFreshUntitledTab()
    {
        BrowserWindow *window = windowWithPages({QStringLiteral("Only")});
        QVERIFY(window);
        QPointer<WebView> old = window->currentTab();
        window->tabWidget()->closeTab(0);
        QCOMPARE(window->tabWidget()->count(), 1);
        QCOMPARE(window->tabWidget()->tabText(0), QStringLiteral("(Untitled)"));
        QVERIFY(window->currentTab() != old);
        QVERIFY(window->currentTab()->url().isEmpty());
        QCOMPARE(window->windowTitle(), QStringLiteral("Plit Browser"));
        QTRY_VERIFY(!old);
    }

    void tabMenuOffersTabItemsOnlyOnATab()
    {
        BrowserWindow *window = windowWithPages({"One", "Two"});
        QVERIFY(window);
        QTabBar *bar = window->tabWidget()->tabBar();
        QStringList onTab;
        QStringList shortcuts;
        ModalAnswerer::onNextMenu([&](QMenu *menu) {
            onTab = menuTexts(menu);
            for (const QAction *action : menu->actions())
                shortcuts.append(action->shortcut().toString());
            menu->close();
        });
        emit bar->customContextMenuRequested(bar->tabRect(0).center());
        QCOMPARE(onTab, QStringList({"New &Tab", "Clone Tab", "|", "&Close Tab", "Close &Other Tabs",
                                     "|", "Reload Tab", "Reload All Tabs"}));
        QCOMPARE(shortcuts.at(0), QKeySequence(QKeySequence::AddTab).toString());
        QCOMPARE(shortcuts.at(3), QKeySequence(QKeySequence::Close).toString());
        QCOMPARE(shortcuts.at(6), QKeySequence(QKeySequence::Refresh).toString());

        QStringList offTab;
        ModalAnswerer::onNextMenu([&](QMenu *menu) {
            offTab = menuTexts(menu);
            menu->close();
        });
        const QPoint empty(bar->width() - 5, bar->height() / 2);
        QCOMPARE(bar->tabAt(empty), -1);
        emit bar->customContextMenuRequested(empty);
        QCOMPARE(offTab, QStringList({"New &Tab", "|", "Reload All Tabs"}));
    }

    void closeOtherTabsOnTheMiddleOfFiveLeavesItAlone()
    {
        BrowserWindow *window = windowWithPages({"T1", "T2", "T3", "T4", "T5"});
        QVERIFY(window);
        QTabBar *bar = window->tabWidget()->tabBar();
        QWidget *middle = window->tabWidget()->widget(2);
        ModalAnswerer::onNextMenu([](QMenu *menu) { choose(menu, QStringLiteral("Close &Other Tabs")); });
        emit bar->customContextMenuRequested(bar->tabRect(2).center());
        QCOMPARE(window->tabWidget()->count(), 1);
        QCOMPARE(window->tabWidget()->widget(0), middle);
        QCOMPARE(window->tabWidget()->tabText(0), QStringLiteral("T3"));
        QCOMPARE(window->windowTitle(), QStringLiteral("T3 - Plit Browser"));
    }

    void doubleClickOpensATabOnlyOnTheEmptyTabBar()
    {
        BrowserWindow *window = m_host->createWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTabBar *bar = window->tabWidget()->tabBar();
        QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(window->tabWidget()->count(), 1);
        const QPoint empty(bar->width() - 5, bar->height() / 2);
        QCOMPARE(bar->tabAt(empty), -1);
        QTest::mouseDClick(bar, Qt::LeftButton, {}, empty);
        QCOMPARE(window->tabWidget()->count(), 2);
        QCOMPARE(window->tabWidget()->currentIndex(), 1);
    }

    void openBrowerFromQmlOpensATitledWindowOfOneHost()
    {
        RegisterTypeToQml();
        WebBrowerFunction function;
        QQmlEngine engine;
        QmlWarningGuard::watch(&engine);
        engine.rootContext()->setContextProperty(QStringLiteral("webBrowerFunction"), &function);
        engine.rootContext()->setContextProperty(QStringLiteral("address"), page(QStringLiteral("News")));
        QQmlComponent component(&engine);
        component.setData("import QtQuick 2.15\n"
                          "import Function.WebBrowerFunction 1.0\n"
                          "Item { Component.onCompleted: webBrowerFunction.openBrower(address) }",
                          QUrl(QStringLiteral("qrc:/openbrower.qml")));
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));

        BrowserHost *host = WebBrowerFunction::browserHost();
        QCOMPARE(host->windows().size(), 1);
        BrowserWindow *window = host->windows().first();
        QVERIFY(window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("News - Plit Browser"), WebTimeoutMs);

        // A second call opens another window of the same host.
        function.openBrower(page(QStringLiteral("Second")).toString());
        QCOMPARE(WebBrowerFunction::browserHost(), host);
        QCOMPARE(host->windows().size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(host->windows().last()->windowTitle(),
                                  QStringLiteral("Second - Plit Browser"), WebTimeoutMs);

        // Nothing to load still gives a window, with an empty tab.
        function.openBrower(QString());
        QCOMPARE(host->windows().size(), 3);
        QCOMPARE(host->windows().last()->windowTitle(), QStringLiteral("Plit Browser"));
        QCOMPARE(host->windows().last()->tabWidget()->tabText(0), QStringLiteral("(Untitled)"));
        qDeleteAll(host->windows());
        QVERIFY(host->windows().isEmpty());
    }
};

PLIT_BROWSER_TEST_MAIN(TestBrowserWindow)

#include "tst_browserwindow.moc"
