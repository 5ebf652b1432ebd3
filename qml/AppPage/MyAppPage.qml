import QtQuick 2.15
import "../Control"
import "../Control/Invoicing.js" as Invoicing

// "我的应用": every program and service configured here, the invoicing tile,
// and "更多", which adds a program of one's own.
Rectangle {
    id: appArea

    property var configInfo: datebaseFunction.getCurrentConfigList()
    property int appCount: datebaseFunction.getConfigCurrent()
    property int columnNum: 10
    property int rowsNum: 5

    // A program an installer just installed gets its tile at once.
    Connections {
        target: mainFunction
        function onProgramsDetected() {
            if (!myGrid.shows(datebaseFunction.getCurrentConfigList()))
                appArea.reloadModel()
        }
    }

    function reloadModel() {
        appCount = datebaseFunction.getConfigCurrent()
        configInfo = datebaseFunction.getCurrentConfigList()
    }

    function openEntry(tile, entry) {
        console.log(entry.name)
        if (entry.name === "智能客服") {
            tile.openAssistant()
        } else if (entry.name === "我要开票") {
            Invoicing.openInvoicing(tile)
        } else if (entry.name === "更多") {
            var window = mainWindow.createWindow("qrc:/AddPersonalApp.qml")
            if (!window)
                return
            window.added.connect(recommendApp.refreshMyapppageLoader)
            window.show()
        } else {
            mainFunction.btnOpenApp(entry.name)
        }
    }

    width: 1000
    height: 425
    // The page is one of two (the navigation's and the one "更多" opens):
    // shown again, it reads what the other may have added meanwhile.
    onVisibleChanged: {
        if (visible)
            reloadModel()
    }

    TileGrid {
        id: myGrid
        anchors.fill: parent
        anchors.margins: 10
        model: appArea.configInfo
        columnNum: appArea.columnNum
        rowsNum: appArea.rowsNum
        spacing: 2
        onTileClicked: openEntry(tile, entry)
    }
}
