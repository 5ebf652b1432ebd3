import QtQuick 2.15
import QtQuick.Window 2.15
import "Dialogs.js" as Dialogs

// A frameless window of the interface: a white card with its shadow, the
// blue header (dragged to move the window, its buttons at the right) and
// the window's own content below the header. Escape closes it.
Window {
    id: dialog

    // The header's text; `title` stays the window's own.
    property alias headerTitle: header.title
    property alias header: header
    // The area below the header, for the window's content.
    default property alias content: body.data
    readonly property alias body: body
    // What the card's margin and the header take of the window's size, for
    // windows that size themselves to their content.
    readonly property int chromeWidth: 2 * shadow.shadowMargin
    readonly property int chromeHeight: 2 * shadow.shadowMargin + header.height
    // Where the keyboard goes when the window opens; by default the first
    // control of the window's content, or else its close button.
    property Item initialFocus: null
    // The control of the owning window that had the keys when this one
    // opened: it gets them back when this one closes.
    property Item opener: null
    // Whether closing gives the keys back to the window this one was opened
    // over; not for a window that never takes the keys, nor when what it
    // opened is to stay in front.
    property bool returnsFocus: true

    flags: Qt.FramelessWindowHint | Qt.WindowMinimizeButtonHint | Qt.Window
    color: "transparent"
    // Where it opens: over the window it belongs to (placed, not bound),
    // `leftInOwner` from that window's left edge or, at -1, in its middle.
    // A window that keeps a place of its own turns `placeOnOpen` off.
    property bool placeOnOpen: true
    property int leftInOwner: -1

    // Over the middle of the window it belongs to, or of the screen, each
    // time it opens; then it stays where the user drags it.
    function placeOverOwner() {
        if (placeOnOpen)
            Dialogs.placeOver(dialog, leftInOwner)
    }

    function firstControl() {
        if (initialFocus)
            return initialFocus
        var first = body.nextItemInFocusChain(true)
        for (var item = first; item; item = item.parent) {
            if (item === body)
                return first
        }
        return header.closeButton
    }

    Component.onCompleted: placeOverOwner()
    onVisibleChanged: {
        if (visible)
            placeOverOwner()
        if (visible) {
            opener = Dialogs.openerOf(dialog)
            firstControl().forceActiveFocus()
        }
        // The keys go back to the window this one was opened over, and to
        // the control there that opened it, so that Escape or Return there
        // works at once after a warning.
        if (!visible && returnsFocus)
            Dialogs.giveBack(dialog, opener)
        if (!visible)
            opener = null
        // A hidden window keeps no input focused: its cursor would blink,
        // and wake the program, for as long as the window waits.
        if (!visible && activeFocusItem)
            activeFocusItem.focus = false
    }

    onActiveChanged: Dialogs.keepFocus(dialog, firstControl())
    onActiveFocusItemChanged: Dialogs.keepFocus(dialog, firstControl())

    DragArea {
        anchors.fill: parent
    }

    ShadowBg {
        id: shadow
        anchors.fill: parent
    }

    DialogHeader {
        id: header
        x: shadow.mainRect.x
        y: shadow.mainRect.y
        width: shadow.mainRect.width
    }

    Item {
        id: body
        x: shadow.mainRect.x
        y: header.y + header.height
        width: shadow.mainRect.width
        height: shadow.mainRect.y + shadow.mainRect.height - y
    }

    Shortcut {
        sequence: "Esc"
        onActivated: dialog.close()
    }
}
