import QtQuick 2.15

// The white card of a frameless window with its soft shadow. It lies behind
// the window's content; the window leaves a margin around it for the shadow.
Rectangle {
    id: shadowBg

    property int listViewActive: 0
    property alias mainRect: mainRect
    property int shadowMargin: 10

    width: 480
    height: 680
    color: "transparent"

    CardShadow {
        id: rectShadow
        card: mainRect
    }

    Rectangle {
        id: mainRect
        anchors.centerIn: parent
        width: parent.width - 2 * shadowBg.shadowMargin
        height: parent.height - 2 * shadowBg.shadowMargin
        radius: 2
        color: "white"
    }
}
