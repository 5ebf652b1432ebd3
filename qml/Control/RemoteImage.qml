import QtQuick 2.15

// An image the platform names (a catalogue icon or screenshot): fetched and
// decoded at the size shown, only when its header says it is of a sane
// size (the "remote" image provider); otherwise, and while it loads, a
// plain placeholder. `localAllowed` lets the program's own images (qrc:,
// file:) through as they are, for the catalogue kept here.
Image {
    id: remote

    // The address as the platform or the catalogue gave it.
    property string address
    property bool localAllowed: false
    readonly property bool failed: status === Image.Error || (address !== "" && source == "")

    function sourceOf(text) {
        var trimmed = text.trim()
        if (/^https?:\/\//i.test(trimmed))
            return "image://remote/" + Qt.btoa(encodeURIComponent(trimmed))
                    .replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "")
        if (localAllowed && /^(qrc:|file:)/i.test(trimmed))
            return trimmed
        return ""
    }

    source: sourceOf(address)
    sourceSize: Qt.size(width, height)
    asynchronous: true
    fillMode: Image.PreserveAspectFit

    Rectangle {
        anchors.fill: parent
        visible: remote.address !== "" && remote.status !== Image.Ready
        color: "#f2f4f7"
        border.color: $lineColor
    }
}
