#include "common/qmltestsetup.h"

#include <QtQuickTest>

PLIT_QUICK_TEST_MAIN_WITH_SETUP(desktopqml, QmlTestSetup)
