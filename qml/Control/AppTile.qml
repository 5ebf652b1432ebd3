import QtQuick 2.15

// One tile of the application grids: the catalogue entry's icon over its
// name; a screen reader reads the name. The tile keeps its own program-path
// dialog, made the first time it is asked for.
ButtonBase {
    id: rect00

    // The catalogue entry (a ConfigModel).
    property var entry

    // The assistant's chat, in the main window's web window: it stays open
    // while the page with the tile is rebuilt.
    function openAssistant() {
        mainWindow.openAssistant(entry.path)
    }

    text: entry ? entry.name : ""
    implicitWidth: 96
    implicitHeight: 96
    // The grid clips: the ring stays inside the tile.
    focusRingMargin: 2

    Rectangle {
        anchors.fill: parent
        radius: 4
        color: $btnColor
        opacity: rect00.pressed ? 0.9 : 0.5
        visible: rect00.hovered
    }

    RemoteImage {
        id: app00logo
        anchors.horizontalCenter: parent.horizontalCenter
        y: 10
        width: 52
        height: 52
        address: rect00.entry ? rect00.entry.icon : ""
        localAllowed: true
        Accessible.ignored: true
    }

    UiText {
        id: app00name
        anchors.top: app00logo.bottom
        anchors.topMargin: 6
        width: parent.width
        horizontalAlignment: Text.AlignHCenter
        text: rect00.text
        color: rect00.hovered ? $mainTone : $fontColor3
        font.pixelSize: 13
        elide: Text.ElideRight
        Accessible.ignored: true
    }

    // The dialog that sets where the tile's program is.
    Loader {
        id: configDicPanelWindow
        active: false
        source: "qrc:/ConfigDicPanel.qml"
        onLoaded: item.key = rect00.text
    }
}
