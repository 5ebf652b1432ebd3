import QtQuick 2.15
import "./Control"

// Registration: name, e-mail address, phone number, the SMS code sent to it
// and a password. A successful registration also signs the user in.
AccountForm {
    id: regAccount

    property string tempStr
    property string tempStrName
    property string tempStrEmail
    property string tempStrPhone
    property string tempStrPass
    property string tempStrPassWord
    property var propertyNames: ["姓      名： ", "邮      箱： ", "手  机 号： ", "验  证 码： ", "登录密码： "]

    function initWindow() {
        tempStr = ""
        tempStrName = ""
        tempStrEmail = ""
        tempStrPhone = ""
        tempStrPass = ""
        tempStrPassWord = ""
        outMessage.text = ""
    }

    titlename: "注册"
    initialFocus: nameEdit.input
    agreementNeeded: true
    onSubmitted: {
        tempStr = mainFunction.btnCommitInfo(nameEdit.text, emailEdit.text, phoneNoEdit.text,
                                             passEdit.text, passwordEdit.text)
        if (tempStr === "OK") {
            nameEdit.text = ""
            emailEdit.text = ""
            phoneNoEdit.text = ""
            passEdit.text = ""
            passwordEdit.text = ""
            outMessage.text = ""
            mainWindow.loginSuccess()
            regAccount.close()
        } else {
            outMessage.text = tempStr
        }
    }

    FormRow {
        label: propertyNames[0]
        height: itemheight
        FormEdit { id: nameEdit; hint: "请输入姓名" }
    }

    FormRow {
        label: propertyNames[1]
        height: itemheight
        FormEdit { id: emailEdit; hint: "请输入邮箱"; maxnum: 64 }
    }

    FormRow {
        label: propertyNames[2]
        height: itemheight
        FormEdit { id: phoneNoEdit; hint: "请输入手机号" }
    }

    FormRow {
        label: propertyNames[3]
        height: itemheight

        FormEdit {
            id: passEdit
            hint: "请输入验证码"
            rightdis: codeButton.width + 6

            CountDownButton {
                id: codeButton
                anchors.right: parent.right
                width: 90
                height: parent.height
                btnStr: "获取验证码"
                btnPhoneStr: phoneNoEdit.text
            }
        }
    }

    FormRow {
        label: propertyNames[4]
        height: itemheight

        FormEdit {
            id: passwordEdit
            hint: "请输入登录密码"
            textEcho: TextInput.Password
            onAccepted: commitBtn.press()
        }
    }
}
