import QtQuick 2.15
import QtGraphicalEffects 1.15

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

    Rectangle {
        id: mainRect
        anchors.centerIn: parent
        width: parent.width - 2 * shadowBg.shadowMargin
        height: parent.height - 2 * shadowBg.shadowMargin
        radius: 2
        color: "white"
    }

    DropShadow {
        id: rectShadow
        anchors.fill: mainRect
        source: mainRect
        color: "#80000000"
        radius: 8
        samples: 16
        horizontalOffset: 0
        verticalOffset: 3
        cached: true
        smooth: true
    }
}
