import QtQuick 2.15
import "./Control"

// A navigation button of the main window's title band: an icon over its
// label, on a translucent blue panel while it is the selected one.
ButtonBase {
    id: homeRect

    property int currentindex
    property int index
    property string name
    property string image
    // The icon's cell and the icon's edge. The icon's image carries its
    // shadow in a margin of 8 around the icon.
    property int cellSize: 48
    property int iconSize: 36

    signal click()

    function setBgVisible(show) {
        mainpagebgimage.visible = show
    }

    width: 120
    height: 115
    text: name
    // A reader presses buttons, not page tabs: the selection shows as checked.
    Accessible.checkable: true
    Accessible.checked: mainpagebgimage.visible
    onClicked: click()

    Rectangle {
        id: mainpagebgimage
        objectName: "mainpagebgimage"
        anchors.fill: parent
        visible: homeRect.currentindex === homeRect.index
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0x19 / 255, 0xa0 / 255, 1, 0.35) }
            GradientStop { position: 1.0; color: Qt.rgba(0, 0x2f / 255, 0xc9 / 255, 0.35) }
        }

        Rectangle { width: 1; height: parent.height; anchors.left: parent.left; color: "#27d4d2" }
        Rectangle { width: 1; height: parent.height; anchors.right: parent.right; color: "#27d4d2" }
    }

    Item {
        id: iconCell
        width: homeRect.cellSize
        height: homeRect.cellSize
        anchors.horizontalCenter: parent.horizontalCenter
        y: 24

        Image {
            id: icon
            anchors.centerIn: parent
            width: homeRect.iconSize + 16
            height: homeRect.iconSize + 16
            source: homeRect.image
        }
    }

    UiText {
        anchors.top: iconCell.bottom
        anchors.topMargin: 8
        anchors.horizontalCenter: parent.horizontalCenter
        width: 120
        height: 20
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: homeRect.name
        color: "white"
        font.pixelSize: 14
        Accessible.ignored: true
    }
}
