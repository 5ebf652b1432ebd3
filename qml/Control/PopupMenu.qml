import QtQuick 2.15
import QtQuick.Controls 2.15

// A pop-up menu of MenuEntry items on a white card with a thin frame and a
// soft shadow. A screen reader names it by its `title`.
Menu {
    id: popupMenu

    // The control that opened the menu (set by what opens it): a window
    // opened from an entry gives the keys back to it.
    property Item opener: null

    // What a screen reader says is the title of the page the menu draws on.
    Binding {
        target: popupMenu.contentItem ? popupMenu.contentItem.parent : null
        property: "title"
        value: popupMenu.title
    }

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
