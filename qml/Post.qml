import QtQuick 2.15
import QtQuick.Window 2.15
import "./Control"

// The system-notice pop-up in the bottom-right corner of the screen.
DialogWindow {
    id: postWindow

    property var postModel
    property int postModelCount
    property int indexinfo: 0

    title: "Plit通知"
    headerTitle: "Plit云台·Plit通知"
    width: 320
    height: 190
    x: Screen.desktopAvailableWidth - width
    y: Screen.desktopAvailableHeight - height
}
