import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Control/Dialogs.js" as Dialogs
import "../find.js" as Find

// The warning every window gives: Dialogs.warn() makes the message dialog
// over the middle of the window that warns, and it goes once closed.
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

        // "确定", the header's close button, Escape, and Return on "确定",
        // which has the keyboard when the dialog opens. A key is pressed and
        // released apart: keyClick() would release it on the dialog that its
        // press has freed.
        function test_closedByItsButtonsOrTheKeyboardAndThenFreed_data() {
            return [
                {tag: "确定", close: function (dialog) { mouseClick(Find.inWindow(dialog, "确定")) }},
                {tag: "关闭", close: function (dialog) { mouseClick(Find.inWindow(dialog, "关闭")) }},
                {tag: "Escape", close: function () { keyPress(Qt.Key_Escape); keyRelease(Qt.Key_Escape) }},
                {tag: "Return", close: function () { keyPress(Qt.Key_Return); keyRelease(Qt.Key_Return) }}
            ]
        }

        function test_closedByItsButtonsOrTheKeyboardAndThenFreed(data) {
            var dialog = Dialogs.warn(owner, "请选择软件下载地址！")
            verify(dialog)
            tryCompare(dialog, "visible", true)
            waitForRendering(dialog.contentItem)
            compare(testbed.windowCount("Plit提示"), 1)
            verify(Find.inWindow(dialog, "Plit云台·Plit提示"))
            verify(Find.inWindow(dialog, "请选择软件下载地址！"))
            compare(dialog.transientParent, owner)
            compare(dialog.modality, Qt.WindowModal)
            compare(dialog.x, owner.x + (owner.width - dialog.width) / 2)
            tryCompare(dialog, "active", true)
            data.close(dialog)
            tryVerify(function () { return testbed.windowCount("Plit提示") === 0 }, 2000)
        }
    }
}
