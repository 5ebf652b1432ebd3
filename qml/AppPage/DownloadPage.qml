import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15
import "../Control"
import "../Control/Downloads.js" as Downloads

// "下载中心": the platform's software, a page at a time, each entry with its
// download; an entry's name opens its details with screenshots and a button
// that starts, stops or continues its download. Downloads go on while the
// pages are turned: the download centre keeps them, and each row reads its
// entry's state from there whenever it is made.
Rectangle {
    id: appArea

    property var softwareModel: []
    property int currentPage: 1
    property int totalPage: 1
    // The details of the entry opened; null until one is.
    property var softwareInfo: null
    property string currentId
    property string currentuplodesoft
    property string currentfilename
    property var currentIndex
    // The opened entry's download as the centre tells it (see Downloads.js).
    property string detailPhase: "idle"

    // Whether the catalogue has been read: it is, the first time the tab
    // shows, so that the program's start does not wait for the platform.
    property bool loaded: false
    // Whether the page shown got no answer: it is asked again when the page
    // shows again, or when the user clicks the notice.
    property bool failed: false

    // Entry `id`'s download was changed outside its row (in the details),
    // which is to read it again.
    signal rowOutdated(string id)

    function loadFirstPage() {
        loaded = true
        busy.running = true
        softwareModel = downloadFunction.getDownloadInfoListFromPage(1)
        failed = downloadFunction.getDownloadInfoListFailed()
        currentPage = 1
        if (!failed)
            totalPage = downloadFunction.getDownloadInfoListTotalPageCount()
        busy.running = false
    }

    function turnTo(page) {
        if (page < 1 || page > totalPage)
            return
        busy.running = true
        currentPage = page
        console.log("currentPage: " + currentPage + " totalPage: " + totalPage)
        softwareModel = downloadFunction.getDownloadInfoListFromPage(currentPage)
        failed = downloadFunction.getDownloadInfoListFailed()
        busy.running = false
    }

    // The page that failed, asked for again.
    function retry() {
        if (currentPage <= 1 || !loaded)
            loadFirstPage()
        else
            turnTo(currentPage)
    }

    function openDetail(entry, index) {
        busy.running = true
        currentId = entry.id
        currentuplodesoft = entry.uplodesoft
        currentfilename = entry.filename
        currentIndex = index
        softwareInfo = downloadFunction.getDownloadInfo(entry.id)
        lebalText.state = softwareInfo.picexist ? "status1" : "status2"
        refreshDetail()
        busy.running = false
        appDetailItem.contentY = 0
        appDetailItem.visible = true
    }

    function closeDetail() {
        appDetailItem.visible = false
    }

    function refreshDetail() {
        detailPhase = Downloads.phase(downloadFunction, currentId)
    }

    // The detail button: starts or continues the opened entry's download,
    // or stops it while it runs.
    function detailAction() {
        var id = currentId
        if (detailPhase === "running") {
            downloadFunction.stop(id)
        } else {
            detailPhase = "running"
            Downloads.start(downloadFunction, { id: id, uplodesoft: currentuplodesoft,
                                                filename: currentfilename })
        }
        if (id === currentId)
            refreshDetail()
        rowOutdated(id)
    }

    // The row that holds `item` (the keyboard's), scrolled into sight.
    function showFocused(item) {
        for (; item; item = item.parent) {
            if (item.parent === left_list.contentItem) {
                left_list.positionViewAtIndex(left_list.indexAt(item.x + 1, item.y + 1), ListView.Contain)
                return
            }
        }
    }

    // Runs while a screenshot of the details loads.
    function updateBusy() {
        for (var i = 0; i < screenshots.count; ++i) {
            var image = screenshots.itemAt(i)
            if (image && image.status === Image.Loading) {
                busy.running = true
                return
            }
        }
        busy.running = false
    }

    width: 1000
    height: 400
    color: "white"
    Component.onCompleted: {
        if (visible)
            loadFirstPage()
    }
    onVisibleChanged: {
        if (visible && (!loaded || failed))
            retry()
    }

    Connections {
        target: appArea.Window.window
        function onActiveFocusItemChanged() {
            appArea.showFocused(appArea.Window.window.activeFocusItem)
        }
    }

    Item {
        id: app
        x: 35
        y: 10
        width: 930
        height: 320
        visible: !appDetailItem.visible

        ScrollView {
            id: softwareList
            anchors.fill: parent
            clip: true
            // Shown while rows are out of sight, not only while scrolling.
            ScrollBar.vertical.policy: left_list.contentHeight > left_list.height
                                       ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded

            ListView {
                id: left_list
                model: appArea.softwareModel
                snapMode: ListView.SnapToItem
                boundsBehavior: Flickable.StopAtBounds
                Accessible.role: Accessible.List
                Accessible.name: "软件列表"

                delegate: DownloadRow {
                    id: row
                    width: left_list.width
                    software: modelData
                    onOpened: appArea.openDetail(modelData, index)
                    onPhaseChanged: {
                        if (software.id === appArea.currentId)
                            appArea.refreshDetail()
                    }

                    Connections {
                        target: appArea
                        function onRowOutdated(id) {
                            if (id === row.software.id)
                                row.sync()
                        }
                    }
                }
            }
        }

        UiText {
            anchors.centerIn: parent
            text: "暂无可下载的软件"
            color: $fontTipColor
            visible: left_list.count === 0 && !busy.running && !appArea.failed
        }

        LinkButton {
            anchors.centerIn: parent
            text: "加载失败，点击重试"
            color: $fontTipColor
            font.pixelSize: 14
            visible: appArea.failed && !busy.running
            onClicked: appArea.retry()
        }
    }

    Pager {
        id: pageButtonItem
        anchors.right: app.right
        y: app.y + app.height + 16
        visible: app.visible
        currentPage: appArea.currentPage
        totalPage: appArea.totalPage
        onTurnTo: appArea.turnTo(page)
    }

    Flickable {
        id: appDetailItem
        x: 35
        y: 10
        width: 930
        height: 320 + 60
        visible: false
        clip: true
        contentWidth: width
        contentHeight: detailBody.y + detailBody.height + 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}

        LinkButton {
            id: button_back
            y: 4
            text: "< 返回"
            font.pixelSize: 14
            onClicked: appArea.closeDetail()
        }

        RemoteImage {
            id: detailIcon
            y: 36
            width: 70
            height: 70
            address: appArea.softwareInfo ? appArea.softwareInfo.icon : ""
            Accessible.ignored: true
        }

        UiText {
            id: detailName
            anchors.left: detailIcon.right
            anchors.leftMargin: 20
            anchors.right: button_download.left
            anchors.rightMargin: 20
            y: 44
            text: appArea.softwareInfo ? appArea.softwareInfo.name : ""
            font.pixelSize: 20
            font.bold: true
            elide: Text.ElideRight
        }

        UiText {
            id: detailInfo
            anchors.left: detailName.left
            anchors.right: detailName.right
            anchors.top: detailName.bottom
            anchors.topMargin: 10
            text: appArea.softwareInfo
                  ? "版本：" + appArea.softwareInfo.version + " | 大小：" + appArea.softwareInfo.size
                    + " | 更新时间：" + appArea.softwareInfo.updatetime
                  : ""
            color: $fontColor6
            font.pixelSize: 13
            elide: Text.ElideRight
        }

        ActionButton {
            id: button_download
            anchors.right: parent.right
            anchors.rightMargin: 10
            y: 51
            width: 160
            height: 40
            text: appArea.detailPhase === "running" ? "停止"
                : appArea.detailPhase === "paused" ? "暂停"
                : "下载"
            // A paused download reads "暂停"; the button continues it.
            Accessible.name: appArea.detailPhase === "paused" ? "继续" : text
            color: "#006ef7"
            hoverColor: "#1596fa"
            onClicked: appArea.detailAction()
        }

        Column {
            id: detailBody
            y: detailIcon.y + detailIcon.height + 24
            width: parent.width
            spacing: 14

            Row {
                id: imageItem
                spacing: 12

                Repeater {
                    id: screenshots
                    model: appArea.softwareInfo ? appArea.softwareInfo.piclist : []

                    RemoteImage {
                        width: 240
                        height: 150
                        address: modelData
                        Accessible.role: Accessible.Graphic
                        Accessible.name: "截图 " + (index + 1)
                        onStatusChanged: appArea.updateBusy()

                        Rectangle {
                            anchors.fill: parent
                            color: "transparent"
                            border.color: $lineColor
                        }
                    }
                }
            }

            UiText {
                id: lebalText
                text: "软件简介"
                font.pixelSize: 15
                font.bold: true
                states: [
                    State {
                        name: "status1"
                        PropertyChanges { target: imageItem; visible: true }
                    },
                    State {
                        name: "status2"
                        PropertyChanges { target: imageItem; visible: false }
                    }
                ]
            }

            UiText {
                id: infoText
                width: parent.width - 20
                text: appArea.softwareInfo ? appArea.softwareInfo.summary : ""
                color: $fontColor6
                wrapMode: Text.Wrap
                lineHeight: 1.4
            }
        }
    }

    BusyMark {
        id: busy
        anchors.centerIn: app
    }
}
