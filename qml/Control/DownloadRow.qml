import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import "Downloads.js" as Downloads

// One entry of the download centre's list: icon, name (a click opens its
// details), version and size, and its download: "一键安装" to start it; while
// it runs a progress bar with the speed, pause and stop; "已暂停" while
// paused; "下载失败" (the reason as its tool tip) when the centre reports an
// error, with "一键安装" to try again. The row learns its state from the
// centre when it is made and polls it once a second while the download runs
// and the row can be seen: on another page, or with the window in the tray
// or minimised, it asks nothing and catches up when it shows again. The
// centre's speed changes once a second, and the bar moves by whole pixels,
// so a poll that finds nothing new draws nothing.
Rectangle {
    id: delegate_list

    // The catalogue entry (a DownloadFileModel).
    property var software
    // What the centre said last: "idle", "running", "paused" or "failed".
    property string phase: "idle"
    property string errorText
    readonly property alias progress: customProgress.value

    signal opened()

    // Reads the entry's state from the centre.
    function sync() {
        phase = Downloads.phase(downloadFunction, software.id)
        errorText = downloadFunction.getDownloadError(software.id)
        showFigures()
    }

    function showFigures() {
        customProgress.value = downloadFunction.getProgress(software.id)
        var speed = downloadFunction.getDownloadSpeed(software.id)
        speedtext.text = speed !== "" ? speed : "0 B/s"
    }

    // The tick: the figures while the download runs; a finished one is
    // handed back to the centre and the row starts afresh.
    function poll() {
        var id = software.id
        if (Downloads.phase(downloadFunction, id) !== "running") {
            sync()
        } else if (downloadFunction.getProgress(id) < 1) {
            showFigures()
        } else {
            downloadFunction.downloadFinish(id)
            sync()
        }
    }

    // The centre may ask the server for the size in a local event loop, in
    // which the page goes on (and may even drop this row): the row shows the
    // download at once, and its polling finds how the start went.
    function start() {
        console.log("start download...")
        phase = "running"
        Downloads.start(downloadFunction, software)
    }

    function pauseOrResume() {
        if (phase === "paused") {
            start()
        } else {
            downloadFunction.pause(software.id)
            sync()
        }
    }

    function stop() {
        downloadFunction.stop(software.id)
        sync()
    }

    implicitWidth: 930
    implicitHeight: 80
    color: hover.hovered ? "#D4EBFF" : "white"
    Accessible.role: Accessible.ListItem
    Accessible.name: software ? software.title : ""
    Accessible.focusable: true
    // The row takes the keys from its download's buttons when they go.
    activeFocusOnTab: true
    Component.onCompleted: sync()

    HoverHandler {
        id: hover
    }

    Timer {
        id: timer
        interval: 1000
        repeat: true
        triggeredOnStart: true
        running: delegate_list.phase === "running" && delegate_list.visible
                 && delegate_list.Window.visibility !== Window.Hidden
                 && delegate_list.Window.visibility !== Window.Minimized
        onTriggered: delegate_list.poll()
    }

    RemoteImage {
        id: iconlogo
        x: 20
        anchors.verticalCenter: parent.verticalCenter
        width: 48
        height: 48
        address: delegate_list.software ? delegate_list.software.uplodeimg : ""
        Accessible.ignored: true
    }

    Column {
        x: 84
        anchors.verticalCenter: parent.verticalCenter
        width: 300
        spacing: 6

        LinkButton {
            id: nametext
            width: Math.min(implicitWidth, parent.width)
            text: delegate_list.software ? delegate_list.software.title : ""
            color: $fontColor3
            font.pixelSize: 15
            elide: Text.ElideRight
            Accessible.role: Accessible.Link
            onClicked: delegate_list.opened()
        }

        UiText {
            id: discribetext
            width: 200
            text: delegate_list.software ? delegate_list.software.shortitle : ""
            color: $fontColor6
            font.pixelSize: 12
            elide: Text.ElideRight
        }
    }

    UiText {
        id: sizetext
        x: 400
        anchors.verticalCenter: parent.verticalCenter
        text: delegate_list.software ? delegate_list.software.softsize : ""
        color: $fontColor6
        font.pixelSize: 13
    }

    Item {
        id: downloadArea
        x: 500
        width: 300
        height: parent.height
        visible: delegate_list.phase === "running" || delegate_list.phase === "paused"

        ProgressLine {
            id: customProgress
            y: 30
            width: 220
            name: delegate_list.software ? delegate_list.software.title : ""
        }

        UiText {
            id: speedtext
            anchors.top: customProgress.bottom
            anchors.topMargin: 8
            text: "0 B/s"
            color: $fontColor6
            font.pixelSize: 12
            visible: delegate_list.phase === "running"
        }

        UiText {
            id: statustext
            anchors.top: customProgress.bottom
            anchors.topMargin: 8
            text: "已暂停"
            color: $fontColor6
            font.pixelSize: 12
            visible: delegate_list.phase === "paused"
        }

        ImageButton {
            id: button_pause
            anchors.left: customProgress.right
            anchors.leftMargin: 14
            anchors.verticalCenter: customProgress.verticalCenter
            width: 21
            height: 21
            // Pauses a running download ("pause"), continues a paused one.
            state: delegate_list.phase === "paused" ? "normal" : "pause"
            states: [
                State {
                    name: "pause"
                    PropertyChanges {
                        target: button_pause
                        text: "暂停"
                        source: button_pause.hovered ? "qrc:/images/stop1.png" : "qrc:/images/stop.png"
                    }
                },
                State {
                    name: "normal"
                    PropertyChanges {
                        target: button_pause
                        text: "继续"
                        source: button_pause.hovered ? "qrc:/images/Play1.png" : "qrc:/images/Play.png"
                    }
                }
            ]
            hoverColor: "transparent"
            successor: delegate_list
            onClicked: delegate_list.pauseOrResume()
        }

        ImageButton {
            id: button_stop
            anchors.left: button_pause.right
            anchors.leftMargin: 10
            anchors.verticalCenter: customProgress.verticalCenter
            width: 21
            height: 21
            text: "停止"
            source: hovered ? "qrc:/images/close1.png" : "qrc:/images/close.png"
            hoverColor: "transparent"
            successor: delegate_list
            onClicked: delegate_list.stop()
        }
    }

    UiText {
        id: failedtext
        x: 500
        anchors.verticalCenter: parent.verticalCenter
        text: "下载失败"
        color: "#e0413a"
        font.pixelSize: 13
        visible: delegate_list.phase === "failed"
        Accessible.description: delegate_list.errorText

        HoverHandler {
            id: failedHover
        }

        // The reason, which may carry the server's words: plain text.
        ToolTip {
            id: failedTip
            text: delegate_list.errorText
            visible: failedHover.hovered && delegate_list.errorText !== ""
            contentItem: UiText {
                text: failedTip.text
                font.pixelSize: 12
                wrapMode: Text.Wrap
            }
        }
    }

    ActionButton {
        id: downloadBtn
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.verticalCenter: parent.verticalCenter
        width: 90
        height: 35
        text: "一键安装"
        fontSize: 14
        color: "#006ef7"
        hoverColor: "#1596fa"
        visible: delegate_list.phase === "idle" || delegate_list.phase === "failed"
        // Which program it installs, for a reader that lists the buttons.
        Accessible.name: text + " " + (delegate_list.software ? delegate_list.software.title : "")
        successor: button_pause
        onClicked: delegate_list.start()
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: $lineColor
    }

    // The row's own focus ring, where the keys rest once its download ends.
    Rectangle {
        anchors.fill: parent
        anchors.margins: 1
        color: "transparent"
        border.color: $mainTone
        border.width: 2
        visible: delegate_list.activeFocus
    }
}
