import QtQuick 2.15

// The red line under a form that shows the platform's refusal unchanged.
// The line keeps its place in the form, but shows only while it has
// something to say: a screen reader announces an alert as it appears, not
// when the words of one already there change.
Item {
    id: error

    property alias text: line.text

    implicitWidth: line.implicitWidth
    implicitHeight: line.implicitHeight

    UiText {
        id: line
        width: error.width
        color: "#e64340"
        font.pixelSize: 12
        wrapMode: Text.Wrap
        visible: text !== ""
        Accessible.role: Accessible.AlertMessage
    }
}
