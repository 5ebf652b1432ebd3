// browsershots OUTDIR: pictures of the embedded browser for the README's
// gallery, taken of the real windows with pages of the stand-in server:
// browser-window.png (a window with three tabs) and browser-downloads.png
// (the downloads window with a completed and a cancelled download). Meant to
// run under Xvfb; the offscreen platform works too.

#include "browsertest.h"
#include "modalanswerer.h"
#include "standinserver.h"

#include "browser/browserhost.h"
#include "browser/browserwindow.h"
#include "browser/downloadmanagerwidget.h"
#include "browser/downloadwidget.h"
#include "browser/tabwidget.h"
#include "browser/webbrowerfunction.h"
#include "browser/webview.h"

#include <QDir>
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>

namespace {

constexpr int SettleMs = 800;

bool waitFor(const std::function<bool()> &done, const char *what)
{
    if (QTest::qWaitFor(done, WebTimeoutMs))
        return true;
    qCritical("browsershots: gave up waiting for %s", what);
    return false;
}

bool save(QWidget *window, const QDir &out, const QString &name)
{
    // What is on screen lags a little behind the engine's "loaded".
    QTest::qWait(SettleMs);
    const QString path = out.filePath(name);
    if (!window->grab().save(path)) {
        qCritical("browsershots: cannot write %s", qPrintable(path));
        return false;
    }
    qInfo("browsershots: wrote %s", qPrintable(path));
    return true;
}

QString barText(const DownloadWidget *row)
{
    return row->findChild<QProgressBar *>()->format();
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir webData;
    prepareBrowserTest(webData);
    QApplication app(argc, argv);
    if (argc != 2) {
        qCritical("usage: browsershots OUTDIR");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir saveDir;
    StandInServer server;
    if (!out.mkpath(QStringLiteral(".")) || !saveDir.isValid() || !server.isRunning())
        return 1;
    const QString base = server.baseUrl();

    WebBrowerFunction().openBrower(base + QStringLiteral("/help"));
    BrowserWindow *window = WebBrowerFunction::browserHost()->windows().first();
    window->resize(960, 600);
    TabWidget *tabs = window->tabWidget();
    tabs->createTab()->setUrl(QUrl(base + QStringLiteral("/browser/page?title=Invoices&icon=2978e1")));
    tabs->createTab()->setUrl(QUrl(base + QStringLiteral("/api/ArticleApi/mini")));
    const auto allLoaded = [tabs] {
        for (int i = 0; i < tabs->count(); ++i) {
            const auto *view = qobject_cast<WebView *>(tabs->widget(i));
            if (view->loadProgress() != 100 || tabs->tabText(i) == QStringLiteral("(Untitled)"))
                return false;
        }
        return true;
    };
    if (!waitFor(allLoaded, "three pages") || !save(window, out, QStringLiteral("browser-window.png")))
        return 1;

    // Two downloads, each saved where the "Save as" question is answered.
    ModalAnswerer answerer;
    const auto saveAs = [&answerer, &saveDir](const QString &name) {
        answerer.expect([&saveDir, name](QWidget *modal) {
            qobject_cast<QFileDialog *>(modal)->selectFile(saveDir.filePath(name));
            ModalAnswerer::press(modal, QDialogButtonBox::Save);
        });
    };
    DownloadManagerWidget &downloads = WebBrowerFunction::browserHost()->downloadManagerWidget();
    const auto newestRow = [&downloads]() -> DownloadWidget * {
        const QList<DownloadWidget *> rows = downloads.findChildren<DownloadWidget *>();
        return rows.isEmpty() ? nullptr : rows.last();
    };
    saveAs(QStringLiteral("invoices-2026.zip"));
    tabs->setUrl(QUrl(base + QStringLiteral("/browser/file/invoices-2026.zip?size=1572864")));
    if (!waitFor([&] { return newestRow() && barText(newestRow()).startsWith(QStringLiteral("completed")); },
                 "the first download"))
        return 1;

    saveAs(QStringLiteral("plit-setup.exe"));
    tabs->setUrl(QUrl(base + QStringLiteral("/browser/file/plit-setup.exe?size=52428800&sent=2097152")));
    if (!waitFor([&] { return downloads.findChildren<DownloadWidget *>().size() == 2
                              && barText(newestRow()).contains(QStringLiteral("2.00 MiB of")); },
                 "the second download"))
        return 1;
    newestRow()->findChild<QPushButton *>()->click();
    if (!waitFor([&] { return barText(newestRow()).startsWith(QStringLiteral("cancelled")); },
                 "the cancelled download")
        || !save(&downloads, out, QStringLiteral("browser-downloads.png")))
        return 1;

    qDeleteAll(WebBrowerFunction::browserHost()->windows());
    return 0;
}
