import QtQuick 2.15

// A check box with its label: a click or the keyboard flips `checked`. The
// box shows "选中.png" when checked and an empty frame otherwise.
ButtonBase {
    id: box

    property bool checked: false
    property alias color: label.color

    signal toggled()

    implicitWidth: row.implicitWidth
    implicitHeight: Math.max(16, label.implicitHeight)

    Accessible.role: Accessible.CheckBox
    Accessible.checkable: true
    Accessible.checked: checked
    onClicked: {
        checked = !checked
        toggled()
    }

    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6

        Rectangle {
            width: 16
            height: 16
            anchors.verticalCenter: parent.verticalCenter
            radius: 2
            border.color: box.hovered ? $mainTone : $lineRectColor
            color: "white"

            Image {
                anchors.fill: parent
                source: box.checked ? "qrc:/images/选中.png" : ""
            }
        }

        UiText {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            text: box.text
            color: $fontColor6
            font.pixelSize: 12
            Accessible.ignored: true
        }
    }
}
