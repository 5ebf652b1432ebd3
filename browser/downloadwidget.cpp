#include "browser/downloadwidget.h"

#include "browser/browsericons.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QWebEngineDownloadItem>

DownloadWidget::DownloadWidget(QWebEngineDownloadItem *download, QWidget *parent)
    : QFrame(parent)
    , m_download(download)
    , m_dstName(new QLabel(download->downloadFileName(), this))
    , m_cancelButton(new QPushButton(this))
    , m_srcUrl(new QLabel(download->url().toDisplayString(), this))
    , m_progressBar(new QProgressBar(this))
{
    m_timeAdded.start();

    setObjectName(QStringLiteral("DownloadWidget"));
    setStyleSheet(QStringLiteral("#DownloadWidget {\n"
                                 "  background: palette(button);\n"
                                 "  border: 1px solid palette(dark);\n"
                                 "  margin: 0px;\n"
                                 "}"));

    m_dstName->setObjectName(QStringLiteral("m_dstName"));
    m_dstName->setStyleSheet(QStringLiteral("font-weight: bold\n"));
    // The name and address are the server's words.
    m_dstName->setTextFormat(Qt::PlainText);

    m_cancelButton->setObjectName(QStringLiteral("m_cancelButton"));
    m_cancelButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_cancelButton->setFlat(false);
    m_cancelButton->setStyleSheet(QStringLiteral("QPushButton {\n"
                                                 "  margin: 1px;\n"
                                                 "  border: none;\n"
                                                 "}\n"
                                                 "QPushButton:pressed {\n"
                                                 "  margin: none;\n"
                                                 "  border: 1px solid palette(shadow);\n"
                                                 "  background: palette(midlight);\n"
                                                 "}"));

    m_srcUrl->setObjectName(QStringLiteral("m_srcUrl"));
    m_srcUrl->setMaximumWidth(350);
    m_srcUrl->setTextFormat(Qt::PlainText);

    m_progressBar->setObjectName(QStringLiteral("m_progressBar"));
    m_progressBar->setStyleSheet(QStringLiteral("font-size: 12px"));

    auto *layout = new QGridLayout(this);
    layout->setObjectName(QStringLiteral("m_topLevelLayout"));
    layout->setSizeConstraint(QLayout::SetMinAndMaxSize);
    layout->addWidget(m_dstName, 0, 0);
    layout->addWidget(m_cancelButton, 0, 1);
    layout->addWidget(m_srcUrl, 1, 0, 1, 2);
    layout->addWidget(m_progressBar, 2, 0, 1, 2);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_download->state() == QWebEngineDownloadItem::DownloadInProgress)
            m_download->cancel();
        else
            emit removeClicked(this);
    });
    connect(m_download, &QWebEngineDownloadItem::downloadProgress, this, &DownloadWidget::updateWidget);
    connect(m_download, &QWebEngineDownloadItem::stateChanged, this, &DownloadWidget::updateWidget);
    updateWidget();
}

QString DownloadWidget::withUnit(qreal bytes)
{
    if (bytes < (1 << 10))
        return tr("%L1 B").arg(bytes, 0, 'g', QLocale::FloatingPointShortest);
    if (bytes < (1 << 20))
        return tr("%L1 KiB").arg(bytes / (1 << 10), 0, 'f', 2);
    if (bytes < (1 << 30))
        return tr("%L1 MiB").arg(bytes / (1 << 20), 0, 'f', 2);
    return tr("%L1 GiB").arg(bytes / (1 << 30), 0, 'f', 2);
}

void DownloadWidget::updateWidget()
{
    const qreal totalBytes = m_download->totalBytes();
    const qreal receivedBytes = m_download->receivedBytes();
    // Right after the row is made no time has passed yet; a speed over zero
    // milliseconds would show as "nan" or "inf".
    const qreal bytesPerSecond = receivedBytes / qMax<qint64>(m_timeAdded.elapsed(), 1) * 1000;
    const QString received = withUnit(receivedBytes);
    const QString speed = withUnit(bytesPerSecond);

    int value = 0;
    QString format;
    const bool running = m_download->state() == QWebEngineDownloadItem::DownloadInProgress;
    switch (m_download->state()) {
    case QWebEngineDownloadItem::DownloadRequested:
    case QWebEngineDownloadItem::DownloadInProgress:
        if (totalBytes >= 0) {
            // An empty file has nothing to count yet.
            value = totalBytes > 0 ? qRound(100 * receivedBytes / totalBytes) : 0;
            format = tr("%p% - %1 of %2 downloaded - %3/s").arg(received, withUnit(totalBytes), speed);
        } else {
            format = tr("unknown size - %1 downloaded - %2/s").arg(received, speed);
        }
        break;
    case QWebEngineDownloadItem::DownloadCompleted:
        value = 100;
        format = tr("completed - %1 downloaded - %2/s").arg(received, speed);
        break;
    case QWebEngineDownloadItem::DownloadCancelled:
        format = tr("cancelled - %1 downloaded - %2/s").arg(received, speed);
        break;
    case QWebEngineDownloadItem::DownloadInterrupted:
        format = tr("interrupted: %1").arg(m_download->interruptReasonString());
        break;
    }
    m_progressBar->setValue(value);
    m_progressBar->setEnabled(running);
    m_progressBar->setFormat(format);

    static const QIcon stopIcon = browserIcon(QStringLiteral(":process-stop.png"));
    static const QIcon removeIcon = browserIcon(QStringLiteral(":edit-clear.png"));
    m_cancelButton->setIcon(running ? stopIcon : removeIcon);
    m_cancelButton->setToolTip(running ? tr("Stop downloading") : tr("Remove from list"));
}
