import QtQuick 2.15
import QtQuick.Controls 2.15

// A pop-up menu of MenuEntry items on a white card with a thin frame and a
// soft shadow.
Menu {
    id: popupMenu

    topPadding: 4
    bottomPadding: 4

    background: Rectangle {
        implicitWidth: 132
        color: "white"
        border.color: $lineColor
        radius: 2

        // Lighter than a window's: a menu lies close over its window.
        CardShadow {
            card: parent
            z: -1
            opacity: 0.5
        }
    }
}
