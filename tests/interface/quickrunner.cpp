// A Qt Quick Test runner whose backend is the stand-ins of standins.qml in
// the folder of its tests.
#include "common/qmltestsetup.h"

#include <QtQuickTest>

struct StandInSetup : QmlTestSetup
{
    StandInSetup()
        : QmlTestSetup(QStringLiteral(QUICK_TEST_SOURCE_DIR "/standins.qml"))
    {
    }
};

PLIT_QUICK_TEST_MAIN_WITH_SETUP(interface, StandInSetup)
