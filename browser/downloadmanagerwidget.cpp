#include "browser/downloadmanagerwidget.h"

#include "browser/downloadwidget.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWebEngineDownloadItem>

DownloadManagerWidget::DownloadManagerWidget(QWidget *parent)
    : QWidget(parent)
    , m_itemsLayout(new QVBoxLayout)
    , m_zeroItemsLabel(new QLabel(tr("No downloads")))
{
    setObjectName(QStringLiteral("DownloadManagerWidget"));
    resize(400, 212);
    setStyleSheet(QStringLiteral("#DownloadManagerWidget {\n"
                                 "    background: palette(button)\n"
                                 "}"));
    setWindowTitle(tr("Downloads"));

    auto *items = new QWidget;
    items->setObjectName(QStringLiteral("m_items"));
    items->setStyleSheet(QStringLiteral("#m_items {background: palette(mid)}"));
    m_itemsLayout->setObjectName(QStringLiteral("m_itemsLayout"));
    m_itemsLayout->setSpacing(2);
    m_itemsLayout->setContentsMargins(3, 3, 3, 3);
    items->setLayout(m_itemsLayout);

    m_zeroItemsLabel->setObjectName(QStringLiteral("m_zeroItemsLabel"));
    m_zeroItemsLabel->setStyleSheet(QStringLiteral("color: palette(shadow)"));
    m_zeroItemsLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_zeroItemsLabel->setAlignment(Qt::AlignCenter);
    m_itemsLayout->addWidget(m_zeroItemsLabel);

    auto *scrollArea = new QScrollArea;
    scrollArea->setObjectName(QStringLiteral("m_scrollArea"));
    scrollArea->setStyleSheet(QStringLiteral("#m_scrollArea {\n"
                                             "  margin: 2px;\n"
                                             "  border: none;\n"
                                             "}"));
    scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    scrollArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea->setWidget(items);

    auto *topLevelLayout = new QVBoxLayout(this);
    topLevelLayout->setObjectName(QStringLiteral("m_topLevelLayout"));
    topLevelLayout->setSizeConstraint(QLayout::SetNoConstraint);
    topLevelLayout->setContentsMargins(0, 0, 0, 0);
    topLevelLayout->addWidget(scrollArea);
}

void DownloadManagerWidget::downloadRequested(QWebEngineDownloadItem *download)
{
    QFileDialog dialog(this, tr("Save as"),
                       QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Cancelled, the question never counts as the program's last window.
    dialog.setAttribute(Qt::WA_QuitOnClose, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return;
    const QFileInfo chosen(path);
    download->setDownloadDirectory(chosen.path());
    download->setDownloadFileName(chosen.fileName());
    download->accept();
    add(new DownloadWidget(download));
    show();
}

void DownloadManagerWidget::add(DownloadWidget *downloadWidget)
{
    connect(downloadWidget, &DownloadWidget::removeClicked, this, &DownloadManagerWidget::remove);
    m_itemsLayout->insertWidget(0, downloadWidget, 0, Qt::AlignTop);
    if (m_numDownloads++ == 0)
        m_zeroItemsLabel->hide();
}

void DownloadManagerWidget::remove(DownloadWidget *downloadWidget)
{
    if (m_itemsLayout->indexOf(downloadWidget) == -1)
        return;
    m_itemsLayout->removeWidget(downloadWidget);
    downloadWidget->deleteLater();
    if (--m_numDownloads == 0)
        m_zeroItemsLabel->show();
}
