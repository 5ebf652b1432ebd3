import QtQuick 2.15

// The filled blue button that carries out a window's action ("登录",
// "提交", "确定"); grey while it cannot be pressed.
ButtonBase {
    id: button

    property int fontSize: 15
    // The fill, and the fill under the pointer.
    property color color: $mainTone
    property color hoverColor: Qt.lighter(color, 1.1)

    implicitWidth: 160
    implicitHeight: 34

    Rectangle {
        anchors.fill: parent
        radius: 2
        color: !button.enabled ? $lineRectColor
             : button.pressed ? $underTone
             : button.hovered ? button.hoverColor
             : button.color
    }

    UiText {
        anchors.centerIn: parent
        text: button.text
        color: "white"
        font.pixelSize: button.fontSize
        Accessible.ignored: true
    }
}
