#pragma once

#include <QIcon>
#include <QUrl>

// The icon behind a source URL as QML authors write it: a local file URL
// loads the file, "qrc:/images/app.ico" loads the resource ":/images/app.ico".
QIcon iconFromSource(const QUrl &source);
