import QtQuick 2.15

// One choice of an exclusive group: drawn with "选中圆.png" when chosen and
// "未选中.png" otherwise. The group's owner keeps which one is chosen and
// binds `checked` to it; a click only reports the choice.
ButtonBase {
    id: choice

    property bool checked: false
    property alias color: label.color

    signal chosen()

    implicitWidth: row.implicitWidth
    implicitHeight: Math.max(16, label.implicitHeight)

    Accessible.role: Accessible.RadioButton
    Accessible.checkable: true
    Accessible.checked: checked
    onClicked: chosen()

    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4

        Image {
            anchors.verticalCenter: parent.verticalCenter
            source: choice.checked ? "qrc:/images/选中圆.png" : "qrc:/images/未选中.png"
        }

        UiText {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            text: choice.text
            color: $fontColor6
            Accessible.ignored: true
        }
    }
}
