import QtQuick 2.15

// A heading such as "> 公司新闻" over the titles of a list of articles, at
// most `rows` of them.
Column {
    id: list

    property alias title: heading.text
    // The articles (PosterModel objects).
    property var model: []
    property int rows: 3
    // While the articles are still being asked for.
    property bool loading: false

    // The row under the pointer changed (it may have left).
    signal rowHovered(var row)

    spacing: 2

    UiText {
        id: heading
        height: 28
        verticalAlignment: Text.AlignVCenter
        color: $mainTone
        font.pixelSize: 15
        font.bold: true
        Accessible.role: Accessible.Heading
    }

    BusyMark {
        running: list.loading
    }

    Repeater {
        model: list.model ? list.model.slice(0, list.rows) : []

        NewsRow {
            id: row
            width: list.width
            article: modelData
            onHoveredChanged: list.rowHovered(row)
        }
    }
}
