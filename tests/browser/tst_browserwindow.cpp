#include "browsertest.h"
#include "modalanswerer.h"
#include "standinserver.h"

#include "browser/browserhost.h"
#include "browser/browserwindow.h"
#include "browser/tabwidget.h"
#include "browser/webview.h"

#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTextDocumentFragment>
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

    QUrl page(const QString &title) const
    {
        return QUrl(m_server.baseUrl() + QStringLiteral("/browser/page?title=") + title);
    }

    static QStringList menuTexts(const QMenu *menu)
    {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->isSeparator() ? QStringLiteral("|") : action->text());
        return texts;
    }

private slots:
    void init()
    {
        QVERIFY(m_server.isRunning());
        m_host = std::make_unique<BrowserHost>();
    }

    void cleanup()
    {
        m_host.reset();
    }

    void closingTheLastBrowserWindowLeavesTheProgramRunning()
    {
        // The portal may sit in the tray with no window shown; closing the
        // browser's windows then must not count as closing its last window.
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        for (QWidget *window : {static_cast<QWidget *>(m_host->createWindow()),
                                static_cast<QWidget *>(&m_host->downloadManagerWidget())}) {
            window->show();
            QTimer::singleShot(0, window, [window] {
                window->close();
                QTimer::singleShot(0, [] { QCoreApplication::exit(); });
            });
            QCoreApplication::exec();
        }
        QCOMPARE(lastWindowClosed.count(), 0);
    }

    // One window walked through its tabs: titles, the tab menu, closing
    // other tabs, the last tab, a double click and closing the window.
    void tabsOpenAndCloseAsAPersonAsks()
    {
        ModalAnswerer answerer;
        QPointer<BrowserWindow> single = m_host->createWindow();
        QVERIFY(single->close());
        QTRY_VERIFY(!single);
        QPointer<BrowserWindow> window = m_host->createWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        TabWidget *tabs = window->tabWidget();
        QCOMPARE(window->windowTitle(), QStringLiteral("Plit Browser"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("(Untitled)"));
        tabs->setUrl(page("T1"));
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), "T1 - Plit Browser", WebTimeoutMs);
        QCOMPARE(QTextDocumentFragment::fromHtml(tabs->tabToolTip(0)).toPlainText(), QStringLiteral("T1"));
        QCOMPARE(tabs->tabBar()->tabData(0).toUrl(), page("T1"));

        // A tab in the background does not name the window until it is
        // current. A title is the page's text, never markup.
        tabs->createBackgroundTab()->setUrl(page("<b>T2</b>"));
        QTRY_COMPARE_WITH_TIMEOUT(tabs->tabText(1), "<b>T2</b>", WebTimeoutMs);
        QCOMPARE(window->windowTitle(), QStringLiteral("T1 - Plit Browser"));
        QCOMPARE(window->currentTab(), tabs->widget(0));
        tabs->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("<b>T2</b> - Plit Browser"));
        QCOMPARE(QTextDocumentFragment::fromHtml(tabs->tabToolTip(1)).toPlainText(), QStringLiteral("<b>T2</b>"));
        tabs->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("T1 - Plit Browser"));
        for (const QString title : {"T3", "T4", "T5"})
            tabs->createTab()->setUrl(page(title));
        for (int i = 2; i < 5; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(tabs->tabText(i), QStringLiteral("T%1").arg(i + 1), WebTimeoutMs);

        QTabBar *bar = tabs->tabBar();
        QWidget *middle = tabs->widget(2);
        QStringList onTab, shortcuts;
        ModalAnswerer::onNextMenu([&](QMenu *menu) {
            onTab = menuTexts(menu);
            QRect other;
            for (QAction *action : menu->actions()) {
                shortcuts.append(action->shortcut().toString());
                if (action->text() == QStringLiteral("Close &Other Tabs"))
                    other = menu->actionGeometry(action);
            }
            QTest::mouseClick(menu, Qt::LeftButton, {}, other.center());
        });
        emit bar->customContextMenuRequested(bar->tabRect(2).center());
        QCOMPARE(onTab, QStringList({"New &Tab", "Clone Tab", "|", "&Close Tab", "Close &Other Tabs",
                                     "|", "Reload Tab", "Reload All Tabs"}));
        QCOMPARE(shortcuts.at(0), QKeySequence(QKeySequence::AddTab).toString());
        QCOMPARE(shortcuts.at(3), QKeySequence(QKeySequence::Close).toString());
        QCOMPARE(shortcuts.at(6), QKeySequence(QKeySequence::Refresh).toString());
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->widget(0), middle);
        QCOMPARE(window->windowTitle(), QStringLiteral("T3 - Plit Browser"));

        // Off the tabs, only what concerns the whole bar.
        QStringList offTab;
        ModalAnswerer::onNextMenu([&](QMenu *menu) {
            offTab = menuTexts(menu);
            menu->close();
        });
        const QPoint empty(bar->width() - 5, bar->height() / 2);
        QCOMPARE(bar->tabAt(empty), -1);
        emit bar->customContextMenuRequested(empty);
        QCOMPARE(offTab, QStringList({"New &Tab", "|", "Reload All Tabs"}));

        // The last tab closed leaves a fresh untitled one.
        QPointer<WebView> old = window->currentTab();
        tabs->closeTab(0);
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("(Untitled)"));
        QVERIFY(window->currentTab() != old);
        QVERIFY(window->currentTab()->url().isEmpty());
        QCOMPARE(window->windowTitle(), QStringLiteral("Plit Browser"));
        QTRY_VERIFY(!old);

        // A double click opens a tab on the empty bar only.
        QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(tabs->count(), 1);
        QTest::mouseDClick(bar, Qt::LeftButton, {}, empty);
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->currentIndex(), 1);

        // With several tabs, closing asks, No being the default.
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
                                          "There are 2 tabs open."));
        QVERIFY(window->isVisible());
        QCOMPARE(m_host->windows(), QVector<BrowserWindow *>{window});
        answerer.expect([](QWidget *modal) { ModalAnswerer::press(modal, QDialogButtonBox::Yes); });
        QVERIFY(window->close());
        QTRY_VERIFY(!window);
        QVERIFY(m_host->windows().isEmpty());
        QCOMPARE(answerer.answered(), 2);
        QVERIFY(answerer.unexpected().isEmpty());
    }
};

PLIT_BROWSER_TEST_MAIN(TestBrowserWindow)

#include "tst_browserwindow.moc"
