import QtQuick 2.15

// A thin progress bar: `value` from 0 (empty) to 1 (full). A screen reader
// reads it as a progress bar named `name`, with its value in that range and
// the percentage as its description.
Rectangle {
    id: bar

    property real value: 0
    readonly property real minimumValue: 0
    readonly property real maximumValue: 1
    property string name

    implicitWidth: 200
    implicitHeight: 6
    radius: height / 2
    color: $lineColor
    Accessible.role: Accessible.ProgressBar
    Accessible.name: name
    Accessible.description: Math.floor(Math.min(Math.max(value, 0), 1) * 100) + "%"

    // Whole pixels: a value that moves less than one draws nothing new.
    Rectangle {
        width: Math.round(parent.width * Math.min(Math.max(bar.value, 0), 1))
        height: parent.height
        radius: parent.radius
        color: $mainTone
    }
}
