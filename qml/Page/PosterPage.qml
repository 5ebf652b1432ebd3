import QtQuick 2.15
import "../Control"
import "../Control/Invoicing.js" as Invoicing

// The home page: the welcome panel, the tiles of the configured programs and
// services, and the company and industry news.
Item {
    id: posterpage

    property var configInfo: datebaseFunction.getTopConfigList()
    property int columnNum: 2
    property int rowsNum: 3
    property var posterInfo: []
    property var policyInfo: []
    property bool tipvisible: false
    // The news lists are asked for once the page shows.
    property bool newsLoading: true

    // A program an installer just installed gets its tile at once.
    Connections {
        target: mainFunction
        function onProgramsDetected() {
            var entries = datebaseFunction.getTopConfigList()
            if (!functionArea.shows(entries))
                posterpage.configInfo = entries
        }
    }

    // A tile clicked, decided on the catalogue entry's name.
    function openEntry(tile, entry) {
        if (entry.name === "更多") {
            mainWindow.jumpToMoreApp()
        } else if (entry.name === "智能客服") {
            tile.openAssistant()
        } else if (entry.name === "我要开票") {
            Invoicing.openInvoicing(tile)
        } else if (entry.path === "") {
            mainWindow.jumpToMoreApp()
        } else {
            console.log(entry.name)
            mainFunction.btnOpenApp(entry.name)
        }
    }

    // The full title of the news entry under the pointer, just below it.
    function showTip(row) {
        tipvisible = row.hovered
        if (!row.hovered) {
            toolTip.text = ""
            return
        }
        toolTip.text = row.text
        var below = row.mapToItem(posterpage, 0, row.height)
        toolTip.x = Math.min(below.x, width - toolTip.width - 4)
        toolTip.y = below.y
    }

    width: 1000
    height: 475

    Timer {
        interval: 0
        running: true
        onTriggered: {
            posterpage.posterInfo = posterFunction.getNotice()
            posterpage.policyInfo = posterFunction.getPolicy()
            posterpage.newsLoading = false
        }
    }

    Loader {
        id: adArea
        x: 24
        y: 20
        source: "qrc:/Page/AdPage.qml"
    }

    TileGrid {
        id: functionArea
        x: 540
        y: 20
        width: 200
        height: 304
        model: posterpage.configInfo
        columnNum: posterpage.columnNum
        rowsNum: posterpage.rowsNum
        onTileClicked: openEntry(tile, entry)
    }

    Rectangle {
        x: functionArea.x + functionArea.width + 14
        y: 24
        width: 1
        height: 420
        color: $lineColor
    }

    Column {
        id: noticeArea
        x: 770
        y: 16
        width: 206
        spacing: 18

        NewsList {
            width: parent.width
            title: "> 公司新闻"
            model: posterpage.posterInfo
            loading: posterpage.newsLoading
            rows: 3
            onRowHovered: showTip(row)
        }

        NewsList {
            width: parent.width
            title: "> 行业动态"
            model: posterpage.policyInfo
            loading: posterpage.newsLoading
            rows: 4
            onRowHovered: showTip(row)
        }
    }

    Rectangle {
        id: toolTip

        property alias text: tipText.text

        width: Math.min(tipText.implicitWidth + 16, 320)
        height: tipText.implicitHeight + 10
        radius: 2
        color: "white"
        border.color: $lineColor
        visible: posterpage.tipvisible && text !== ""

        UiText {
            id: tipText
            x: 8
            y: 5
            width: parent.width - 16
            color: $fontColor3
            font.pixelSize: 12
            wrapMode: Text.Wrap
        }
    }
}
