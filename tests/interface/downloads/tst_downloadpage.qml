import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import "qrc:/Control"
import "qrc:/AppPage"

// The download centre's rows and page against a centre whose downloads the
// tests move by hand (`downloadFunction`, StandInCentre.qml).
Item {
    id: scene

    width: 1000
    height: 475

TestCase {
    id: testCase

    readonly property var helper: ({ id: "31", title: "Plit开票助手", shortitle: "V1.0.3",
                                     uplodeimg: "", softsize: "4.0MB",
                                     uplodesoft: "http://platform/files/plit-helper-setup.sh",
                                     filename: "plit-helper-setup.sh",
                                     url: "http://platform/software/31.html" })
    readonly property string startCall: "downloadFile 31 " + helper.uplodesoft + " " + helper.filename

    function entry(id) {
        return { id: String(id), title: "软件" + id, shortitle: "V" + id, uplodeimg: "",
                 softsize: id + "KB", uplodesoft: "http://platform/files/" + id,
                 filename: "setup_" + id, url: "http://platform/software/" + id + ".html" }
    }

    // The first shown item under `root` named `name` by a screen reader or
    // by its text.
    function shown(root, name) {
        if (!root || !root.visible)
            return null
        if (root.Accessible.name === name || root.text === name)
            return root
        for (var i = 0; i < root.children.length; ++i) {
            var found = shown(root.children[i], name)
            if (found)
                return found
        }
        return null
    }

    function press(root, name) {
        var button = shown(root, name)
        verify(button, name + " is not shown")
        mouseClick(button)
    }

    // The row's name, a link of its own that opens the details.
    function nameLink(row) {
        for (var i = 0; i < row.children.length; ++i) {
            var link = shown(row.children[i], row.software.title)
            if (link)
                return link
        }
        return null
    }

    function makeRow() {
        var row = createTemporaryObject(rowComponent, scene, { software: helper })
        waitForRendering(row)
        return row
    }

    name: "DownloadPage"
    when: windowShown

    Component {
        id: rowComponent
        DownloadRow { width: 930 }
    }

    Component {
        id: pageComponent
        DownloadPage {}
    }

    function init() {
        downloadFunction.reset()
    }

    function test_aStartedDownloadIsPolledUntilItEnds() {
        var row = makeRow()
        compare(row.Accessible.role, Accessible.ListItem)
        compare(row.Accessible.name, "Plit开票助手")
        verify(!shown(row, "暂停"))
        press(row, "一键安装")
        compare(downloadFunction.calls, [startCall])
        compare(row.phase, "running")
        verify(!shown(row, "一键安装"))
        compare(shown(row, "暂停").Accessible.role, Accessible.Button)
        verify(shown(row, "停止"))

        downloadFunction.setJob("31", { progress: 0.4, speed: "1.50 KB/s" })
        tryCompare(row, "progress", 0.4)
        verify(shown(row, "1.50 KB/s"))
        verify(!shown(row, "已暂停"))

        // At 1 the download is handed back once and the row starts afresh.
        downloadFunction.setJob("31", { progress: 1 })
        tryCompare(row, "phase", "idle")
        wait(200)
        compare(downloadFunction.count("downloadFinish 31"), 1)
        compare(row.progress, 0)
        verify(shown(row, "一键安装"))
        verify(!shown(row, "暂停"))
    }

    function test_aHiddenRowAsksNothingAndCatchesUpWhenShown() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.25 })
        tryCompare(row, "progress", 0.25)
        // On another page the download goes on, and the row asks nothing.
        row.visible = false
        downloadFunction.setJob("31", { progress: 0.5 })
        wait(1500)
        compare(row.progress, 0.25)
        // Shown again, it shows where the download stands at once.
        row.visible = true
        tryCompare(row, "progress", 0.5, 500)
    }

    function test_pauseShowsPausedAndResumePollsAgain() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.25, speed: "2.00 KB/s" })
        tryCompare(row, "progress", 0.25)

        press(row, "暂停")
        compare(downloadFunction.count("pause 31"), 1)
        compare(row.phase, "paused")
        verify(shown(row, "已暂停"))
        verify(!shown(row, "2.00 KB/s"))
        // Nothing is polled while paused.
        downloadFunction.setJob("31", { progress: 0.3 })
        wait(150)
        compare(row.progress, 0.25)

        press(row, "继续")
        compare(downloadFunction.count(startCall), 2)
        compare(row.phase, "running")
        verify(!shown(row, "已暂停"))
        tryCompare(row, "progress", 0.3)
        verify(shown(row, "暂停"))
    }

    function test_stopForgetsTheDownload() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.5 })
        tryCompare(row, "progress", 0.5)
        press(row, "停止")
        compare(downloadFunction.count("stop 31"), 1)
        compare(row.phase, "idle")
        compare(row.progress, 0)
        verify(shown(row, "一键安装"))
        verify(!shown(row, "停止"))
        verify(!shown(row, "已暂停"))

        // Nor does a row go on polling a download the centre has forgotten.
        press(row, "一键安装")
        downloadFunction.jobs = {}
        tryCompare(row, "phase", "idle")
        verify(shown(row, "一键安装"))
    }

    function test_aFailedDownloadSaysSoAndCanBeStartedAgain() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.1, error: "Connection timed out" })
        tryCompare(row, "phase", "failed")
        var failed = shown(row, "下载失败")
        verify(failed)
        // The reason is its tool tip, in plain text: it may carry the
        // server's words.
        var tip = null
        for (var i = 0; i < failed.data.length; ++i) {
            if (failed.data[i].timeout !== undefined && failed.data[i].contentItem !== undefined)
                tip = failed.data[i]
        }
        verify(tip)
        compare(tip.text, "Connection timed out")
        compare(tip.contentItem.textFormat, Text.PlainText)
        verify(!shown(row, "暂停"))
        // Polling has ended: the row is no longer fed figures.
        downloadFunction.setJob("31", { progress: 0.9 })
        wait(150)
        compare(row.progress, 0.1)

        press(row, "一键安装")
        compare(downloadFunction.count(startCall), 2)
        compare(row.phase, "running")
        verify(!shown(row, "下载失败"))
        tryCompare(row, "progress", 0.9)
    }

    // A row made again (the page turned away and back) shows what the
    // centre holds for its entry.
    function test_aNewRowShowsTheDownloadItsEntryHas() {
        downloadFunction.setJob("31", { progress: 0.3, paused: true })
        var row = makeRow()
        compare(row.phase, "paused")
        compare(row.progress, 0.3)
        verify(shown(row, "已暂停"))
        verify(shown(row, "继续"))
        row.destroy()

        downloadFunction.setJob("31", { paused: false, progress: 0.6 })
        row = makeRow()
        compare(row.phase, "running")
        downloadFunction.setJob("31", { progress: 0.7 })
        tryCompare(row, "progress", 0.7)
    }

    function test_aSinglePageCannotBeTurned() {
        downloadFunction.pages = [[entry(12), entry(13)]]
        downloadFunction.pageCount = 1
        // The catalogue is read once the page shows.
        var page = createTemporaryObject(pageComponent, scene, { visible: false })
        compare(downloadFunction.calls, [])
        page.visible = true
        compare(page.totalPage, 1)
        compare(page.softwareModel.length, 2)
        verify(!shown(page, "上一页").enabled)
        verify(!shown(page, "下一页").enabled)
        mouseClick(shown(page, "下一页"))
        compare(page.currentPage, 1)
        compare(downloadFunction.calls, ["page 1"])
    }

    function test_pagesTurnAndADownloadOutlivesItsRow() {
        downloadFunction.pages = [[helper, entry(12)], [entry(13)], [entry(14)]]
        downloadFunction.pageCount = 3
        var page = createTemporaryObject(pageComponent, scene)
        waitForRendering(page)
        verify(!shown(page, "上一页").enabled)
        verify(shown(page, "下一页").enabled)
        press(shown(page, "Plit开票助手"), "一键安装")

        press(page, "下一页")
        compare(page.currentPage, 2)
        verify(!shown(page, "Plit开票助手"))
        press(page, "下一页")
        compare(page.currentPage, 3)
        verify(!shown(page, "下一页").enabled)
        mouseClick(shown(page, "下一页"))
        compare(page.currentPage, 3)
        downloadFunction.setJob("31", { progress: 0.8 })
        press(page, "上一页")
        press(page, "上一页")
        compare(page.currentPage, 1)
        compare(downloadFunction.calls.filter(function (c) { return c.indexOf("page") === 0 }),
                ["page 1", "page 2", "page 3", "page 2", "page 1"])

        // The row made anew goes on showing and polling the download.
        var row = shown(page, "Plit开票助手")
        compare(row.phase, "running")
        compare(row.progress, 0.8)
        press(row, "暂停")
        compare(downloadFunction.count("pause 31"), 1)
        compare(downloadFunction.count(startCall), 1)
    }

    function test_theDetailButtonActsOnTheEntryShown() {
        downloadFunction.pages = [[entry(12), helper]]
        downloadFunction.pageCount = 1
        downloadFunction.details = { "31": { name: "Plit开票助手", icon: "", version: "V1.0.3",
                                             size: "4.0MB", updatetime: "2026-09-20",
                                             summary: "开票快捷方式", piclist: [], picexist: false } }
        var page = createTemporaryObject(pageComponent, scene)
        waitForRendering(page)
        var row = shown(page, "Plit开票助手")
        mouseClick(nameLink(row))
        verify(shown(page, "< 返回"))
        compare(page.currentId, "31")
        compare(page.currentIndex, 1)
        verify(shown(page, "版本：V1.0.3 | 大小：4.0MB | 更新时间：2026-09-20"))
        verify(!shown(page, "上一页"))
        compare(shown(page, "软件简介").state, "status2")

        press(page, "下载")
        compare(downloadFunction.count(startCall), 1)
        verify(shown(page, "停止"))
        press(page, "< 返回")
        compare(row.phase, "running")
        press(row, "暂停")

        mouseClick(nameLink(row))
        // A paused download reads "暂停" and continues.
        var button = shown(page, "继续")
        compare(button.text, "暂停")
        mouseClick(button)
        compare(downloadFunction.count(startCall), 2)
        verify(shown(page, "停止"))
        press(page, "停止")
        compare(downloadFunction.count("stop 31"), 1)
        verify(shown(page, "下载"))
        press(page, "< 返回")
        compare(row.phase, "idle")
        verify(shown(row, "一键安装"))
    }
}
}
