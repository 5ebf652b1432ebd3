#pragma once

#include "browser/downloadmanagerwidget.h"

#include <QVector>

class BrowserWindow;

// Owns the browser's windows and its downloads window, which takes every
// download of the default web profile. It must outlive its windows: they ask
// it for new windows.
class BrowserHost
{
public:
    BrowserHost();
    ~BrowserHost();

    BrowserHost(const BrowserHost &) = delete;
    BrowserHost &operator=(const BrowserHost &) = delete;

    // A new, shown window on the default profile.
    BrowserWindow *createWindow();
    DownloadManagerWidget &downloadManagerWidget();
    // The open windows, oldest first.
    QVector<BrowserWindow *> windows() const;

private:
    QVector<BrowserWindow *> m_windows;
    DownloadManagerWidget m_downloadManagerWidget;
};
