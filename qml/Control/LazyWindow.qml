import QtQuick 2.15

// A window of the main window that waits unmade until it is first shown
// (`source` is its document): the start makes only what its first frame
// shows. Once made, the window stays, as it was left.
Loader {
    id: loader

    // The window, made now if it is not there.
    function window() {
        active = true
        return item
    }

    function show() {
        window().show()
    }

    function close() {
        if (item)
            item.close()
    }

    active: false
}
