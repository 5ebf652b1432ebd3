import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import "qrc:/Control"
import "qrc:/"

// The shared controls on their own: inputs, the SMS count-down, the window
// form and the navigation button.
Item {
    id: scene
    width: 640
    height: 480

    // The first item under `root` whose property `key` is `value`.
    function findItem(root, key, value) {
        if (root[key] === value)
            return root
        for (var i = 0; i < root.children.length; ++i) {
            var found = findItem(root.children[i], key, value)
            if (found)
                return found
        }
        return null
    }

    function byText(root, text) { return findItem(root, "text", text) }

    function byName(root, name) {
        if (root.Accessible && root.Accessible.name === name)
            return root
        for (var i = 0; i < root.children.length; ++i) {
            var found = byName(root.children[i], name)
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

    MenuButton {
        id: nav
        y: 100
        index: 2
        currentindex: 0
        name: "推荐应用"
        image: "qrc:/images/icon05.png"
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
    SignalSpy { id: navSpy; target: nav; signalName: "click" }

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

        function test_passwordEchoHidesTheText() {
            edit.textEcho = TextInput.Password
            mouseClick(edit)
            keyClick(Qt.Key_A)
            keyClick(Qt.Key_B)
            compare(edit.text, "ab")
            verify(edit.input.displayText !== "ab")
            // A reader still names the input.
            compare(edit.input.Accessible.name, "请输入手机号")
        }

        function test_returnEmitsAccepted() {
            mouseClick(edit)
            keyClick(Qt.Key_5)
            keyClick(Qt.Key_Return)
            compare(acceptedSpy.count, 1)
            keyClick(Qt.Key_Enter)
            compare(acceptedSpy.count, 2)
        }
    }

    TestCase {
        name: "CountDownButton"
        when: windowShown

        function init() {
            mainFunction.clear()
        }

        // One request, then "59S" … "0S" once a tick, then the label again
        // and the button pressable: the minute runs fast on a short interval.
        function test_oneRequestPerCountDown() {
            var timer = findChild(countdown, "countDown")
            verify(timer)
            compare(timer.interval, 1000)
            timer.interval = 5
            var label = byText(countdown, "获取验证码")
            var shown = []
            var record = function () { shown.push(label.text) }
            label.textChanged.connect(record)

            mouseClick(countdown)
            compare(mainFunction.phones, ["13800000002"])
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
            tryCompare(countdown, "enabled", true, 5000)
            timer.interval = 1000
        }

        // Pressed from the keyboard, it hands the keys on to the form rather
        // than losing them when it closes.
        function test_keyboardPressKeepsTheFocusInTheForm() {
            var timer = findChild(countdown, "countDown")
            timer.interval = 5
            edit.input.forceActiveFocus()
            keyClick(Qt.Key_Tab)
            verify(!edit.input.activeFocus)
            keyClick(Qt.Key_Space)
            compare(mainFunction.phones.length, 1)
            verify(!countdown.enabled)
            var focused = countdown.Window.window.activeFocusItem
            verify(focused !== null && focused !== countdown.Window.window.contentItem)
            verify(focused.enabled)
            tryCompare(countdown, "enabled", true, 5000)
            timer.interval = 1000
        }

        function test_emptyNumberIsSentAsItIs() {
            var timer = findChild(countdown, "countDown")
            timer.interval = 5
            countdown.btnPhoneStr = ""
            mouseClick(countdown)
            compare(mainFunction.phones, [""])
            verify(!countdown.enabled)
            tryCompare(countdown, "enabled", true, 5000)
            countdown.btnPhoneStr = "13800000002"
            timer.interval = 1000
        }
    }

    TestCase {
        name: "WindowForm"
        when: windowShown

        function test_titleAndMinimiseButton() {
            var form = createTemporaryObject(formComponent, scene)
            form.show()
            tryCompare(form, "visible", true)
            compare(form.title, "登录")
            verify(byText(form.contentItem, "Plit云台  ·登录"))
            var minimise = byName(form.contentItem, "最小化")
            verify(minimise)
            verify(!minimise.visible)
            form.minvisible = true
            verify(minimise.visible)
            waitForRendering(form.contentItem)
            compare(form.modality, Qt.ApplicationModal)

            mouseClick(byName(form.contentItem, "关闭"))
            tryCompare(form, "visible", false)
        }
    }

    TestCase {
        name: "MenuButton"
        when: windowShown

        function test_panelShowsWhenItsIndexIsCurrent() {
            var panel = findChild(nav, "mainpagebgimage")
            verify(!panel.visible)
            nav.currentindex = 2
            verify(panel.visible)
            compare(nav.Accessible.checked, true)
            nav.currentindex = 1
            verify(!panel.visible)

            // The main window sets the panels itself once a button is clicked.
            nav.setBgVisible(true)
            verify(panel.visible)
            nav.setBgVisible(false)
            verify(!panel.visible)
        }

        function test_clickEmitsClick() {
            navSpy.clear()
            mouseClick(nav)
            compare(navSpy.count, 1)
            compare(nav.Accessible.name, "推荐应用")
        }
    }
}
