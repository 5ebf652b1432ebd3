import QtQuick 2.15
import QtQuick.Window 2.15

// The blue header of a frameless dialog: logo, white title, the window
// buttons at the right; the window is dragged by it.
Rectangle {
    id: header

    property alias title: titleText.text
    property alias logo: logoImage.source
    property alias titleSize: titleText.font.pixelSize
    property alias titleWeight: titleText.font.weight
    property bool minimizable: false
    // A maximise button that turns into "restore" while the window fills
    // the screen.
    property bool maximizable: false
    // The window buttons, for the block's own id in a window.
    property alias windowControl: windowControl
    readonly property alias closeButton: closeButton

    signal closeClicked()

    height: 36
    color: $mainTone

    DragArea {
        anchors.fill: parent
    }

    Image {
        id: logoImage
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        source: "qrc:/images/little-logo.png"
    }

    UiText {
        id: titleText
        anchors.left: logoImage.right
        anchors.leftMargin: 8
        anchors.right: windowControl.left
        anchors.verticalCenter: parent.verticalCenter
        color: "white"
        font.pixelSize: 14
        font.bold: true
        elide: Text.ElideRight
        Accessible.role: Accessible.TitleBar
    }

    Row {
        id: windowControl
        anchors.right: parent.right
        anchors.rightMargin: 4
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
        // In reading order, left to right: Tab and a screen reader meet
        // them as they are seen.

        ImageButton {
            width: 32
            height: 24
            text: "最小化"
            source: "qrc:/images/icon_minimize.png"
            visible: header.minimizable
            onClicked: {
                console.log("min...")
                header.Window.window.showMinimized()
            }
        }

        ImageButton {
            id: maxImage

            readonly property bool maximized: header.Window.visibility === Window.Maximized

            width: 32
            height: 24
            text: maximized ? "还原" : "最大化"
            source: maximized ? "qrc:/images/还原.png" : "qrc:/images/最大化.png"
            visible: header.maximizable
            onClicked: {
                if (maximized) {
                    console.log("normal...")
                    header.Window.window.showNormal()
                } else {
                    console.log("max...")
                    header.Window.window.showMaximized()
                }
            }
        }

        ImageButton {
            id: closeButton
            width: 32
            height: 24
            text: "关闭"
            source: "qrc:/images/icon_Close.png"
            hoverColor: "#e64340"
            onClicked: {
                console.log("close...")
                header.closeClicked()
                header.Window.window.close()
            }
        }
    }
}
