import QtQuick 2.15
import QtQuick.Controls 2.15

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

    BusyIndicator {
        width: 32
        height: 32
        running: list.loading
        visible: running
        Accessible.role: Accessible.Animation
        Accessible.name: "正在加载"
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
