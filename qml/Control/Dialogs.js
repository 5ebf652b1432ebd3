.import QtQuick 2.15 as QtQuick

// The windows that are made when they are needed (a warning, the settings
// window) rather than waiting hidden from the start. Not a shared library:
// a window is made in the context of the document that asks for it, so it
// goes with that document when the program ends.

// Makes the window of the document at `url` over `parent` (a window, or an
// item on one: the new window is centred over that window), with
// `properties` set, and hidden. It is freed once it has closed, so opening
// it again makes a new one. Null when the document cannot be made; the
// reason goes to the log.
function create(url, parent, properties) {
    var component = Qt.createComponent(url)
    if (component.status !== QtQuick.Component.Ready) {
        console.warn(url + ": " + component.errorString())
        return null
    }
    var window = component.createObject(parent, properties || {})
    if (window)
        window.closing.connect(function () { window.destroy() })
    return window
}

// Places `window` over the window it belongs to (its transientParent) or,
// without one, over its screen: in the middle, or `left` from the owner's
// left edge when it is not negative; then `step` down and right. Placed,
// not bound: it stays where the user puts it afterwards.
function placeOver(window, left, step) {
    var owner = window.transientParent
    var shift = step || 0
    var ownerX = owner ? owner.x : 0
    var ownerY = owner ? owner.y : 0
    var ownerWidth = owner ? owner.width : window.screen.width
    var ownerHeight = owner ? owner.height : window.screen.height
    window.x = ownerX + (owner && left >= 0 ? left : (ownerWidth - window.width) / 2) + shift
    window.y = ownerY + (ownerHeight - window.height) / 2 + shift
}

// Warns the user the one way every window does: the message dialog with
// `text`, over `parent`.
function warn(parent, text) {
    var dialog = create("qrc:/MessageDialog.qml", parent, { warningText: text })
    if (dialog)
        dialog.show()
    return dialog
}

// Keeps a control focused in `window` while it is the active window: when
// it has none that can take the keys (none at all, or one that was hidden or
// disabled), the keys go to `first` or else to the first control in Tab's
// order.
function keepFocus(window, first) {
    if (!window.active)
        return
    var focused = window.activeFocusItem
    if (focused && focused !== window.contentItem && focused.visible && focused.enabled)
        return
    var target = first && first.visible && first.enabled ? first : window.contentItem.nextItemInFocusChain(true)
    if (target && target !== focused && target !== window.contentItem)
        target.forceActiveFocus()
}

// The control of the window `window` belongs to that has the keys as it
// opens: the one that opened it. An entry of a menu stands for the control
// that opened the menu.
function openerOf(window) {
    var owner = window.transientParent
    var focused = owner ? owner.activeFocusItem : null
    if (focused && focused.menu && focused.menu.opener)
        focused = focused.menu.opener
    return focused
}

// Asks for the keys for `window` where the platform hands them out: under
// Wayland, Qt 5.15 cannot ask, and would only say so in the log.
function activate(window) {
    if (Qt.platform.pluginName.indexOf("wayland") !== 0)
        window.requestActivate()
}

// The keys back to `opener` in the window `window` belongs to, as it closes.
function giveBack(window, opener) {
    var owner = window.transientParent
    if (!owner || !owner.visible)
        return
    activate(owner)
    if (!opener || !opener.visible || !opener.enabled)
        return
    // Still on that window (not gone with a page rebuilt meanwhile).
    for (var item = opener; item; item = item.parent) {
        if (item === owner.contentItem) {
            opener.forceActiveFocus()
            return
        }
    }
}
