import QtQuick 2.15
import QtQuick.Controls 2.15

// An entry of a pop-up menu: its icon and text on white, light blue while
// the pointer or the keyboard is on it.
MenuItem {
    id: entry

    implicitWidth: 132
    implicitHeight: 32
    leftPadding: 12
    rightPadding: 12
    Accessible.role: Accessible.MenuItem
    Accessible.name: text

    contentItem: Row {
        spacing: 8

        Image {
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
            source: entry.icon.source
        }

        UiText {
            anchors.verticalCenter: parent.verticalCenter
            text: entry.text
            font.pixelSize: 13
            color: entry.highlighted ? $mainTone : $fontColor3
            Accessible.ignored: true
        }
    }

    background: Rectangle {
        color: entry.highlighted ? $btnColor : "white"
    }
}
