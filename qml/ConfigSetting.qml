import QtQuick 2.15
import "./Control"

// The software settings window: a strip of setting pages (only "下载设置"
// so far) over the chosen page.
DialogWindow {
    id: configSettingWindow

    property string warningText

    title: "软件设置"
    headerTitle: "Plit云台·软件设置"
    width: 600
    height: 320
    modality: Qt.WindowModal

    Rectangle {
        id: tabRect
        width: parent.width
        height: 38
        color: $mainTone

        ButtonBase {
            id: downloadsettingButton
            x: 16
            anchors.bottom: parent.bottom
            width: 100
            height: 28
            text: "下载设置"
            // The page shown; a pointer passing over it leaves it so.
            state: "clicked"
            onHoveredChanged: {
                if (state !== "clicked")
                    state = hovered ? "hovered" : ""
            }
            Accessible.role: Accessible.PageTab
            Accessible.checkable: true
            Accessible.checked: state === "clicked"

            Rectangle {
                id: tabBackground
                anchors.fill: parent
                radius: 2
                color: "transparent"
            }

            UiText {
                id: tabLabel
                anchors.centerIn: parent
                text: downloadsettingButton.text
                color: "white"
                Accessible.ignored: true
            }

            states: [
                State {
                    name: "clicked"
                    PropertyChanges { target: tabBackground; color: "white" }
                    PropertyChanges { target: tabLabel; color: $mainTone }
                },
                State {
                    name: "hovered"
                    PropertyChanges { target: tabBackground; color: "#1e66c7" }
                }
            ]
        }
    }

    Loader {
        id: mainLoader
        anchors.top: tabRect.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        source: "qrc:/ConfigPage/DownloadConfigPage.qml"
    }
}
