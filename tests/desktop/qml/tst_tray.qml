import QtQuick 2.15
import QtTest 1.2
import an.utility 1.0
import Clipboard 1.0

TestCase {
    name: "Tray"

    SystemTrayIcon {
        id: systemTray
        visible: true
        icon: "qrc:/images/app.ico"
        toolTip: "Plit云台..."
        menu: MyMenu {
            MyAction {
                id: exitAction
                text: "退出"
            }
        }
    }

    Clipboard { id: clipboard }

    SignalSpy { id: triggerSpy; target: systemTray; signalName: "trigger" }

    function test_trayDeclaredAsTheMainWindowDoes() {
        compare(systemTray.toolTip, "Plit云台...")
        compare(systemTray.icon, "qrc:/images/app.ico")
        verify(systemTray.menu !== null)
        compare(exitAction.text, "退出")
    }

    function test_clickOnTheIconTriggers() {
        triggerSpy.clear()
        systemTray.onActivated(3) // a plain click
        systemTray.onActivated(1) // the context menu
        compare(triggerSpy.count, 1)
    }

    function test_clipboardFromQml() {
        clipboard.setText("复制的地址")
        compare(clipboard.getText(), "复制的地址")
    }
}
