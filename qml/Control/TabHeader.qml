import QtQuick 2.15

// The header of one tab: its title, larger and blue while it is the chosen
// tab, over a two-pixel line in the main blue (chosen) or grey.
ButtonBase {
    id: tab

    property bool checked: false

    implicitWidth: 122
    implicitHeight: 22

    Accessible.role: Accessible.PageTab
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.selectable: true
    Accessible.selected: checked

    UiText {
        width: parent.width
        height: 20
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: tab.text
        font.pixelSize: tab.checked ? 16 : 14
        color: tab.checked || tab.hovered ? $mainTone : $fontColor6
        Accessible.ignored: true
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 2
        color: tab.checked ? $mainTone : $lineRectColor
    }
}
