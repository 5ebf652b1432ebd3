import QtQuick 2.15
import an.utility 1.0

// The tray of the main window, as the main window declares it, with a menu
// of every kind of entry.
Item {
    property alias tray: systemTray
    property int triggers: 0

    SystemTrayIcon {
        id: systemTray
        visible: true
        icon: "qrc:/images/app.ico"
        toolTip: "Plit云台..."
        menu: MyMenu {
            MyAction { text: "打开" }
            MySeparator {}
            MyMenu {
                MyAction { text: "子项" }
            }
            MyAction { objectName: "hidden"; text: "隐藏" }
            MyAction {
                text: "退出"
                onTriggered: systemTray.onExit()
            }
        }
        onTrigger: triggers += 1
    }
}
