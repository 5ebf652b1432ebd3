import QtQuick 2.15
import QtWebEngine 1.10

// A page's alert, confirm or prompt, drawn over that page only: the rest of
// its window (the title bar with its close button) and every other window
// stay usable, so a page that asks again and again cannot hold the program.
// The page's words are shown as plain text.
Rectangle {
    id: pageDialog

    // The page's request (a JavaScriptDialogRequest) while one is open.
    property var request: null
    readonly property bool asking: request !== null
    readonly property bool withCancel: asking && request.type !== JavaScriptDialogRequest.DialogTypeAlert
    readonly property bool withInput: asking && request.type === JavaScriptDialogRequest.DialogTypePrompt

    function open(pageRequest) {
        // A page asks one thing at a time; one still open is answered No.
        if (request !== null)
            reject()
        pageRequest.accepted = true
        answer.text = pageRequest.defaultText
        request = pageRequest
        if (withInput)
            answer.input.forceActiveFocus()
        else
            pageDialog.forceActiveFocus()
    }

    function accept() {
        var pending = request
        request = null
        if (pending === null)
            return
        if (pending.type === JavaScriptDialogRequest.DialogTypePrompt)
            pending.dialogAccept(answer.text)
        else
            pending.dialogAccept()
    }

    function reject() {
        var pending = request
        request = null
        if (pending !== null)
            pending.dialogReject()
    }

    visible: asking
    color: "#66000000"
    Accessible.role: Accessible.Dialog
    Accessible.name: "网页消息"
    Keys.onReturnPressed: accept()
    Keys.onEnterPressed: accept()
    Keys.onEscapePressed: reject()

    // The page under it takes no clicks or wheel turns meanwhile.
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        onWheel: wheel.accepted = true
    }

    Rectangle {
        id: panel
        anchors.centerIn: parent
        width: Math.min(parent.width - 40, 420)
        height: column.height + 32
        radius: 2
        color: "white"
        border.color: $lineColor

        Column {
            id: column
            x: 16
            y: 16
            width: parent.width - 32
            spacing: 12

            UiText {
                width: parent.width
                // Whatever the page says, in full but within the panel.
                text: pageDialog.asking ? pageDialog.request.message : ""
                wrapMode: Text.WrapAnywhere
                maximumLineCount: 12
                elide: Text.ElideRight
            }

            EditFrame {
                id: answer
                width: parent.width
                visible: pageDialog.withInput
                leftdis: 8
                font_size: 14
                maxnum: 1024
                hint: "请输入"
                onAccepted: pageDialog.accept()
            }

            Row {
                anchors.right: parent.right
                spacing: 10

                ActionButton {
                    width: 80
                    height: 30
                    fontSize: 13
                    text: "取消"
                    color: $fontTipColor
                    visible: pageDialog.withCancel
                    onClicked: pageDialog.reject()
                }

                ActionButton {
                    width: 80
                    height: 30
                    fontSize: 13
                    text: "确定"
                    onClicked: pageDialog.accept()
                }
            }
        }
    }
}
