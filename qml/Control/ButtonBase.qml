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
    // Where the keys go when the button hides itself while it has them
    // (a button that turns into others, a row that ends): by default the
    // next control in Tab's order.
    property Item successor: null

    signal clicked()

    function press() {
        if (enabled)
            clicked()
    }

    function handOverFocus() {
        if (visible || !activeFocus)
            return
        var next = successor && successor.visible && successor.enabled ? successor : nextItemInFocusChain(true)
        if (next && next !== button)
            next.forceActiveFocus()
    }

    activeFocusOnTab: enabled
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.onPressAction: press()
    Keys.onReturnPressed: press()
    Keys.onEnterPressed: press()
    Keys.onSpacePressed: press()
    // Once what hides it has settled: the successor may show in the same turn.
    onVisibleChanged: {
        if (!visible && activeFocus)
            Qt.callLater(handOverFocus)
    }

    MouseShape {
        id: mouse
        onClicked: button.press()
    }

    // Only the keyboard gives a button the focus, so the ring shows where
    // Tab has arrived: two pixels of blue inside two of white, so that it
    // stands out on the white pages (the blue) and on the blue title bars
    // (the white) alike.
    Rectangle {
        anchors.fill: parent
        anchors.margins: button.focusRingMargin - 2
        z: 1
        radius: 4
        color: "transparent"
        border.color: "white"
        border.width: 2
        visible: button.activeFocus

        Rectangle {
            anchors.fill: parent
            anchors.margins: 2
            radius: 3
            color: "transparent"
            border.color: $mainTone
            border.width: 2
        }
    }
}
