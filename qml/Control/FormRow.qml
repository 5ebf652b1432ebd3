import QtQuick 2.15

// One row of the account forms: the caption at the left, then the row's
// input (and whatever goes beside it), all `height` high.
Row {
    id: row

    property alias label: caption.text
    property int labelWidth: 92
    // The caption stands by the first line of a taller input.
    property int captionHeight: height

    height: 30
    spacing: 0

    UiText {
        id: caption
        width: row.labelWidth
        height: row.captionHeight
        verticalAlignment: Text.AlignVCenter
        color: $fontColor3
    }
}
