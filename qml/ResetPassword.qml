import QtQuick 2.15
import "./Control"

// A new password for a phone number, confirmed by the SMS code sent to it;
// afterwards the sign-in window opens again.
AccountForm {
    id: resetPassword

    property string tempStrPhone
    property string tempStrPass
    property string tempStrPassWord
    property string tempStrRPassWord
    property string tempStr

    function initWindow() {
        tempStrPhone = ""
        tempStrPass = ""
        tempStrPassWord = ""
        tempStrRPassWord = ""
        outMessage.text = ""
    }

    titlename: "重置密码"
    initialFocus: phoneNoEdit.input
    labelWidth: 112
    onSubmitted: {
        tempStr = mainFunction.btnResetPassword(phoneNoEdit.text, passEdit.text, passwordEdit.text,
                                                rpasswordEdit.text)
        if (tempStr === "OK") {
            phoneNoEdit.text = ""
            passEdit.text = ""
            passwordEdit.text = ""
            rpasswordEdit.text = ""
            outMessage.text = ""
            loginPanelWindow.initWindow()
            loginPanelWindow.show()
            resetPassword.close()
        } else {
            outMessage.text = tempStr
        }
    }

    FormRow {
        label: "手     机     号： "
        labelWidth: resetPassword.labelWidth
        height: itemheight
        FormEdit { id: phoneNoEdit; hint: "请输入手机号" }
    }

    FormRow {
        label: "验     证     码： "
        labelWidth: resetPassword.labelWidth
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
        label: "登  录  密  码： "
        labelWidth: resetPassword.labelWidth
        height: itemheight

        FormEdit {
            id: passwordEdit
            hint: "请输入新密码"
            textEcho: TextInput.Password
        }
    }

    FormRow {
        label: "确认登录密码： "
        labelWidth: resetPassword.labelWidth
        height: itemheight

        FormEdit {
            id: rpasswordEdit
            hint: "请重新输入新密码"
            textEcho: TextInput.Password
            onAccepted: commitBtn.press()
        }
    }
}
