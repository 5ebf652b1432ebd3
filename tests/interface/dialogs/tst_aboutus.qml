import QtQuick 2.15
import QtTest 1.2
import "qrc:/More"
import "find.js" as Find

// About: what it shows is read when it opens.
Item {
    width: 100
    height: 100

    AboutUs {
        id: aboutUsWindow
    }

    TestCase {
        name: "AboutUs"
        when: windowShown

        function cleanup() {
            aboutUsWindow.close()
        }

        function test_showsVersionDateHotlineAndCopyright() {
            verify(datebaseFunction.updateDatabaseDate("2026-3-10"))
            aboutUsWindow.show()
            tryCompare(aboutUsWindow, "visible", true)
            verify(Find.inWindow(aboutUsWindow, "Plit云台  ·关于我们"))
            verify(Find.inWindow(aboutUsWindow, "2.0.0.2"))
            verify(Find.inWindow(aboutUsWindow, "2026-3-10"))
            verify(Find.inWindow(aboutUsWindow, versionInfo.serviceHotline()))
            verify(Find.inWindow(aboutUsWindow, versionInfo.copyrightLine()))
            verify(versionInfo.serviceHotline() !== "")
            compare(aboutUsWindow.minimumWidth, 496)
            compare(aboutUsWindow.minimumHeight, 356)

            // An update of the date shows at the next opening.
            aboutUsWindow.close()
            verify(datebaseFunction.updateDatabaseDate("2026-4-1"))
            aboutUsWindow.show()
            tryVerify(function () { return Find.inWindow(aboutUsWindow, "2026-4-1") !== null })
        }
    }
}
