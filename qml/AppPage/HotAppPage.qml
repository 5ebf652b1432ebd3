import QtQuick 2.15
import "../Control"

// "热门应用": the known programs that are not configured here.
Rectangle {
    id: appArea

    property var configInfo: datebaseFunction.getNotConfigList()
    property int appCount: datebaseFunction.getNotConfig()
    property int columnNum: 10
    property int rowsNum: 5

    // A program an installer just installed leaves this list.
    Connections {
        target: mainFunction
        function onProgramsDetected() {
            var entries = datebaseFunction.getNotConfigList()
            if (!hotGrid.shows(entries)) {
                appArea.appCount = datebaseFunction.getNotConfig()
                appArea.configInfo = entries
            }
        }
    }

    width: 1000
    height: 425

    TileGrid {
        id: hotGrid
        anchors.fill: parent
        anchors.margins: 10
        model: appArea.configInfo
        columnNum: appArea.columnNum
        rowsNum: appArea.rowsNum
        spacing: 2
        onTileClicked: {
            console.log(entry.name)
            mainFunction.btnOpenApp(entry.name)
        }
    }
}
