import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/"
import "find.js" as Find

// The close dialog: end the program, or hide the main window and go on in
// the tray.
Item {
    width: 100
    height: 100

    Window {
        id: mainWindow
        width: 400
        height: 300
        visible: true

        ExitPanel {
            id: exitWindow
        }
    }

    TestCase {
        name: "ExitPanel"
        when: windowShown

        function init() {
            testbed.clear()
            mainWindow.show()
            exitWindow.exitorhide = true
            exitWindow.show()
            tryCompare(exitWindow, "visible", true)
            waitForRendering(exitWindow.contentItem)
        }

        function cleanup() {
            exitWindow.close()
        }

        function click(name) {
            var item = Find.inWindow(exitWindow, name)
            verify(item, name)
            mouseClick(item)
        }

        // It opens on going on in the tray, "确定" with the keys: nothing is
        // lost by a Return pressed at once.
        function test_trayIsTheChoiceItOpensOn() {
            compare(exitWindow.headerTitle, "Plit云台·关闭提醒")
            compare(exitWindow.title, "提示")
            verify(!Find.inWindow(exitWindow, " 退出").checked)
            verify(Find.inWindow(exitWindow, " 最小化托盘").checked)
            verify(Find.inWindow(exitWindow, "确定").activeFocus)
            keyClick(Qt.Key_Return)
            tryCompare(mainWindow, "visible", false)
            compare(testbed.quitCount, 0)
        }

        function test_trayHidesTheMainWindowWithoutQuitting() {
            click(" 最小化托盘")
            verify(!exitWindow.exitorhide)
            verify(!Find.inWindow(exitWindow, " 退出").checked)
            click("确定")
            tryCompare(mainWindow, "visible", false)
            verify(!exitWindow.visible)
            compare(testbed.quitCount, 0)

            // The choice can be taken back before "确定".
            exitWindow.show()
            click(" 退出")
            verify(exitWindow.exitorhide)
            click("确定")
            compare(testbed.quitCount, 1)
        }

        function test_headerCloseOnlyCloses() {
            click("关闭")
            tryCompare(exitWindow, "visible", false)
            verify(mainWindow.visible)
            compare(testbed.quitCount, 0)
        }
    }
}
