import QtQuick 2.15
import QtQuick.Window 2.15

// Drags the frameless window it lies in with the left button: the press
// point is kept, and every move shifts the window by how far the pointer has
// gone from it.
MouseArea {
    property point clickPos: "0,0"

    acceptedButtons: Qt.LeftButton
    onPressed: clickPos = Qt.point(mouse.x, mouse.y)
    onPositionChanged: {
        var win = Window.window
        var delta = Qt.point(mouse.x - clickPos.x, mouse.y - clickPos.y)
        win.setX(win.x + delta.x)
        win.setY(win.y + delta.y)
    }
}
