import QtQuick 2.15

// A button drawn as a line of text, such as "注册新账号" or "忘记密码?";
// underlined while the pointer is over it.
ButtonBase {
    id: button

    property alias color: label.color
    property alias font: label.font
    property alias horizontalAlignment: label.horizontalAlignment
    property alias elide: label.elide

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight

    UiText {
        id: label
        anchors.fill: parent
        verticalAlignment: Text.AlignVCenter
        text: button.text
        color: $mainTone
        font.pixelSize: 12
        font.underline: button.hovered && button.enabled
        Accessible.ignored: true
    }
}
