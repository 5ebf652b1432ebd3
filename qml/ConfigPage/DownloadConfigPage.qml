import QtQuick 2.15
import QtQuick.Window 2.15
import "../Control"
import "../Control/Dialogs.js" as Dialogs

// The settings page "下载设置": where downloaded software is saved, with
// the free space there. "确定" keeps the directory and closes the window.
Item {
    id: downloadConfigPage

    readonly property string refusal: "请选择软件下载地址！"

    Row {
        id: spaceLine
        x: 40
        y: 36

        UiText {
            text: "下载目录（"
        }

        LinkButton {
            id: openLink
            text: "打开目录"
            font.pixelSize: 14
            onClicked: {
                if (pathEdit.text !== "")
                    systemFunction.openDirectory(pathEdit.text)
                else
                    Dialogs.warn(downloadConfigPage.Window.window, downloadConfigPage.refusal)
            }
        }

        UiText {
            text: "）| 可用磁盘空间: "
        }

        // The free space where the directory itself lies; "0GB" while the
        // field is empty or names no existing directory.
        UiText {
            id: text4
            objectName: "text4"
            text: systemFunction.getDiskSize(pathEdit.text) + "GB"
            color: $mainTone
        }
    }

    Row {
        x: spaceLine.x
        y: spaceLine.y + 34
        spacing: 10

        EditFrame {
            id: pathEdit
            width: 400
            height: 32
            font_size: 14
            leftdis: 10
            maxnum: 300
            hint: "请选择下载目录"
            // The directory downloads go to now.
            Component.onCompleted: text = configFucntion.getDownloadDirectory()
        }

        ActionButton {
            width: 100
            height: 32
            fontSize: 14
            text: "选择目录"
            onClicked: {
                // A cancelled chooser keeps what the field holds.
                var directory = systemFunction.getDirectoryFromDialog()
                if (directory !== "")
                    pathEdit.text = directory
            }
        }
    }

    LinkButton {
        x: spaceLine.x
        y: spaceLine.y + 78
        text: "恢复默认目录"
        font.pixelSize: 13
        onClicked: pathEdit.text = systemFunction.getExePath()
    }

    ActionButton {
        anchors.right: parent.right
        anchors.rightMargin: 30
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 24
        width: 100
        height: 34
        text: "确定"
        onClicked: {
            if (pathEdit.text === "") {
                Dialogs.warn(downloadConfigPage.Window.window, downloadConfigPage.refusal)
                return
            }
            configFucntion.saveConfig("DownloadPath", pathEdit.text)
            downloadConfigPage.Window.window.close()
        }
    }
}
