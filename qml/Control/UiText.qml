import QtQuick 2.15

// A text in the interface's font. A screen reader reads it as it stands.
// Plain text: what the platform sends (titles, names, messages) is shown as
// written, never read as markup. A text of the program's own may set
// textFormat to rich text.
Text {
    textFormat: Text.PlainText
    font.family: "微软雅黑"
    font.pixelSize: 14
    color: $fontColor3
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
