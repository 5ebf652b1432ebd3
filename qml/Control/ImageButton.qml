import QtQuick 2.15

// A button that draws only an icon, such as the window buttons of a title
// band; `text` still names it for a screen reader.
ButtonBase {
    id: button

    property alias source: icon.source
    // The wash behind the icon while the pointer is over it.
    property color hoverColor: Qt.rgba(1, 1, 1, 0.18)

    implicitWidth: icon.implicitWidth
    implicitHeight: icon.implicitHeight

    Rectangle {
        anchors.fill: parent
        radius: 2
        color: button.pressed ? Qt.darker(button.hoverColor, 1.2) : button.hoverColor
        visible: button.hovered
    }

    Image {
        id: icon
        anchors.centerIn: parent
    }
}
