import QtQuick 2.15
import "./Control"

// The warning every window shows the same way: created with `warningText`
// set, then shown; "确定" closes it. With `followsPrintHelper` it tells how
// the print helper's download goes instead, with its progress, until the
// download ends.
DialogWindow {
    id: messageWindow

    property string warningText
    property bool followsPrintHelper: false
    // From 0 to 1 while a download runs; -1 for none.
    property real progress: followsPrintHelper ? 0 : -1

    title: "Plit提示"
    headerTitle: "Plit云台·Plit提示"
    width: 330
    height: 190
    modality: Qt.WindowModal
    // Return and Space confirm at once.
    initialFocus: btn_confirm

    Row {
        x: 24
        y: 24
        width: parent.width - 2 * x
        spacing: 12

        Image {
            id: icon
            source: "qrc:/images/Q.png"
        }

        UiText {
            id: tipText
            width: parent.width - icon.width - parent.spacing
            text: messageWindow.warningText
            wrapMode: Text.Wrap
            // Read out as the window shows, like the forms' red lines.
            Accessible.role: Accessible.AlertMessage
        }
    }

    ProgressLine {
        x: 24
        y: 72
        width: parent.width - 2 * x
        visible: messageWindow.progress >= 0
        value: messageWindow.progress
        name: messageWindow.warningText
    }

    Connections {
        target: messageWindow.followsPrintHelper ? mainFunction : null
        function onPrintHelperProgress(received, total) {
            if (total > 0)
                messageWindow.progress = received / total
        }
        function onPrintHelperFetched(complete) {
            messageWindow.followsPrintHelper = false
            messageWindow.warningText = complete ? "打印助手已下载，正在启动安装。" : "打印助手下载失败，请稍后再试。"
        }
    }

    ActionButton {
        id: btn_confirm
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
        width: 80
        height: 30
        text: "确定"
        onClicked: messageWindow.close()
    }
}
