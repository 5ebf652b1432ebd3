import QtQuick 2.15

// A button that turns a list's page, outlined in blue; grey while there is
// no page that way, its text still readable.
ButtonBase {
    id: button

    implicitWidth: 64
    implicitHeight: 30

    Rectangle {
        anchors.fill: parent
        radius: 2
        color: button.enabled && button.hovered ? $btnColor : "white"
        border.color: button.enabled ? $mainTone : $lineRectColor
    }

    UiText {
        anchors.centerIn: parent
        text: button.text
        color: button.enabled ? $mainTone : "#666666"
        font.pixelSize: 13
        Accessible.ignored: true
    }
}
