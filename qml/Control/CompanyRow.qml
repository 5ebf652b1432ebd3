import QtQuick 2.15

// One company of a company list: its name, and its tax code in grey at the
// right; light blue under the pointer. A screen reader reads the name and
// the tax code.
ButtonBase {
    id: row

    // The company (a UserTaxInfo).
    property var company

    text: company ? company.taxname + " " + company.taxcode : ""
    implicitWidth: 400
    implicitHeight: 44
    // One item of the company list; the list clips, so the ring lies inside.
    Accessible.role: Accessible.ListItem
    focusRingMargin: 2

    Rectangle {
        anchors.fill: parent
        color: row.hovered ? "#eef4fd" : "white"
    }

    UiText {
        id: taxname
        anchors.left: parent.left
        anchors.leftMargin: 16
        anchors.right: taxcode.left
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        text: row.company ? row.company.taxname : ""
        color: row.hovered ? $mainTone : $fontColor3
        elide: Text.ElideRight
        Accessible.ignored: true
    }

    UiText {
        id: taxcode
        anchors.right: parent.right
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        text: row.company ? row.company.taxcode : ""
        color: $fontColor6
        font.pixelSize: 12
        Accessible.ignored: true
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: $lineColor
    }
}
