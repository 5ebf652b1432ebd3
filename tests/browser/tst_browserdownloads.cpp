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

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

// The downloads window and its rows, fed by pages of browser windows opened
// the way the interface opens them.
class TestBrowserDownloads : public QObject
{
    Q_OBJECT

private:
    StandInServer m_server;
    QTemporaryDir m_saveDir;
    ModalAnswerer *m_answerer = nullptr;

    BrowserHost *host() const { return WebBrowerFunction::browserHost(); }
    DownloadManagerWidget &downloads() const { return host()->downloadManagerWidget(); }

    QString fileAddress(const QString &name, const QString &query) const
    {
        return m_server.baseUrl() + QStringLiteral("/browser/file/") + name + QLatin1Char('?') + query;
    }

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

    static QString barText(DownloadWidget *row)
    {
        return row->findChild<QProgressBar *>()->format();
    }

    static QPushButton *button(DownloadWidget *row)
    {
        return row->findChild<QPushButton *>(QStringLiteral("m_cancelButton"));
    }

    bool noDownloadsShown() const
    {
        return downloads().findChild<QLabel *>(QStringLiteral("m_zeroItemsLabel"))->isVisible();
    }

    // Starts the download of `name` in the current tab of `window` (the
    // first one by default) and answers "Save as" with the file `saveAs`, or
    // cancels it when that is empty. True once the question was answered.
    bool download(const QString &name, const QString &query, const QString &saveAs,
                  QString *proposed = nullptr, BrowserWindow *window = nullptr)
    {
        m_answerer->expect([proposed, saveAs](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Save as"));
            if (proposed)
                *proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            if (saveAs.isEmpty()) {
                ModalAnswerer::press(modal, QDialogButtonBox::Cancel);
                return;
            }
            dialog->selectFile(saveAs);
            ModalAnswerer::press(modal, QDialogButtonBox::Save);
        });
        const int answered = m_answerer->answered();
        (window ? window : host()->windows().first())->tabWidget()->setUrl(QUrl(fileAddress(name, query)));
        return QTest::qWaitFor([&] { return m_answerer->answered() == answered + 1; }, WebTimeoutMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        QVERIFY(m_saveDir.isValid());
        m_answerer = new ModalAnswerer;
        WebBrowerFunction().openBrower(m_server.baseUrl() + QStringLiteral("/browser/page?title=Files"));
        QCOMPARE(host()->windows().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(host()->windows().first()->windowTitle(),
                                  QStringLiteral("Files - Plit Browser"), WebTimeoutMs);
    }

    void cleanup()
    {
        QVERIFY2(m_answerer->unexpected().isEmpty(), qPrintable(m_answerer->unexpected().join(", ")));
        QCOMPARE(m_answerer->pending(), 0);
    }

    void cleanupTestCase()
    {
        delete m_answerer;
        qDeleteAll(host()->windows());
    }

    void sizesReadInBinaryUnits()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(DownloadWidget::withUnit(0), QStringLiteral("0 B"));
        QCOMPARE(DownloadWidget::withUnit(512), QStringLiteral("512 B"));
        QCOMPARE(DownloadWidget::withUnit(1000), QStringLiteral("1,000 B"));
        QCOMPARE(DownloadWidget::withUnit(1023), QStringLiteral("1,023 B"));
        QCOMPARE(DownloadWidget::withUnit(1024), QStringLiteral("1.00 KiB"));
        QCOMPARE(DownloadWidget::withUnit(1536), QStringLiteral("1.50 KiB"));
        QCOMPARE(DownloadWidget::withUnit(1048576), QStringLiteral("1.00 MiB"));
        QCOMPARE(DownloadWidget::withUnit(1073741824.0 * 1536), QStringLiteral("1,536.00 GiB"));
    }

    void cancellingSaveAsAddsNoRow()
    {
        QVERIFY(noDownloadsShown() || !downloads().isVisible());
        QString proposed;
        QVERIFY(download(QStringLiteral("unwanted.bin"), QStringLiteral("size=2048"), QString(), &proposed));
        QCOMPARE(proposed, QStringLiteral("unwanted.bin"));
        QVERIFY(rows().isEmpty());
        QVERIFY(!downloads().isVisible());
        QVERIFY(QDir(m_saveDir.path()).isEmpty());
    }

    void savedDownloadCompletes()
    {
        const QString target = m_saveDir.filePath(QStringLiteral("report copy.bin"));
        QString proposed;
        QVERIFY(download(QStringLiteral("report.bin"), QStringLiteral("size=1536"), target, &proposed));
        QCOMPARE(proposed, QStringLiteral("report.bin"));
        QVERIFY(downloads().isVisible());
        QCOMPARE(downloads().windowTitle(), QStringLiteral("Downloads"));
        QCOMPARE(rows().size(), 1);
        DownloadWidget *row = rows().first();
        QCOMPARE(row->findChild<QLabel *>(QStringLiteral("m_dstName"))->text(), QStringLiteral("report copy.bin"));
        QCOMPARE(row->findChild<QLabel *>(QStringLiteral("m_srcUrl"))->text(),
                 fileAddress(QStringLiteral("report.bin"), QStringLiteral("size=1536")));
        QVERIFY(!noDownloadsShown());

        QTRY_VERIFY2_WITH_TIMEOUT(barText(row).startsWith(QStringLiteral("completed - 1.50 KiB downloaded - ")),
                                  qPrintable(barText(row)), WebTimeoutMs);
        QVERIFY(barText(row).endsWith(QStringLiteral("/s")));
        QCOMPARE(row->findChild<QProgressBar *>()->value(), 100);
        QVERIFY(!row->findChild<QProgressBar *>()->isEnabled());
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Remove from list"));
        QCOMPARE(iconPicture(button(row)->icon()), iconPicture(browserIcon(QStringLiteral(":edit-clear.png"))));

        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), StandInServer::generatedBytes(0, 1536));
    }

    void stoppedDownloadIsRemovedByItsButton()
    {
        // The stand-in sends 1 KiB of 64 KiB, then waits.
        QVERIFY(download(QStringLiteral("held.bin"), QStringLiteral("size=65536&sent=1024"),
                         m_saveDir.filePath(QStringLiteral("held.bin"))));
        QCOMPARE(rows().size(), 2);
        DownloadWidget *row = rows().first();
        QTRY_VERIFY2_WITH_TIMEOUT(barText(row).startsWith(QStringLiteral("%p% - 1.00 KiB of 64.00 KiB downloaded - ")),
                                  qPrintable(barText(row)), WebTimeoutMs);
        QCOMPARE(row->findChild<QProgressBar *>()->value(), 2);
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Stop downloading"));
        QCOMPARE(iconPicture(button(row)->icon()), iconPicture(browserIcon(QStringLiteral(":process-stop.png"))));

        QTest::mouseClick(button(row), Qt::LeftButton);
        // The engine drops what it had received.
        QTRY_VERIFY2_WITH_TIMEOUT(barText(row).startsWith(QStringLiteral("cancelled - ")),
                                  qPrintable(barText(row)), WebTimeoutMs);
        QCOMPARE(button(row)->toolTip(), QStringLiteral("Remove from list"));
        QCOMPARE(rows().size(), 2);

        QPointer<DownloadWidget> removed = row;
        QTest::mouseClick(button(row), Qt::LeftButton);
        QCOMPARE(rows().size(), 1);
        QVERIFY(!noDownloadsShown());
        QTRY_VERIFY(!removed);

        // The last row gone, the window says so again.
        QTest::mouseClick(button(rows().first()), Qt::LeftButton);
        QVERIFY(rows().isEmpty());
        QVERIFY(noDownloadsShown());
    }

    void downloadOfUnknownSizeShowsAnEmptyBar()
    {
        // Headers only, no length, then nothing: the row keeps its first text.
        QVERIFY(download(QStringLiteral("stream.bin"), QStringLiteral("size=4096&sent=0&length=0"),
                         m_saveDir.filePath(QStringLiteral("stream.bin"))));
        DownloadWidget *row = rows().first();
        QCOMPARE(barText(row), QStringLiteral("unknown size - 0 B downloaded - 0 B/s"));
        QCOMPARE(row->findChild<QProgressBar *>()->value(), 0);
        QVERIFY(row->findChild<QProgressBar *>()->isEnabled());
        QTest::mouseClick(button(row), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(barText(row).startsWith(QStringLiteral("cancelled - ")), WebTimeoutMs);
        QTest::mouseClick(button(row), Qt::LeftButton);
        QVERIFY(rows().isEmpty());
    }

    void secondOpenBrowerAsksOncePerDownload()
    {
        WebBrowerFunction().openBrower(m_server.baseUrl() + QStringLiteral("/browser/page?title=Again"));
        QCOMPARE(host()->windows().size(), 2);
        BrowserWindow *second = host()->windows().last();
        QTRY_COMPARE_WITH_TIMEOUT(second->windowTitle(), QStringLiteral("Again - Plit Browser"), WebTimeoutMs);

        const int asked = m_answerer->answered();
        QVERIFY(download(QStringLiteral("once.bin"), QStringLiteral("size=512"),
                         m_saveDir.filePath(QStringLiteral("once.bin")), nullptr, second));
        DownloadWidget *row = rows().first();
        QTRY_VERIFY2_WITH_TIMEOUT(barText(row).startsWith(QStringLiteral("completed - 512 B downloaded - ")),
                                  qPrintable(barText(row)), WebTimeoutMs);
        QCOMPARE(rows().size(), 1);
        QCOMPARE(m_answerer->answered(), asked + 1);
    }
};

PLIT_BROWSER_TEST_MAIN(TestBrowserDownloads)

#include "tst_browserdownloads.moc"
