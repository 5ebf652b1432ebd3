import QtQuick 2.15

// A text in the interface's font. A screen reader reads it as it stands.
Text {
    font.family: "微软雅黑"
    font.pixelSize: 14
    color: $fontColor3
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
