import QtQuick 2.15

// One tab of a page's tab strip. Its state is "clicked" while it is the
// chosen tab; otherwise "hovered" while the pointer is over it and "".
ButtonBase {
    id: tab

    readonly property bool chosen: state === "clicked"

    implicitWidth: 120
    implicitHeight: 50
    Accessible.role: Accessible.PageTab
    Accessible.checkable: true
    Accessible.checked: chosen
    Accessible.selectable: true
    Accessible.selected: chosen
    onHoveredChanged: {
        if (!chosen)
            state = hovered ? "hovered" : ""
    }

    states: [
        State { name: "clicked" },
        State { name: "hovered" }
    ]

    Rectangle {
        anchors.fill: parent
        color: tab.chosen ? "white" : tab.state === "hovered" ? $btnColor : "transparent"
    }

    UiText {
        anchors.centerIn: parent
        text: tab.text
        color: tab.chosen || tab.state === "hovered" ? $mainTone : $fontColor6
        font.pixelSize: 15
        font.bold: tab.chosen
        Accessible.ignored: true
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 3
        color: $mainTone
        visible: tab.chosen
    }
}
