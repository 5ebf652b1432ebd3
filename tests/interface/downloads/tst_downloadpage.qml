import QtQuick 2.15
import QtQuick.Controls 2.15
import QtTest 1.2
import "qrc:/Control"
import "../find.js" as Find

// The download centre's rows against a centre whose downloads the tests move
// by hand (`downloadFunction`, standins.qml).
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

    function press(root, name) {
        var button = Find.byName(root, name)
        verify(button, name + " is not shown")
        mouseClick(button)
    }

    function makeRow() {
        var row = createTemporaryObject(rowComponent, scene, { software: helper })
        waitForRendering(row)
        return row
    }

    name: "DownloadRow"
    when: windowShown

    Component {
        id: rowComponent
        DownloadRow { width: 930 }
    }

    function init() {
        downloadFunction.reset()
    }

    function test_aStartedDownloadIsPolledUntilItEnds() {
        var row = makeRow()
        compare(row.Accessible.role, Accessible.ListItem)
        compare(row.Accessible.name, "Plit开票助手")
        verify(!Find.byName(row, "暂停"))
        press(row, "一键安装")
        compare(downloadFunction.calls, [startCall])
        compare(row.phase, "running")
        verify(!Find.byName(row, "一键安装"))
        compare(Find.byName(row, "暂停").Accessible.role, Accessible.Button)
        verify(Find.byName(row, "停止"))

        downloadFunction.setJob("31", { progress: 0.4, speed: "1.50 KB/s" })
        tryCompare(row, "progress", 0.4)
        verify(Find.byName(row, "1.50 KB/s"))
        verify(!Find.byName(row, "已暂停"))

        // At 1 the download is handed back once and the row starts afresh.
        downloadFunction.setJob("31", { progress: 1 })
        tryCompare(row, "phase", "idle")
        wait(200)
        compare(downloadFunction.count("downloadFinish 31"), 1)
        compare(row.progress, 0)
        verify(Find.byName(row, "一键安装"))
        verify(!Find.byName(row, "暂停"))
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

    function test_pauseResumeAndStop() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.25, speed: "2.00 KB/s" })
        tryCompare(row, "progress", 0.25)

        press(row, "暂停")
        compare(downloadFunction.count("pause 31"), 1)
        compare(row.phase, "paused")
        verify(Find.byName(row, "已暂停"))
        verify(!Find.byName(row, "2.00 KB/s"))
        // Nothing is polled while paused.
        downloadFunction.setJob("31", { progress: 0.3 })
        wait(150)
        compare(row.progress, 0.25)

        press(row, "继续")
        compare(downloadFunction.count(startCall), 2)
        compare(row.phase, "running")
        verify(!Find.byName(row, "已暂停"))
        tryCompare(row, "progress", 0.3)
        verify(Find.byName(row, "暂停"))

        // Stopped, the download is forgotten.
        press(row, "停止")
        compare(downloadFunction.count("stop 31"), 1)
        compare(row.phase, "idle")
        compare(row.progress, 0)
        verify(Find.byName(row, "一键安装"))
        verify(!Find.byName(row, "停止"))
        verify(!Find.byName(row, "已暂停"))

        // Nor does a row go on polling a download the centre has forgotten.
        press(row, "一键安装")
        downloadFunction.jobs = {}
        tryCompare(row, "phase", "idle")
        verify(Find.byName(row, "一键安装"))
    }

    function test_aFailedDownloadSaysSoAndCanBeStartedAgain() {
        var row = makeRow()
        press(row, "一键安装")
        downloadFunction.setJob("31", { progress: 0.1, error: "Connection timed out" })
        tryCompare(row, "phase", "failed")
        var failed = Find.byName(row, "下载失败")
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
        verify(!Find.byName(row, "暂停"))
        // Polling has ended: the row is no longer fed figures.
        downloadFunction.setJob("31", { progress: 0.9 })
        wait(150)
        compare(row.progress, 0.1)

        press(row, "一键安装")
        compare(downloadFunction.count(startCall), 2)
        compare(row.phase, "running")
        verify(!Find.byName(row, "下载失败"))
        tryCompare(row, "progress", 0.9)
    }
}
}
