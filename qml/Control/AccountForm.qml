import QtQuick 2.15

// The window of the registration, completion, reset and feedback forms: the
// rows the window declares, then (where the window needs it) the box that
// accepts the user agreement, the red line for the platform's answer and
// "提交", which stays grey until the agreement is accepted.
WindowForm {
    id: form

    property int itemheight: 30
    property int itemspace: 10
    property int labelWidth: 92
    property bool agreementNeeded: false
    property alias rempass: agreement
    property alias outMessage: message
    property alias commitBtn: commit
    default property alias rows: rowColumn.data

    signal submitted()

    width: chromeWidth + 2 * layout.x + layout.width
    height: chromeHeight + layout.y + layout.height + 30

    Column {
        id: layout
        parent: form.body
        x: 50
        y: 26
        spacing: form.itemspace

        Column {
            id: rowColumn
            spacing: form.itemspace
        }

        TickBox {
            id: agreement
            x: form.labelWidth
            visible: form.agreementNeeded
            text: "《用户注册协议》"
            color: $mainTone
        }

        ErrorText {
            id: message
            x: form.labelWidth
            width: 240
            text: ""
        }

        ActionButton {
            id: commit
            x: form.labelWidth
            width: 240
            height: 34
            text: "提交"
            enabled: !form.agreementNeeded || agreement.checked
            onClicked: {
                console.log("提交 ...")
                form.submitted()
            }
        }
    }
}
