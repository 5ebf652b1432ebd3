#include "desktop/dpi.h"

#include <QGuiApplication>
#include <QScreen>

Dpi::Dpi(QObject *parent)
    : QObject(parent)
{
}

float Dpi::getDp()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? factorForWidth(screen->availableGeometry().width()) : 0.0f;
}

float Dpi::factorForWidth(int width)
{
    return float(width / 1920);
}
