import QtQuick 2.15
import QtQuick.Controls 2.15
import QtGraphicalEffects 1.15

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
        layer.enabled: true
        layer.effect: DropShadow {
            color: "#40000000"
            radius: 8
            samples: 17
            verticalOffset: 2
        }
    }
}
