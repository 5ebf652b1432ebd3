import QtQuick 2.15

// The pressable area of every clickable image and button: it fills its
// parent and shows the pointing hand.
MouseArea {
    anchors.fill: parent
    hoverEnabled: true
    cursorShape: Qt.PointingHandCursor
}
