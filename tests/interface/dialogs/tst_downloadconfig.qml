import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Control/Dialogs.js" as Dialogs
import "find.js" as Find

// The settings window with its page "下载设置": the download directory is
// chosen, typed or restored, shown with the free space where it lies, and
// kept as "DownloadPath" by "确定"; an empty one is refused.
Item {
    width: 100
    height: 100

    Window {
        id: mainWindow
        width: 800
        height: 500
        visible: true
    }

    TestCase {
        name: "DownloadConfigPage"
        when: windowShown

        property var settings: null
        readonly property string refusal: "请选择软件下载地址！"

        function init() {
            testbed.clear()
            settings = Dialogs.create("qrc:/ConfigSetting.qml", mainWindow)
            settings.show()
            tryCompare(settings, "visible", true)
            waitForRendering(settings.contentItem)
        }

        function cleanup() {
            var warning = testbed.shownWindow("Plit提示")
            if (warning)
                warning.close()
            if (settings)
                settings.close()
            tryVerify(function () { return testbed.windowCount("软件设置") === 0 })
        }

        function find(name) {
            var item = Find.inWindow(settings, name)
            verify(item, name)
            return item
        }

        function path() {
            return find("请选择下载目录")
        }

        function freeSpace() {
            return findChild(settings.contentItem, "text4").text
        }

        // The message dialog over the settings window, closed again.
        function expectRefusal() {
            tryVerify(function () { return testbed.shownWindow("Plit提示") !== null })
            var warning = testbed.shownWindow("Plit提示")
            verify(Find.inWindow(warning, refusal))
            compare(warning.transientParent, settings)
            mouseClick(Find.inWindow(warning, "确定"))
            tryVerify(function () { return testbed.shownWindow("Plit提示") === null })
        }

        function test_tabStaysChosenUnderThePointer() {
            var tab = find("下载设置")
            compare(tab.state, "clicked")
            compare(tab.Accessible.role, Accessible.PageTab)
            mouseMove(tab)
            mouseMove(settings.contentItem, 5, 5)
            compare(tab.state, "clicked")
        }

        function test_emptyDirectoryIsRefused() {
            // It opens on the directory in force, emptied here.
            compare(path().text, configFucntion.getDownloadDirectory())
            path().text = ""
            mouseClick(find("打开目录"))
            expectRefusal()
            compare(testbed.openedUrls, [])

            mouseClick(find("确定"))
            expectRefusal()
            verify(settings.visible)
            compare(testbed.setting("DownloadPath"), "")
        }

        function test_chosenDirectoryIsKept() {
            testbed.chosenDirectory = testbed.dataDir
            mouseClick(find("选择目录"))
            compare(path().text, testbed.dataDir)
            compare(freeSpace(), systemFunction.getDiskSize(testbed.dataDir) + "GB")

            mouseClick(find("打开目录"))
            compare(testbed.openedUrls, ["file://" + testbed.dataDir])

            // A cancelled chooser changes nothing.
            testbed.chosenDirectory = ""
            mouseClick(find("选择目录"))
            compare(path().text, testbed.dataDir)

            mouseClick(find("确定"))
            tryCompare(settings, "visible", false)
            compare(testbed.setting("DownloadPath"), testbed.dataDir)
        }

        // The free space is that of the directory itself (no drive letters
        // here), none for one that does not exist.
        function test_defaultIsWhereTheProgramKeepsItsFiles() {
            mouseClick(find("恢复默认目录"))
            compare(path().text, testbed.dataDir)
            compare(freeSpace(), systemFunction.getDiskSize(testbed.dataDir) + "GB")
            path().text = testbed.dataDir + "/no such folder"
            compare(freeSpace(), "0GB")
            path().text = testbed.dataDir
            mouseClick(find("确定"))
            compare(testbed.setting("DownloadPath"), testbed.dataDir)
        }
    }
}
