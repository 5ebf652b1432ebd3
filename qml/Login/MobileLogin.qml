import QtQuick 2.15
import "../Control"
import ".."

// The SMS tab of the sign-in window: the phone number, the code the
// platform sends to it, and a way to register.
Item {
    id: mobile

    property string tempStr
    property string tempStrPhone
    property string tempStrPass

    // A window opened again shows no message of an earlier attempt.
    function initWindow() {
        tempStr = ""
        tempStrPhone = ""
        tempStrPass = ""
        outMessage.text = ""
    }

    // The keyboard starts in the first input still empty.
    function focusInput() {
        (phoneNoEdit1.text === "" ? phoneNoEdit1 : passNo).input.forceActiveFocus()
    }

    function login() {
        console.log("登录 ...")
        tempStr = mainFunction.btnLogin(phoneNoEdit1.text, passNo.text)
        if (tempStr === "OK") {
            mainWindow.loginSuccess()
            phoneNoEdit1.text = ""
            passNo.text = ""
            outMessage.text = ""
            loginPanel.close()
        } else if (tempStr === "Improve") {
            phoneNoEdit1.text = ""
            passNo.text = ""
            outMessage.text = ""
            loginPanel.close()
            improveRegWindow.initWindow()
            improveRegWindow.show()
        } else {
            outMessage.text = tempStr
        }
    }

    Column {
        width: 240
        y: 14
        spacing: 10

        EditFrame {
            id: phoneNoEdit1
            width: 240
            height: 36
            hint: "请输入手机号"
            srcPath: "qrc:/images/username.png"
            font_size: 15
        }

        EditFrame {
            id: passNo
            width: 240
            height: 36
            hint: "请输入动态密码"
            srcPath: "qrc:/images/pass.png"
            font_size: 15
            rightdis: dynamicPassBtn.width + 6
            onAccepted: mobile.login()

            CountDownButton {
                id: dynamicPassBtn
                anchors.right: parent.right
                width: 94
                height: 36
                btnStr: "获取动态密码"
                btnPhoneStr: phoneNoEdit1.text
            }
        }

        ErrorText {
            id: outMessage
            width: 240
            height: 16
            text: ""
        }

        ActionButton {
            id: loginBtn
            width: 160
            height: 34
            text: "登录"
            onClicked: mobile.login()
        }

        LinkButton {
            id: registerBtn
            width: 160
            height: 20
            text: "还没有云台账号？ 去注册"
            onClicked: {
                console.log("注册账号...")
                regAccountWindow.initWindow()
                regAccountWindow.show()
                loginPanel.hide()
            }

            RegAccount {
                id: regAccountWindow
            }
        }
    }
}
