import QtQuick 2.15
import "./Control"

// Asked when the main window's close button is pressed: end the program, or
// hide the window and go on in the tray.
DialogWindow {
    id: exitWindow

    property bool exitorhide: true
    // Only a desktop with a notification area can take the program in:
    // without one, hiding the window would leave no way back.
    property bool trayOffered: true

    title: "提示"
    headerTitle: "Plit云台·关闭提醒"
    width: 330
    height: 210
    visible: false
    // It opens on going on in the tray where there is one, nothing lost,
    // with "确定" taking Return at once.
    initialFocus: enterBtn
    onVisibleChanged: {
        if (visible) {
            trayOffered = typeof systemTray === "undefined" || systemTray.isAvailable()
            exitorhide = !trayOffered
        }
    }

    Column {
        x: 70
        y: 28
        spacing: 16

        RadioItem {
            id: rd1
            text: " 退出"
            checked: exitWindow.exitorhide
            onChosen: exitWindow.exitorhide = true
        }

        RadioItem {
            id: rd2
            visible: exitWindow.trayOffered
            text: " 最小化托盘"
            checked: !exitWindow.exitorhide
            onChosen: exitWindow.exitorhide = false
        }
    }

    ActionButton {
        id: enterBtn
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        width: 100
        height: 34
        text: "确定"
        onClicked: {
            if (exitWindow.exitorhide || !exitWindow.trayOffered) {
                Qt.quit()
            } else {
                exitWindow.close()
                // Hidden straight away: a window minimised on its way into the
                // tray comes back iconic under some window managers (xfwm4).
                mainWindow.hide()
            }
        }
    }
}
