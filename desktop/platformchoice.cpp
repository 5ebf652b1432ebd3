#include "desktop/platformchoice.h"

#include "core/deployment.h"

#include <QDebug>
#include <QGuiApplication>

PlatformChoice::PlatformChoice()
{
    m_platform = Deployment::windowPlatform(&m_why);
    if (!m_platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", m_platform.toLatin1());
}

void PlatformChoice::settle()
{
    if (!m_platform.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    qInfo().noquote() << QStringLiteral("the windowing platform: %1 (%2)").arg(QGuiApplication::platformName(), m_why);
}
