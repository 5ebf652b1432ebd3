import QtQuick 2.15
import Qt.labs.settings 1.1
import "../Control"
import ".."

// The password tab of the sign-in window. With "记住密码" the phone number is
// kept in the interface's settings and the password in the user's keyring
// (never in the interface's settings), and both are filled in next time,
// the password once the keyring gives it; with "自动登录" as well, the next
// start signs in by itself. A keyring that refuses the password turns
// "自动登录" off.
Item {
    id: password

    property string tempStr
    property string tempStrPhone
    property string tempStrPass

    // A window opened again shows no message of an earlier attempt.
    function initWindow() {
        tempStr = ""
        tempStrPhone = ""
        tempStrPass = ""
        outMessage.text = ""
        if (settings.checkStatus && passwordEdit.text === "" && settings.inputPhone !== "")
            configFucntion.rememberedFormPassword(settings.inputPhone)
    }

    // The keyboard starts in the first input still empty.
    function focusInput() {
        (phoneNoEdit.text === "" ? phoneNoEdit : passwordEdit).input.forceActiveFocus()
    }

    function login() {
        console.log("登录 ...")
        var phone = phoneNoEdit.text
        var pass = passwordEdit.text
        // Only both boxes together mean that the next start signs in by
        // itself; without them the file keeps no password.
        var autoNextTime = rempass.checked && autologon.checked
        tempStr = mainFunction.btnLoginPassword(phone, pass, autoNextTime)
        if (tempStr === "OK") {
            if (!autoNextTime)
                configFucntion.forgetCredentials()
            if (rempass.checked) {
                console.log("settings.inputPhone： " + phone)
                settings.inputPhone = phone
                configFucntion.rememberFormPassword(phone, pass)
                settings.checkStatus = rempass.checked
                settings.checkAutoLogon = autologon.checked
            } else {
                configFucntion.rememberFormPassword(phone, "")
                settings.inputPhone = ""
                settings.checkStatus = rempass.checked
                settings.checkAutoLogon = autologon.checked
                phoneNoEdit.text = ""
                passwordEdit.text = ""
                outMessage.text = ""
            }
            mainWindow.loginSuccess()
            loginPanel.close()
        } else if (tempStr === "Improve") {
            phoneNoEdit.text = ""
            passwordEdit.text = ""
            outMessage.text = ""
            loginPanel.close()
            improveRegWindow.initWindow()
            improveRegWindow.show()
        } else {
            outMessage.text = tempStr
        }
    }

    Settings {
        id: settings
        property string inputPhone
        property bool checkStatus
        property bool checkAutoLogon
    }

    Connections {
        target: configFucntion
        // The keyring gave the remembered password: it fills the box when
        // the box is still empty and the number still the same.
        function onRememberedFormPasswordRead(phone, pass) {
            if (pass !== "" && passwordEdit.text === "" && phoneNoEdit.text === phone)
                passwordEdit.text = pass
        }
        function onPasswordNotSaved() {
            settings.checkAutoLogon = false
            autologon.checked = false
        }
    }

    Column {
        width: 240
        y: 14
        spacing: 10

        EditFrame {
            id: phoneNoEdit
            width: 240
            height: 36
            hint: "请输入手机号"
            srcPath: "qrc:/images/icon_taxusername.png"
            font_size: 15
            text: settings.inputPhone
        }

        EditFrame {
            id: passwordEdit
            width: 240
            height: 36
            hint: "请输入密码"
            srcPath: "qrc:/images/icon_taxpass.png"
            font_size: 15
            textEcho: TextInput.Password
            onAccepted: password.login()
        }

        Item {
            width: 240
            height: 16

            Row {
                spacing: 14
                height: parent.height

                TickBox {
                    id: rempass
                    height: parent.height
                    text: "记住密码"
                    checked: settings.checkStatus
                    onToggled: console.log(checked ? "选中..." : "未选中...", "Now is " + checked)
                }

                TickBox {
                    id: autologon
                    height: parent.height
                    text: "自动登录"
                    checked: settings.checkAutoLogon
                    visible: rempass.checked
                    onToggled: {
                        console.log(checked ? "选中..." : "未选中...", "Now is " + checked)
                        if (checked)
                            rempass.checked = true
                    }
                }
            }

            LinkButton {
                id: fogetPassBtn
                anchors.right: parent.right
                width: 60
                height: 17
                text: "忘记密码?"
                color: $fontColor6
                horizontalAlignment: Text.AlignRight
                onClicked: {
                    console.log("忘记密码...")
                    resetPasswordWindow.initWindow()
                    resetPasswordWindow.show()
                    loginPanel.hide()
                }

                ResetPassword {
                    id: resetPasswordWindow
                }
            }
        }

        ErrorText {
            id: outMessage
            width: 240
            height: 16
            text: ""
        }

        Item {
            width: 240
            height: 34

            ActionButton {
                id: loginBtn
                width: 160
                height: 34
                text: "登录"
                onClicked: password.login()
            }

            LinkButton {
                id: registerBtn
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 60
                height: 16
                text: "注册新账号"
                horizontalAlignment: Text.AlignRight
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
}
