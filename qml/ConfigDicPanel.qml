import QtQuick 2.15
import QtQuick.Dialogs 1.3
import QtQuick.Window 2.15
import "./Control"

// Asks where the program of a catalogue tile lies: "浏览" chooses the file,
// which is kept in the settings under the tile's `key`.
DialogWindow {
    id: inletSettingPanel

    property string key
    // The file chosen last, shown under the button.
    property string chosenFile

    // Keeps `fileUrl` (a file: address) as the program of `key`.
    function choose(fileUrl) {
        console.log("You chose: " + fileUrl)
        configFucntion.saveConfig(key, fileUrl)
        chosenFile = decodeURIComponent(fileUrl.replace(/^file:\/\//, ""))
    }

    title: "配置" + key + "地址"
    headerTitle: title
    width: 360
    height: 160
    leftInOwner: 5

    Row {
        x: 30
        y: 24
        spacing: 10

        UiText {
            width: 100
            height: 30
            verticalAlignment: Text.AlignVCenter
            text: "获取文件地址:"
        }

        ActionButton {
            id: browseButton
            width: 80
            height: 30
            fontSize: 14
            text: "浏览"
            onClicked: fds.open()
        }
    }

    UiText {
        x: 30
        y: 66
        width: parent.width - 2 * x
        text: inletSettingPanel.chosenFile
        color: $fontColor6
        font.pixelSize: 12
        elide: Text.ElideMiddle
    }

    FileDialog {
        id: fds
        objectName: "fds"
        title: "选择文件"
        selectFolder: false
        selectMultiple: false
        folder: shortcuts.desktop
        // Programs here seldom end in ".exe".
        nameFilters: ["exe文件 (*.exe)", "所有文件 (*)"]
        onAccepted: inletSettingPanel.choose(fds.fileUrl.toString())
    }
}
