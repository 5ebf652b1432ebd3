#include "browsertest.h"
#include "modalanswerer.h"
#include "standinserver.h"

#include "browser/browserhost.h"
#include "browser/browsericons.h"
#include "browser/browserwindow.h"
#include "browser/certificateerrordialog.h"
#include "browser/clientcertificatedialog.h"
#include "browser/passworddialog.h"
#include "browser/tabwidget.h"
#include "browser/webpage.h"
#include "browser/webpopupwindow.h"
#include "browser/webview.h"
#include "core/tool.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTextDocumentFragment>

#include <memory>

#include <signal.h>

// Browser windows and their tabs, web views, their pages' questions and popup
// windows, with real pages from the stand-in server.
class TestWebView : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    std::unique_ptr<BrowserHost> m_host;
    BrowserWindow *m_window = nullptr;
    ModalAnswerer *m_answerer = nullptr;

    QUrl address(const QString &pathAndQuery, const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QUrl(QStringLiteral("http://%1:%2%3").arg(host).arg(m_server.port()).arg(pathAndQuery));
    }

    WebView *view() const { return m_window->currentTab(); }

    // Answers the next question box with `button`, keeping its text.
    void answerQuestion(QString *text, QDialogButtonBox::StandardButton button)
    {
        m_answerer->expect([text, button](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            *text = box->windowTitle() + QLatin1Char('|') + box->text();
            ModalAnswerer::press(modal, button);
        });
    }

    static QString labelText(QWidget *dialog, const char *name)
    {
        const auto *label = dialog->findChild<QLabel *>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("(none)");
    }

    static QStringList menuTexts(const QMenu *menu)
    {
        QStringList texts;
        for (const QAction *action : menu->actions())
            texts.append(action->isSeparator() ? QStringLiteral("|") : action->text());
        return texts;
    }

    static QList<WebPopupWindow *> popups()
    {
        QList<WebPopupWindow *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *popup = qobject_cast<WebPopupWindow *>(widget))
                found.append(popup);
        }
        return found;
    }

private slots:
    void init()
    {
        QVERIFY(m_server.isRunning());
        m_host = std::make_unique<BrowserHost>();
        m_window = m_host->createWindow();
        m_answerer = new ModalAnswerer;
    }

    void cleanup()
    {
        QVERIFY2(m_answerer->unexpected().isEmpty(), qPrintable(m_answerer->unexpected().join(", ")));
        QCOMPARE(m_answerer->pending(), 0);
        delete m_answerer;
        m_host.reset();
    }

    void closingTheLastBrowserWindowLeavesTheProgramRunning()
    {
        // The portal may sit in the tray with no window shown; closing the
        // browser's windows then must not count as closing its last window.
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        for (QWidget *window :
             {static_cast<QWidget *>(m_window), static_cast<QWidget *>(&m_host->downloadManagerWidget())}) {
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
        QPointer<BrowserWindow> single = m_window;
        QVERIFY(single->close());
        QTRY_VERIFY(!single);
        QPointer<BrowserWindow> window = m_host->createWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        TabWidget *tabs = window->tabWidget();
        QCOMPARE(window->windowTitle(), QStringLiteral("Plit Browser"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("(Untitled)"));
        tabs->setUrl(address("/browser/page?title=T1"));
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), "T1 - Plit Browser", WebTimeoutMs);
        QCOMPARE(QTextDocumentFragment::fromHtml(tabs->tabToolTip(0)).toPlainText(), QStringLiteral("T1"));
        QCOMPARE(tabs->tabBar()->tabData(0).toUrl(), address("/browser/page?title=T1"));

        // A tab in the background does not name the window until it is
        // current. A title is the page's text, never markup.
        tabs->createBackgroundTab()->setUrl(address("/browser/page?title=<b>T2</b>"));
        QTRY_COMPARE_WITH_TIMEOUT(tabs->tabText(1), "<b>T2</b>", WebTimeoutMs);
        QCOMPARE(window->windowTitle(), QStringLiteral("T1 - Plit Browser"));
        QCOMPARE(window->currentTab(), tabs->widget(0));
        tabs->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("<b>T2</b> - Plit Browser"));
        QCOMPARE(QTextDocumentFragment::fromHtml(tabs->tabToolTip(1)).toPlainText(), QStringLiteral("<b>T2</b>"));
        tabs->nextTab();
        QCOMPARE(window->windowTitle(), QStringLiteral("T1 - Plit Browser"));
        for (const QString title : {"T3", "T4", "T5"})
            tabs->createTab()->setUrl(address("/browser/page?title=" + title));
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
        m_answerer->expect([&question](QWidget *modal) {
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
        m_answerer->expect([](QWidget *modal) { ModalAnswerer::press(modal, QDialogButtonBox::Yes); });
        QVERIFY(window->close());
        QTRY_VERIFY(!window);
        QVERIFY(m_host->windows().isEmpty());
        QCOMPARE(m_answerer->answered(), 2);
    }

    void linksOpenTabsBackgroundTabsAndWindows()
    {
        WebView *links = view();
        links->setUrl(address("/browser/links?title=Opened"));
        QTRY_COMPARE_WITH_TIMEOUT(links->title(), QStringLiteral("Links"), WebTimeoutMs);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QTRY_VERIFY(links->focusProxy());
        TabWidget *tabs = m_window->tabWidget();
        // The whole page is a link with target=_blank.
        const auto click = [links](Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(links->focusProxy(), Qt::LeftButton, modifiers, QPoint(40, 40));
        };

        click(Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(tabs->count(), 2, WebTimeoutMs);
        QCOMPARE(tabs->currentIndex(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(tabs->tabText(1), QStringLiteral("Opened"), WebTimeoutMs);

        click(Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(m_host->windows().size(), 2, WebTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_host->windows().last()->windowTitle(), "Opened - Plit Browser", WebTimeoutMs);
        QCOMPARE(tabs->count(), 2);

        click(Qt::NoModifier);
        QTRY_COMPARE_WITH_TIMEOUT(tabs->count(), 3, WebTimeoutMs);
        QCOMPARE(tabs->currentIndex(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(m_window->windowTitle(), "Opened - Plit Browser", WebTimeoutMs);
    }

    void popupWindowClosesOnItsPagesRequest()
    {
        view()->setUrl(address("/browser/opener?close_ms=1500"));
        QTRY_COMPARE_WITH_TIMEOUT(popups().size(), 1, WebTimeoutMs);
        QPointer<WebPopupWindow> popup = popups().first();
        QVERIFY(popup->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(popup->windowTitle(), QStringLiteral("Popup"), WebTimeoutMs);
        const auto *addressField = popup->findChild<QLineEdit *>();
        QVERIFY(addressField->isReadOnly());
        QVERIFY2(addressField->text().contains("/browser/popup"), qPrintable(addressField->text()));
        QCOMPARE(m_window->tabWidget()->count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!popup, WebTimeoutMs);
        QCOMPARE(m_window->tabWidget()->count(), 1);
    }

    void aPageOpensFewWindowsWithoutAClick_data()
    {
        QTest::addColumn<bool>("tabs");
        QTest::newRow("300 tabs") << true;
        QTest::newRow("200 popups") << false;
    }

    void aPageOpensFewWindowsWithoutAClick()
    {
        QFETCH(bool, tabs);
        // The tabs it opens become current: keep the page.
        WebView *flood = view();
        flood->setUrl(address(tabs ? "/browser/flood?kind=tab&count=300" : "/browser/flood?kind=popup&count=200"));
        QTRY_VERIFY_WITH_TIMEOUT(flood->title().startsWith(QStringLiteral("opened")), WebTimeoutMs);
        const auto opened = [&] { return tabs ? m_window->tabWidget()->count() - 1 : popups().size(); };
        QTRY_COMPARE_WITH_TIMEOUT(opened(), WebView::windowsWithoutGesture, WebTimeoutMs);
        // The rest stay refused.
        QTest::qWait(1000);
        QCOMPARE(opened(), WebView::windowsWithoutGesture);
        QCOMPARE(m_host->windows().size(), 1);
        qDeleteAll(popups());
    }

    void aClientCertificateGoesOnlyWhenChosen()
    {
        QTemporaryDir folder;
        QVector<QSslCertificate> offered;
        for (const QString name : {"Plit One", "<b>Plit Two"}) {
            const QString cert = folder.filePath(QString::number(offered.size()) + ".pem");
            QCOMPARE(QProcess::execute("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                                   cert + ".key", "-out", cert, "-days", "2", "-subj", "/CN=" + name}),
                     0);
            offered += QSslCertificate::fromPath(cert).toVector();
        }
        QCOMPARE(offered.size(), 2);

        // Nothing is chosen beforehand: Return sends none.
        ClientCertificateDialog dialog("127.0.0.1", offered);
        dialog.show();
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("m_certificateList"));
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(1)->text().startsWith("<b>Plit Two (issued by <b>Plit Two, valid until "));
        QCOMPARE(dialog.chosen(), -1);
        QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        dialog.show();
        list->setCurrentRow(1);
        ModalAnswerer::press(&dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosen(), 1);
    }

    void tabIconTellsTheLoadState()
    {
        TabWidget *tabs = m_window->tabWidget();
        const QImage failed = iconPicture(browserIcon(":dialog-error.png"));
        const QImage loading = iconPicture(browserIcon(":view-refresh.png"));
        const QImage loaded = iconPicture(browserIcon(":text-html.png"));
        QVERIFY(!failed.isNull() && failed != loading && loading != loaded);
        QCOMPARE(iconPicture(tabs->tabIcon(0)), loaded);

        // Nothing listens on port 1.
        view()->setUrl(QUrl("http://127.0.0.1:1/"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->loadProgress(), -1, WebTimeoutMs);
        QCOMPARE(iconPicture(tabs->tabIcon(0)), failed);

        // The stand-in answers this one after three seconds.
        view()->setUrl(address("/browser/page?title=Slow&delay=3000"));
        QTRY_COMPARE_WITH_TIMEOUT(iconPicture(tabs->tabIcon(0)), loading, WebTimeoutMs);
        QVERIFY(view()->loadProgress() >= 0 && view()->loadProgress() < 100);
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Slow"), WebTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(view()->loadProgress(), 100, WebTimeoutMs);
        QCOMPARE(iconPicture(tabs->tabIcon(0)), loaded);

        // A page's own icon wins over the state icons.
        view()->setUrl(address("/browser/page?title=Red&icon=ff0000"));
        QTRY_COMPARE_WITH_TIMEOUT(iconPicture(tabs->tabIcon(0)).pixelColor(8, 8), QColor(Qt::red), WebTimeoutMs);
        QCOMPARE(iconPicture(view()->favIcon()).pixelColor(8, 8), QColor(Qt::red));
    }

    void basicAuthenticationCancelledFailsAndAcceptedLoads()
    {
        // A realm is the server's text: it shows as text, never as markup,
        // and however long it is, the dialog names the host and fits.
        QString info, host;
        int height = 0;
        m_answerer->expect([&](QWidget *modal) {
            QVERIFY(qobject_cast<PasswordDialog *>(modal));
            info = modal->windowTitle() + '|' + labelText(modal, "m_infoLabel");
            host = labelText(modal, "m_hostLabel");
            height = modal->height();
            ModalAnswerer::press(modal, QDialogButtonBox::Cancel);
        });
        view()->setUrl(address("/browser/private?realm=%3Cb%3EPlit%3C/b%3E" + QString(4000, 'R'), "localhost"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Denied"), WebTimeoutMs);
        QVERIFY2(info.startsWith("Authentication Required|Enter username and password for \"&lt;b&gt;Plit&lt;/b&gt;RRR")
                     && !info.contains('<') && info.size() < 800,
                 qPrintable(info));
        QCOMPARE(host, QStringLiteral("Host: localhost"));
        QVERIFY(height < 600);
        QCOMPARE(m_answerer->answered(), 1);

        m_answerer->expect([](QWidget *modal) {
            QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("m_userNameLineEdit")), "plit");
            auto *password = modal->findChild<QLineEdit *>(QStringLiteral("m_passwordLineEdit"));
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QTest::keyClicks(password, QStringLiteral("s3cret"));
            ModalAnswerer::press(modal, QDialogButtonBox::Ok);
        });
        view()->setUrl(address("/browser/private"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Private"), WebTimeoutMs);
    }

    void certificateQuestionRefusesGoesOnOrIsDroppedWithItsTab()
    {
        QString secure = Tool().httpGet(m_server.baseUrl() + "/browser/tls");
        QVERIFY2(secure.startsWith("https://127.0.0.1:"), qPrintable(secure));
        const QUrl url(secure + "/browser/page?title=Secure");
        // Return refuses. Every label shows its whole text.
        QString texts, error, cut;
        bool isCertificateQuestion = false;
        m_answerer->expect([&](QWidget *modal) {
            isCertificateQuestion = qobject_cast<CertificateErrorDialog *>(modal);
            texts = modal->windowTitle() + '|' + labelText(modal, "m_hostLabel");
            error = labelText(modal, "m_errorLabel");
            for (const QLabel *label : modal->findChildren<QLabel *>()) {
                if (label->height() < label->heightForWidth(label->width()))
                    cut = label->text();
            }
            QTest::keyClick(modal, Qt::Key_Return);
        });
        view()->setUrl(url);
        QTRY_COMPARE_WITH_TIMEOUT(view()->loadProgress(), -1, WebTimeoutMs);
        QVERIFY(view()->title() != QStringLiteral("Secure") && isCertificateQuestion);
        QCOMPARE(texts, QStringLiteral("Certificate Error|Host: 127.0.0.1"));
        QVERIFY(!error.isEmpty() && error != QStringLiteral("(none)"));
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        m_answerer->expect([](QWidget *modal) { ModalAnswerer::press(modal, QDialogButtonBox::Yes); });
        view()->setUrl(url);
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Secure"), WebTimeoutMs);

        // A question stays open while its page closes the tab (here the
        // user does): the answer then has nothing to act on. The
        // certificate is valid for no host, and "localhost" has not been
        // let through before.
        secure.replace("127.0.0.1", "localhost");
        for (const QUrl &url : {QUrl(secure + "/browser/page?title=Gone"), address("/browser/notify")}) {
            WebView *doomed = m_window->tabWidget()->createTab();
            const int answered = m_answerer->answered();
            m_answerer->expect([this, doomed](QWidget *modal) {
                QPointer<WebView> tab = doomed;
                m_window->tabWidget()->closeTab(m_window->tabWidget()->indexOf(doomed));
                QTRY_VERIFY(!tab);
                ModalAnswerer::press(modal, QDialogButtonBox::Yes);
            });
            doomed->setUrl(url);
            QTRY_COMPARE_WITH_TIMEOUT(m_answerer->answered(), answered + 1, WebTimeoutMs);
            QCOMPARE(m_window->tabWidget()->count(), 1);
        }

        // The window goes on working.
        view()->setUrl(address("/browser/page?title=After"));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->windowTitle(), "After - Plit Browser", WebTimeoutMs);
    }

    void pageQuestionsNameTheirOrigin()
    {
        QString question;
        answerQuestion(&question, QDialogButtonBox::Yes);
        view()->setUrl(address("/browser/notify"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("notifications granted"), WebTimeoutMs);
        QCOMPARE(question, "Permission Request|Allow 127.0.0.1 to show notification on your desktop?");

        // Another origin, asked anew.
        answerQuestion(&question, QDialogButtonBox::No);
        view()->setUrl(address("/browser/notify", "localhost"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("notifications denied"), WebTimeoutMs);
        QCOMPARE(question, "Permission Request|Allow localhost to show notification on your desktop?");

        answerQuestion(&question, QDialogButtonBox::Yes);
        view()->setUrl(address("/browser/protocol"));
        QTRY_COMPARE_WITH_TIMEOUT(m_answerer->answered(), 3, WebTimeoutMs);
        QCOMPARE(question, "Permission Request|Allow 127.0.0.1 to open all web+plit links?");
        view()->setUrl(QUrl("web+plit:hello"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("web+plit:hello"), WebTimeoutMs);

        // A feature the browser does not know is refused without a question.
        emit view()->page()->featurePermissionRequested(address("/"), static_cast<QWebEnginePage::Feature>(100));
        QCOMPARE(m_answerer->answered(), 3);
    }

    void endedRenderProcessAsksToReload()
    {
        view()->setUrl(address("/browser/page?title=Reborn"));
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Reborn"), WebTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(view()->page()->renderProcessPid() > 0, WebTimeoutMs);
        m_server.clearRequests();

        QString question;
        answerQuestion(&question, QDialogButtonBox::Yes);
        QVERIFY(::kill(pid_t(view()->page()->renderProcessPid()), SIGKILL) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_answerer->answered(), 1, WebTimeoutMs);
        QVERIFY2(question.startsWith("Render process killed|Render process exited with code: ")
                     && question.endsWith("\nDo you want to reload the page ?"),
                 qPrintable(question));
        // Yes loads the page again, from the server.
        QTRY_VERIFY_WITH_TIMEOUT(!m_server.requests("/browser/page").isEmpty(), WebTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(view()->loadProgress(), 100, WebTimeoutMs);
        QCOMPARE(view()->title(), QStringLiteral("Reborn"));
    }
};

PLIT_BROWSER_TEST_MAIN(TestWebView)

#include "tst_webview.moc"
