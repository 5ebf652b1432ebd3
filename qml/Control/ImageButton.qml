import QtQuick 2.15

// A button that draws only an icon, such as the window buttons of a title
// band; `text` still names it for a screen reader.
ButtonBase {
    id: button

    property alias source: icon.source
    // The wash behind the icon: `hoverColor` while the pointer is over it,
    // `color` otherwise.
    property color hoverColor: Qt.rgba(1, 1, 1, 0.18)
    property color color: "transparent"

    implicitWidth: icon.implicitWidth
    implicitHeight: icon.implicitHeight

    Rectangle {
        anchors.fill: parent
        radius: 2
        color: !button.hovered ? button.color
             : button.pressed ? Qt.darker(button.hoverColor, 1.2)
             : button.hoverColor
    }

    Image {
        id: icon
        anchors.centerIn: parent
    }
}
