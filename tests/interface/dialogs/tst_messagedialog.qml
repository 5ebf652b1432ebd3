import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Control/Dialogs.js" as Dialogs
import "find.js" as Find

// The warning every window gives: Dialogs.warn() makes the message dialog
// over the window that warns, and it goes once closed.
Item {
    width: 100
    height: 100

    Window {
        id: owner
        width: 500
        height: 400
        visible: true
    }

    TestCase {
        name: "MessageDialog"
        when: windowShown

        function warn(text) {
            var dialog = Dialogs.warn(owner, text)
            verify(dialog)
            tryCompare(dialog, "visible", true)
            waitForRendering(dialog.contentItem)
            return dialog
        }

        function test_showsTheTextOverTheWindowThatWarns() {
            var dialog = warn("请选择软件下载地址！")
            compare(testbed.shownWindow("Plit提示"), dialog)
            verify(Find.inWindow(dialog, "Plit云台·Plit提示"))
            verify(Find.inWindow(dialog, "请选择软件下载地址！"))
            compare(dialog.transientParent, owner)
            compare(dialog.modality, Qt.WindowModal)
            // Over the middle of its window.
            compare(dialog.x, owner.x + (owner.width - dialog.width) / 2)

            mouseClick(Find.inWindow(dialog, "确定"))
            tryVerify(function () { return testbed.shownWindow("Plit提示") === null })
        }

        function test_closedByItsButtonsOrTheKeyboardAndThenFreed() {
            // "确定", the header's close button, Escape, and Return on "确定",
            // which has the keyboard when the dialog opens. A key is pressed
            // and released apart: keyClick() would release it on the dialog
            // that its press has freed.
            var ways = [
                function (dialog) { mouseClick(Find.inWindow(dialog, "确定")) },
                function (dialog) { mouseClick(Find.inWindow(dialog, "关闭")) },
                function (dialog) { keyPress(Qt.Key_Escape); keyRelease(Qt.Key_Escape) },
                function (dialog) { keyPress(Qt.Key_Return); keyRelease(Qt.Key_Return) }
            ]
            for (var i = 0; i < ways.length; ++i) {
                var dialog = warn("第" + i + "种")
                tryCompare(dialog, "active", true)
                ways[i](dialog)
                tryVerify(function () { return testbed.windowCount("Plit提示") === 0 }, 2000, "way " + i)
            }
        }
    }
}
