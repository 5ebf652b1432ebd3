import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/"
import "../find.js" as Find

// The program-path dialog of a catalogue tile: the file chosen is kept
// under the tile's key.
Item {
    width: 100
    height: 100

    Window {
        id: mainWindow
        x: 100
        y: 80
        width: 800
        height: 500
        visible: true

        ConfigDicPanel {
            id: panel
            key: "开票软件"
        }
    }

    TestCase {
        name: "ConfigDicPanel"
        when: windowShown

        function init() {
            testbed.clear()
            panel.show()
            tryCompare(panel, "visible", true)
        }

        function cleanup() {
            panel.close()
        }

        function test_browseAsksForAFileOfAnyName() {
            var files = findChild(panel, "fds")
            verify(files)
            compare(files.nameFilters, ["exe文件 (*.exe)", "所有文件 (*)"])
            mouseClick(Find.inWindow(panel, "浏览"))
            tryCompare(files, "visible", true)
            files.reject()
            tryCompare(files, "visible", false)
            compare(testbed.setting("开票软件"), "")
        }

        function test_chosenFileIsKeptUnderTheKey() {
            compare(panel.title, "配置开票软件地址")
            verify(Find.inWindow(panel, "获取文件地址:"))
            compare(panel.x, mainWindow.x + 5)
            panel.choose("file:///opt/%E5%BC%80%E7%A5%A8/kaipiao")
            compare(testbed.setting("开票软件"), "file:///opt/%E5%BC%80%E7%A5%A8/kaipiao")
            verify(Find.inWindow(panel, "/opt/开票/kaipiao"))
        }
    }
}
