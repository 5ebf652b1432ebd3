import QtQuick 2.15
import QtTest 1.2
import "qrc:/More"
import "find.js" as Find

// Feedback: the kind chosen gives the platform its type code, "OK" empties
// and closes the window, anything else is shown in red and keeps it.
Item {
    width: 100
    height: 100

    Suggestion {
        id: suggestionWindow
    }

    TestCase {
        name: "Suggestion"
        when: windowShown

        function init() {
            mainFunction.clear()
            suggestionWindow.show()
            tryCompare(suggestionWindow, "visible", true)
            waitForRendering(suggestionWindow.contentItem)
        }

        function cleanup() {
            suggestionWindow.close()
        }

        function find(name) {
            var item = Find.inWindow(suggestionWindow, name)
            verify(item, name)
            return item
        }

        // Types into the input named `name` with the keyboard.
        function typeInto(name, text) {
            mouseClick(find(name))
            for (var i = 0; i < text.length; ++i)
                keyClick(text[i])
        }

        function submit() {
            mouseClick(find("提交"))
            return mainFunction.sent[mainFunction.sent.length - 1]
        }

        function test_typeCodeFollowsTheChosenKind() {
            mainFunction.answer = "反馈内容不能为空"
            compare(submit().msgtypes, "3")
            verify(find("产品建议").checked)

            mouseClick(find("程序错误"))
            verify(!find("产品建议").checked)
            compare(submit().msgtypes, "2")
            mouseClick(find("我要吐槽"))
            compare(submit().msgtypes, "1")
            compare(suggestionWindow.tempStrType, "1")

            // None chosen.
            suggestionWindow.chosenKind = null
            verify(!find("产品建议").checked && !find("程序错误").checked && !find("我要吐槽").checked)
            compare(submit().msgtypes, "0")
            compare(mainFunction.sent.length, 4)
        }

        function test_okEmptiesAndClosesTheWindow() {
            mouseClick(find("程序错误"))
            typeInto("请输入您需要反馈的内容(200字以内)...", "Crash on start")
            typeInto("请输入您的联系方式", "13800000002")
            compare(submit(), {msgtypes: "2", summary: "Crash on start", phone: "13800000002"})
            tryCompare(suggestionWindow, "visible", false)

            suggestionWindow.show()
            tryCompare(suggestionWindow, "visible", true)
            verify(find("请输入您需要反馈的内容(200字以内)...").text === "")
            verify(find("请输入您的联系方式").text === "")
            verify(find("产品建议").checked)
        }

        function test_refusalIsShownAndKeepsWhatWasTyped() {
            mainFunction.answer = "反馈内容不能为空"
            typeInto("请输入您的联系方式", "010-1234")
            submit()
            var message = find("反馈内容不能为空")
            compare(message.Accessible.role, Accessible.AlertMessage)
            verify(suggestionWindow.visible)
            compare(find("请输入您的联系方式").text, "010-1234")

            // A later opening starts without the old message.
            suggestionWindow.close()
            suggestionWindow.show()
            tryCompare(suggestionWindow, "visible", true)
            verify(!Find.inWindow(suggestionWindow, "反馈内容不能为空"))
            compare(suggestionWindow.tempStr, "")
        }
    }
}
