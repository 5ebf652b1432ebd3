import QtQuick 2.15

// A label and its value on one line, as in the about window.
Item {
    id: myText

    property int leftlength: 0
    property bool contentvisiable: true
    property string leftinfo
    property string contentinfo

    width: 190
    height: 20

    Row {
        anchors.verticalCenter: parent.verticalCenter
        spacing: 0

        UiText {
            width: myText.leftlength > 0 ? myText.leftlength : implicitWidth
            text: myText.leftinfo
            color: $fontColor6
        }

        UiText {
            text: myText.contentinfo
            visible: myText.contentvisiable
        }
    }
}
