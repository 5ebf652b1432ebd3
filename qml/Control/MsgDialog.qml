import QtQuick 2.15
import QtQuick.Window 2.15

// A small information window: "信息提示", a text, and "确定", which Return
// also presses. It takes the keyboard focus when it becomes active.
Window {
    id: msgDialog

    property alias text: message.text

    width: 300
    height: 100
    title: "信息提示"
    flags: Qt.FramelessWindowHint | Qt.Window
    modality: Qt.ApplicationModal
    color: "white"

    onActiveChanged: {
        if (active)
            btnOk.forceActiveFocus()
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.color: $lineColor
    }

    DialogHeader {
        id: header
        width: parent.width
        height: 28
        title: "信息提示"
        titleSize: 13
    }

    UiText {
        id: message
        anchors.left: parent.left
        anchors.right: btnOk.left
        anchors.margins: 12
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.Wrap
        elide: Text.ElideRight
        font.pixelSize: 13
    }

    ActionButton {
        id: btnOk
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: message.verticalCenter
        width: 60
        height: 26
        text: "确定"
        fontSize: 13
        onClicked: msgDialog.close()
    }

    Shortcut {
        sequence: "Esc"
        onActivated: msgDialog.close()
    }
}
