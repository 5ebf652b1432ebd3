import QtQuick 2.15

// One tile of the application grids: the catalogue entry's icon over its
// name; a screen reader reads the name. The tile keeps its own program-path
// dialog and embedded web window, each made the first time it is asked for.
ButtonBase {
    id: rect00

    // The catalogue entry (a ConfigModel).
    property var entry

    // The tile's web window, made now if it is not there yet.
    function vantaFp() {
        return vantaFpWindow.window()
    }

    // The assistant's chat in the tile's web window.
    function openAssistant() {
        var window = vantaFp()
        window.clearInfo()
        window.setCurrentUrl(entry.path)
        window.setCurrentTitle("智能客服", "Tilo")
        window.setTitleInfo(30, -80)
        window.setWinSize(1024, 670)
        window.setNoMax()
        window.show()
    }

    text: entry ? entry.name : ""
    implicitWidth: 96
    implicitHeight: 96

    Rectangle {
        anchors.fill: parent
        radius: 4
        color: $btnColor
        opacity: rect00.pressed ? 0.9 : 0.5
        visible: rect00.hovered
    }

    Image {
        id: app00logo
        anchors.horizontalCenter: parent.horizontalCenter
        y: 10
        width: 52
        height: 52
        sourceSize: Qt.size(64, 64)
        source: rect00.entry ? rect00.entry.icon : ""
        fillMode: Image.PreserveAspectFit
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

    WebWindowLoader {
        id: vantaFpWindow
    }
}
