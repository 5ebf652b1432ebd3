#pragma once

#include <QString>

// The windowing platform of the interface: chosen before the application
// object exists (Deployment::windowPlatform()), told in the log once it does.
class PlatformChoice
{
public:
    // Asks Qt for the chosen platform, through QT_QPA_PLATFORM.
    PlatformChoice();
    // Once the application object exists: takes back the variable it set, so
    // that programs started from here choose for themselves, and writes
    // which platform was taken and why.
    void settle();

private:
    QString m_platform;
    QString m_why;
};
