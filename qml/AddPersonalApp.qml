import QtQuick 2.15
import "./Control"
import "./Control/Dialogs.js" as Dialogs

// "添加自定义软件": a program of one's own, chosen with its icon and named, joins
// the catalogue and shows on "我的应用".
DialogWindow {
    id: addPersonalAppPanel

    // The chosen program and its saved icon (an IconModel), once chosen.
    property var result

    // The program is in the catalogue; the window has closed.
    signal added()

    function choose() {
        var chosen = iconExtractFunction.Extract()
        // 0 when the choice was cancelled or the file gave no icon.
        if (!chosen)
            return
        result = chosen
        appPathText.text = chosen.apppath
    }

    function confirm() {
        if (appnameInput.text.length === 0) {
            Dialogs.warn(addPersonalAppPanel, "请输入软件名称！")
            return
        }
        if (!result) {
            Dialogs.warn(addPersonalAppPanel, "请选择软件程序！")
            return
        }
        datebaseFunction.insertPathInfo(appnameInput.text, result.apppath,
                                        iconExtractFunction.fileUrl(result.icon), 0, "", "")
        mainFunction.resetRegInfo()
        close()
        added()
    }

    title: "添加自定义软件"
    headerTitle: "Plit云台·添加软件"
    modality: Qt.ApplicationModal
    width: 460 + chromeWidth
    height: 260 + chromeHeight
    initialFocus: appnameInput.input

    Column {
        x: 24
        y: 18
        width: parent.width - 2 * x
        spacing: 8

        UiText {
            text: "您可以添加第三方软件，为您的工作提供个性化服务"
        }

        UiText {
            text: "该向导帮您创建自定义，请选择软件的EXE程序"
            color: $fontColor6
            font.pixelSize: 13
        }

        Row {
            topPadding: 6
            spacing: 10

            EditFrame {
                id: appPathText
                width: 322
                height: 34
                font_size: 13
                leftdis: 10
                maxnum: 1024
                hint: "请选择软件程序"
                input.readOnly: true
            }

            ActionButton {
                id: selectBtn
                width: 80
                height: 34
                text: "浏览"
                fontSize: 14
                onClicked: choose()
            }
        }

        UiText {
            topPadding: 8
            text: "请键入软件的名字:"
        }

        EditFrame {
            id: appnameInput
            width: 412
            height: 34
            font_size: 14
            leftdis: 10
            maxnum: 200
            hint: "请输入软件名称"
            onAccepted: confirm()
        }
    }

    ActionButton {
        id: confirmBtn
        anchors.right: parent.right
        anchors.rightMargin: 24
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 18
        width: 100
        height: 34
        text: "确定"
        onClicked: confirm()
    }
}
