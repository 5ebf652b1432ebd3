import QtQuick 2.15

// The embedded web window (the help pages, the assistant chat), made when it
// is first asked for and freed once it hides: its page, and the web engine's
// renderer process for it, end with it instead of waiting hidden all day.
LazyWindow {
    id: loader

    function releaseHidden() {
        if (item && !item.visible)
            active = false
    }

    source: "qrc:/VantaFp.qml"

    Connections {
        target: loader.item
        // Not at once: the window is still inside its own signal.
        function onVisibleChanged() {
            Qt.callLater(loader.releaseHidden)
        }
    }
}
