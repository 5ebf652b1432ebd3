import QtQuick 2.15

// What every button of the interface shares, so that each one works the same
// for the mouse, the keyboard and a screen reader: a click, Return, Enter or
// Space while it has the focus, and the reader's press action all run the one
// handler; `text` is what the reader says, also for buttons that draw only an
// icon. A disabled button does nothing.
Item {
    id: button

    property string text
    readonly property alias hovered: mouse.containsMouse
    readonly property alias pressed: mouse.pressed

    // Where the focus ring lies: outside the button (negative), or inside
    // it where the button sits in a list that clips.
    property int focusRingMargin: -2

    signal clicked()

    function press() {
        if (enabled)
            clicked()
    }

    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.onPressAction: press()
    Keys.onReturnPressed: press()
    Keys.onEnterPressed: press()
    Keys.onSpacePressed: press()

    MouseShape {
        id: mouse
        onClicked: button.press()
    }

    // Only the keyboard gives a button the focus, so the ring shows where
    // Tab has arrived: blue inside white, so that it shows on the white
    // pages and on the blue title bars alike.
    Rectangle {
        anchors.fill: parent
        anchors.margins: button.focusRingMargin - 1
        z: 1
        radius: 4
        color: "transparent"
        border.color: "white"
        border.width: 1
        visible: button.activeFocus

        Rectangle {
            anchors.fill: parent
            anchors.margins: 1
            radius: 3
            color: "transparent"
            border.color: $mainTone
            border.width: 1
        }
    }
}
