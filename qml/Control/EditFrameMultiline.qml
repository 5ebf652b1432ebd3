import QtQuick 2.15

// The multi-line input of the feedback window: plain text that wraps
// anywhere, with the hint while it is empty. It never holds more than
// `maxnum` characters: whatever goes beyond is removed as it arrives.
Rectangle {
    id: wrapper

    property int font_size: 14
    property int leftdis: 10
    property int maxnum: 200
    property alias text: input.text
    property alias hint: hintText.text
    readonly property alias input: input

    implicitWidth: 300
    implicitHeight: 100
    radius: 2
    color: "white"
    border.color: input.activeFocus ? $mainTone : $lineRectColor
    border.width: 1

    UiText {
        id: hintText
        x: wrapper.leftdis
        y: 6
        width: parent.width - 2 * x
        text: "Enter word"
        color: $fontTipColor
        font.pixelSize: wrapper.font_size
        wrapMode: Text.WrapAnywhere
        opacity: input.length === 0 ? 1 : 0
        Accessible.ignored: true
    }

    Flickable {
        id: flick
        anchors.fill: parent
        anchors.leftMargin: wrapper.leftdis
        anchors.rightMargin: wrapper.leftdis
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        contentWidth: width
        contentHeight: input.contentHeight
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        TextEdit {
            id: input
            width: flick.width
            height: Math.max(flick.height, contentHeight)
            textFormat: TextEdit.PlainText
            wrapMode: TextEdit.WrapAnywhere
            font.family: "微软雅黑"
            font.pixelSize: wrapper.font_size
            color: $fontColor3
            selectionColor: $mainTone
            selectByMouse: true
            activeFocusOnTab: true
            Accessible.role: Accessible.EditableText
            Accessible.name: wrapper.hint
            Accessible.multiLine: true
            // Tab and Shift+Tab leave the box as they leave every input;
            // Ctrl+Tab types a tab.
            function leave(forward) {
                var next = nextItemInFocusChain(forward)
                if (next && next !== input)
                    next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
            }

            Keys.onTabPressed: {
                if (event.modifiers & Qt.ControlModifier)
                    insert(cursorPosition, "\t")
                else
                    leave(!(event.modifiers & Qt.ShiftModifier))
            }
            Keys.onBacktabPressed: leave(false)
            onTextChanged: {
                if (length > wrapper.maxnum) {
                    var caret = Math.min(cursorPosition, wrapper.maxnum)
                    remove(wrapper.maxnum, length)
                    cursorPosition = caret
                }
            }
            onCursorRectangleChanged: {
                if (cursorRectangle.y < flick.contentY)
                    flick.contentY = cursorRectangle.y
                else if (cursorRectangle.y + cursorRectangle.height > flick.contentY + flick.height)
                    flick.contentY = cursorRectangle.y + cursorRectangle.height - flick.height
            }
        }
    }
}
