import QtQuick 2.15

// A one-line input in a thin frame: an optional icon at the left, the hint
// while it is empty and a prefix once something is typed. Return in it
// emits accepted(), which the forms use to submit.
Rectangle {
    id: wrapper

    property int textEcho: TextInput.Normal
    property int font_size: 18
    property string srcPath: ""
    property int leftdis: 35
    property int maxnum: 36
    // Room kept free at the right, for a button laid over the frame.
    property int rightdis: 6
    property alias text: input.text
    property alias hint: hintText.text
    property alias prefix: prefixText.text
    // The input itself, for focus and for forms that empty it.
    readonly property alias input: input

    signal accepted()
    signal editFinished()

    implicitWidth: 240
    implicitHeight: 36
    radius: 2
    color: "white"
    border.color: input.activeFocus ? $mainTone : $lineRectColor
    border.width: 1

    Image {
        anchors.verticalCenter: parent.verticalCenter
        x: (wrapper.leftdis - width) / 2
        width: 14
        height: 15
        source: wrapper.srcPath
        visible: wrapper.srcPath !== ""
    }

    UiText {
        id: hintText
        anchors.verticalCenter: parent.verticalCenter
        x: wrapper.leftdis
        width: parent.width - x - wrapper.rightdis
        text: "Enter word"
        color: $fontTipColor
        font.pixelSize: Math.min(14, wrapper.font_size)
        elide: Text.ElideRight
        opacity: input.length === 0 ? 1 : 0
        Accessible.ignored: true
    }

    UiText {
        id: prefixText
        anchors.verticalCenter: parent.verticalCenter
        x: wrapper.leftdis
        color: $fontColor3
        font.pixelSize: wrapper.font_size
        visible: hintText.opacity === 0
        Accessible.ignored: true
    }

    TextInput {
        id: input
        anchors.fill: parent
        anchors.leftMargin: wrapper.leftdis + (prefixText.visible ? prefixText.width : 0)
        anchors.rightMargin: wrapper.rightdis
        verticalAlignment: TextInput.AlignVCenter
        font.family: "微软雅黑"
        font.pixelSize: wrapper.font_size
        color: $fontColor3
        selectionColor: $mainTone
        selectByMouse: true
        clip: true
        echoMode: wrapper.textEcho
        maximumLength: wrapper.maxnum
        activeFocusOnTab: true
        Accessible.role: Accessible.EditableText
        Accessible.name: wrapper.hint
        onAccepted: wrapper.accepted()
        onEditingFinished: wrapper.editFinished()
    }

    // A press anywhere in the frame, the icon included, puts the caret in.
    MouseArea {
        anchors.fill: parent
        anchors.rightMargin: parent.width - input.x
        cursorShape: Qt.IBeamCursor
        onPressed: input.forceActiveFocus()
    }
}
