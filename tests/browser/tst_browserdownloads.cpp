#include "browsertest.h"
#include "modalanswerer.h"
#include "standinserver.h"

#include "browser/browserhost.h"
#include "browser/browsericons.h"
#include "browser/browserwindow.h"
#include "browser/downloadmanagerwidget.h"
#include "browser/downloadwidget.h"
#include "browser/tabwidget.h"
#include "browser/webbrowerfunction.h"
#include "browser/webview.h"

#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

// The downloads window and its rows, fed by pages of browser windows that the
// interface opens through webBrowerFunction. With PLIT_BROWSER_PICTURES=OUTDIR
// (under Xvfb) it also takes the README gallery's pictures of a browser window
// with three tabs and of the downloads window with a completed and a cancelled
// download.
class TestBrowserDownloads : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    QTemporaryDir m_saveDir;
    ModalAnswerer m_answerer;
    std::unique_ptr<QmlWarningGuard> m_guard;

    BrowserHost *host() const { return WebBrowerFunction::browserHost(); }
    DownloadManagerWidget &downloads() const { return host()->downloadManagerWidget(); }
    QString address(const QString &pathAndQuery) const { return m_server.baseUrl() + pathAndQuery; }

    // The rows, newest first.
    QList<DownloadWidget *> rows() const
    {
        QList<DownloadWidget *> list;
        auto *layout = downloads().findChild<QVBoxLayout *>(QStringLiteral("m_itemsLayout"));
        for (int i = 0; i < layout->count(); ++i) {
            if (auto *row = qobject_cast<DownloadWidget *>(layout->itemAt(i)->widget()))
                list.append(row);
        }
        return list;
    }
    static QProgressBar *bar(DownloadWidget *row) { return row->findChild<QProgressBar *>(); }
    static QPushButton *button(DownloadWidget *row) { return row->findChild<QPushButton *>("m_cancelButton"); }
    bool noDownloadsShown() const { return downloads().findChild<QLabel *>("m_zeroItemsLabel")->isVisible(); }

    static void picture(QWidget *window, const QString &name)
    {
        const QString out = qEnvironmentVariable("PLIT_BROWSER_PICTURES");
        if (out.isEmpty())
            return;
        // What is on screen lags a little behind the engine's "loaded".
        QTest::qWait(800);
        QVERIFY(QDir().mkpath(out) && window->grab().save(QDir(out).filePath(name)));
    }

    // Starts the download of /browser/file/`name` in the current tab of
    // `window` (the first one by default) and answers "Save as" with the file
    // `saveAs`, or cancels it when that is empty. True once it was answered.
    bool download(const QString &name, const QString &saveAs, QString *proposed = nullptr,
                  BrowserWindow *window = nullptr)
    {
        m_answerer.expect([proposed, saveAs](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Save as"));
            if (proposed)
                *proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            if (saveAs.isEmpty())
                return ModalAnswerer::press(modal, QDialogButtonBox::Cancel);
            dialog->selectFile(saveAs);
            ModalAnswerer::press(modal, QDialogButtonBox::Save);
        });
        const int answered = m_answerer.answered();
        (window ? window : host()->windows().first())->tabWidget()->setUrl(QUrl(address("/browser/file/" + name)));
        return QTest::qWaitFor([&] { return m_answerer.answered() == answered + 1; }, WebTimeoutMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        QVERIFY(m_saveDir.isValid());
        m_guard = std::make_unique<QmlWarningGuard>();
        WebBrowerFunction function;
        evaluateInQml("webBrowerFunction", &function, "webBrowerFunction.openBrower('" + address("/help") + "')");
        QCOMPARE(host()->windows().size(), 1);
        BrowserWindow *window = host()->windows().first();
        QVERIFY(window->isVisible());
        window->resize(960, 600);
        TabWidget *tabs = window->tabWidget();
        tabs->createTab()->setUrl(QUrl(address("/browser/page?title=Invoices&icon=2978e1")));
        tabs->createTab()->setUrl(QUrl(address("/api/ArticleApi/mini")));
        for (int i = 0; i < tabs->count(); ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<WebView *>(tabs->widget(i))->loadProgress() == 100
                                         && tabs->tabText(i) != QStringLiteral("(Untitled)"),
                                     WebTimeoutMs);
        }
        picture(window, QStringLiteral("browser-window.png"));
    }

    void cleanup()
    {
        QVERIFY2(m_answerer.unexpected().isEmpty(), qPrintable(m_answerer.unexpected().join(", ")));
        QCOMPARE(m_answerer.pending(), 0);
    }

    void cleanupTestCase()
    {
        qDeleteAll(host()->windows());
    }

    void sizesReadInBinaryUnits()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QList<QPair<qreal, QString>> sizes{{0, "0 B"}, {1023, "1,023 B"}, {1024, "1.00 KiB"},
                                                 {1536, "1.50 KiB"}, {1048576, "1.00 MiB"},
                                                 {1073741824.0 * 1536, "1,536.00 GiB"}};
        for (const auto &size : sizes)
            QCOMPARE(DownloadWidget::withUnit(size.first), size.second);
    }

    void saveAsCancelledAddsNoRowAndSavedCompletes()
    {
        QString proposed;
        QVERIFY(download(QStringLiteral("unwanted.bin?size=2048"), QString(), &proposed));
        QCOMPARE(proposed, QStringLiteral("unwanted.bin"));
        QVERIFY(rows().isEmpty() && !downloads().isVisible() && QDir(m_saveDir.path()).isEmpty());

        const QString target = m_saveDir.filePath(QStringLiteral("invoices 2026.zip"));
        QVERIFY(download(QStringLiteral("invoices-2026.zip?size=1572864"), target, &proposed));
        QCOMPARE(proposed, QStringLiteral("invoices-2026.zip"));
        QVERIFY(downloads().isVisible());
        QCOMPARE(rows().size(), 1);
        DownloadWidget *row = rows().first();
        QCOMPARE(row->findChild<QLabel *>(QStringLiteral("m_dstName"))->text(), QStringLiteral("invoices 2026.zip"));
        QCOMPARE(row->findChild<QLabel *>(QStringLiteral("m_srcUrl"))->text(),
                 address("/browser/file/invoices-2026.zip?size=1572864"));
        QVERIFY(!noDownloadsShown());

        QTRY_VERIFY2_WITH_TIMEOUT(bar(row)->format().startsWith(QStringLiteral("completed - 1.50 MiB downloaded - ")),
                                  qPrintable(bar(row)->format()), WebTimeoutMs);
        QVERIFY(bar(row)->format().endsWith(QStringLiteral("/s")));
        QCOMPARE(bar(row)->value(), 100);
        QVERIFY(!bar(row)->isEnabled());
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Remove from list"));
        QCOMPARE(iconPicture(button(row)->icon()), iconPicture(browserIcon(QStringLiteral(":edit-clear.png"))));
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), StandInServer::generatedBytes(0, 1572864));
    }

    void runningDownloadIsStoppedThenRemovedByItsButton_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("running");
        QTest::addColumn<int>("percent");
        // The stand-in sends `sent` bytes, then waits.
        QTest::newRow("held at 2 of 50 MiB") << "plit-setup.exe?size=52428800&sent=2097152"
                                             << "%p% - 2.00 MiB of 50.00 MiB downloaded - " << 4;
        QTest::newRow("headers without a length only")
            << "stream.bin?size=4096&sent=0&length=0" << "unknown size - 0 B downloaded - 0 B/s" << 0;
    }

    void runningDownloadIsStoppedThenRemovedByItsButton()
    {
        QFETCH(QString, file);
        QFETCH(QString, running);
        QFETCH(int, percent);
        QVERIFY(download(file, m_saveDir.filePath(file.section(QLatin1Char('?'), 0, 0))));
        QCOMPARE(rows().size(), 2);
        DownloadWidget *row = rows().first();
        QTRY_VERIFY2_WITH_TIMEOUT(bar(row)->format().startsWith(running), qPrintable(bar(row)->format()), WebTimeoutMs);
        QCOMPARE(bar(row)->value(), percent);
        QVERIFY(bar(row)->isEnabled());
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Stop downloading"));
        QCOMPARE(iconPicture(button(row)->icon()), iconPicture(browserIcon(QStringLiteral(":process-stop.png"))));

        QTest::mouseClick(button(row), Qt::LeftButton);
        // The engine drops what it had received.
        QTRY_VERIFY2_WITH_TIMEOUT(bar(row)->format().startsWith(QStringLiteral("cancelled - ")),
                                  qPrintable(bar(row)->format()), WebTimeoutMs);
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Remove from list"));
        QCOMPARE(rows().size(), 2);
        if (percent)
            picture(&downloads(), QStringLiteral("browser-downloads.png"));

        QPointer<DownloadWidget> removed = row;
        QTest::mouseClick(button(row), Qt::LeftButton);
        QCOMPARE(rows().size(), 1);
        QVERIFY(!noDownloadsShown());
        QTRY_VERIFY(!removed);
    }

    void anotherOpenBrowerIsAWindowOfTheSameHostAskingOncePerDownload()
    {
        BrowserHost *first = host();
        WebBrowerFunction().openBrower(QString());
        WebBrowerFunction().openBrower(address("/browser/page?title=Again"));
        QCOMPARE(host(), first);
        QCOMPARE(host()->windows().size(), 3);
        // Nothing to load still gives a window, with an empty tab.
        QCOMPARE(host()->windows().at(1)->windowTitle(), QStringLiteral("Plit Browser"));
        QCOMPARE(host()->windows().at(1)->tabWidget()->tabText(0), QStringLiteral("(Untitled)"));
        BrowserWindow *second = host()->windows().last();
        QTRY_COMPARE_WITH_TIMEOUT(second->windowTitle(), QStringLiteral("Again - Plit Browser"), WebTimeoutMs);

        const int asked = m_answerer.answered();
        QVERIFY(download(QStringLiteral("once.bin?size=512"), m_saveDir.filePath(QStringLiteral("once.bin")),
                         nullptr, second));
        DownloadWidget *row = rows().first();
        QTRY_VERIFY2_WITH_TIMEOUT(bar(row)->format().startsWith(QStringLiteral("completed - 512 B downloaded - ")),
                                  qPrintable(bar(row)->format()), WebTimeoutMs);
        QCOMPARE(rows().size(), 2);
        QCOMPARE(m_answerer.answered(), asked + 1);

        // The last row gone, the window says so again.
        while (!rows().isEmpty())
            QTest::mouseClick(button(rows().first()), Qt::LeftButton);
        QVERIFY(noDownloadsShown());
    }
};

PLIT_BROWSER_TEST_MAIN(TestBrowserDownloads)

#include "tst_browserdownloads.moc"
