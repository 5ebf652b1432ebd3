#include "core/installerwatch.h"

InstallerWatch *InstallerWatch::instance()
{
    // Lives as long as the process: installers may end at any time.
    static InstallerWatch *watch = new InstallerWatch;
    return watch;
}
