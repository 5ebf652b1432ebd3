import QtQuick 2.15
import QtQuick.Window 2.15
import QtGraphicalEffects 1.15

// The white card of a frameless window with its soft shadow. It lies behind
// the window's content; the window leaves a margin around it for the shadow.
Rectangle {
    id: shadowBg

    property int listViewActive: 0
    property alias mainRect: mainRect
    property int shadowMargin: 10
    // The shadow is made when the window first shows, not when it is
    // created: most windows of the interface wait hidden, and a blur takes
    // time to set up.
    property bool shown: false
    readonly property bool windowVisible: Window.window !== null && Window.window.visible

    width: 480
    height: 680
    color: "transparent"
    onWindowVisibleChanged: shown = shown || windowVisible

    Rectangle {
        id: mainRect
        anchors.centerIn: parent
        width: parent.width - 2 * shadowBg.shadowMargin
        height: parent.height - 2 * shadowBg.shadowMargin
        radius: 2
        color: "white"
    }

    Loader {
        anchors.fill: mainRect
        active: shadowBg.shown || shadowBg.windowVisible
        sourceComponent: DropShadow {
            id: rectShadow
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
}
