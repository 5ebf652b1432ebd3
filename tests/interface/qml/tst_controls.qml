import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Control"
import "../find.js" as Find

// The shared controls on their own: inputs, the SMS count-down and the
// window form.
Item {
    id: scene
    width: 640
    height: 480

    // The first item under `root` whose text is `text`, shown or not.
    function byText(root, text) {
        if (root.text === text)
            return root
        for (var i = 0; i < root.children.length; ++i) {
            var found = byText(root.children[i], text)
            if (found)
                return found
        }
        return null
    }

    EditFrame {
        id: edit
        width: 240
        height: 36
        hint: "请输入手机号"
        prefix: "+86"
    }

    CountDownButton {
        id: countdown
        y: 50
        width: 94
        height: 36
        btnStr: "获取验证码"
        btnPhoneStr: "13800000002"
    }

    Component {
        id: formComponent
        WindowForm {
            titlename: "登录"
            width: 400
            height: 300
        }
    }

    SignalSpy { id: acceptedSpy; target: edit; signalName: "accepted" }

    TestCase {
        name: "EditFrame"
        when: windowShown

        function init() {
            edit.text = ""
            edit.textEcho = TextInput.Normal
            edit.maxnum = 36
            acceptedSpy.clear()
        }

        function test_hintWhileEmptyPrefixOtherwise() {
            var hint = byText(edit, "请输入手机号")
            var prefix = byText(edit, "+86")
            compare(hint.opacity, 1)
            verify(!prefix.visible)
            mouseClick(edit)
            keyClick(Qt.Key_1)
            compare(edit.text, "1")
            compare(hint.opacity, 0)
            verify(prefix.visible)
            keyClick(Qt.Key_Backspace)
            compare(hint.opacity, 1)
            verify(!prefix.visible)
        }

        function test_noCharacterBeyondMaxnum() {
            mouseClick(edit)
            for (var i = 0; i < 40; ++i)
                keyClick(Qt.Key_7)
            compare(edit.text.length, 36)
            edit.maxnum = 11
            edit.text = ""
            for (i = 0; i < 12; ++i)
                keyClick(Qt.Key_1)
            compare(edit.text, "11111111111")
        }

        // Hidden, a password is still named for a reader; Return and Enter
        // both accept.
        function test_passwordEchoAndAccepting() {
            edit.textEcho = TextInput.Password
            mouseClick(edit)
            keyClick(Qt.Key_A)
            keyClick(Qt.Key_B)
            compare(edit.text, "ab")
            verify(edit.input.displayText !== "ab")
            compare(edit.input.Accessible.name, "请输入手机号")
            keyClick(Qt.Key_Return)
            compare(acceptedSpy.count, 1)
            keyClick(Qt.Key_Enter)
            compare(acceptedSpy.count, 2)
        }
    }

    TestCase {
        name: "CountDownButton"
        when: windowShown

        // A tick a second; the minute runs fast on a short interval.
        function init() {
            mainFunction.clear()
            findChild(countdown, "countDown").interval = 5
        }

        function cleanup() {
            tryCompare(countdown, "enabled", true, 5000)
            countdown.btnPhoneStr = "13800000002"
            findChild(countdown, "countDown").interval = 1000
        }

        function test_oneRequestPerCountDown_data() {
            return [{tag: "number", phone: "13800000002"}, {tag: "none, sent as it is", phone: ""}]
        }

        // One request, then "59S" … "0S" once a tick, then the label again
        // and the button pressable.
        function test_oneRequestPerCountDown(data) {
            countdown.btnPhoneStr = data.phone
            var label = byText(countdown, "获取验证码")
            var shown = []
            var record = function () { shown.push(label.text) }
            label.textChanged.connect(record)

            mouseClick(countdown)
            compare(mainFunction.phones, [data.phone])
            verify(!countdown.enabled)
            mouseClick(countdown)
            compare(mainFunction.phones.length, 1)

            tryCompare(countdown, "enabled", true, 5000)
            label.textChanged.disconnect(record)
            var expected = []
            for (var n = 59; n >= 0; --n)
                expected.push(n + "S")
            expected.push("获取验证码")
            compare(shown, expected)

            mouseClick(countdown)
            compare(mainFunction.phones.length, 2)
        }

        // Pressed from the keyboard, it hands the keys on to the form rather
        // than losing them when it closes.
        function test_keyboardPressKeepsTheFocusInTheForm() {
            edit.input.forceActiveFocus()
            keyClick(Qt.Key_Tab)
            verify(!edit.input.activeFocus)
            keyClick(Qt.Key_Space)
            compare(mainFunction.phones.length, 1)
            verify(!countdown.enabled)
            var focused = countdown.Window.window.activeFocusItem
            verify(focused !== null && focused !== countdown.Window.window.contentItem)
            verify(focused.enabled)
        }
    }

    TestCase {
        name: "WindowForm"
        when: windowShown

        function test_titleModalityAndClose() {
            var form = createTemporaryObject(formComponent, scene)
            form.show()
            tryCompare(form, "visible", true)
            compare(form.title, "登录")
            verify(Find.inWindow(form, "Plit云台  ·登录"))
            verify(!Find.inWindow(form, "最小化"))
            compare(form.modality, Qt.ApplicationModal)
            mouseClick(Find.inWindow(form, "关闭"))
            tryCompare(form, "visible", false)
        }
    }
}
