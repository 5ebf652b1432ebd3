import QtQuick 2.15
import "./Control"

// The warning every window shows the same way: created with `warningText`
// set, then shown; "确定" closes it.
DialogWindow {
    id: messageWindow

    property string warningText

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
