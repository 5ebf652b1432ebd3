import QtQuick 2.15
import "./Control"

// Completion of an account the platform finds incomplete: the signed-in
// number is sent with the completion code in place of an SMS code.
AccountForm {
    id: regAccount

    property string tempStr
    property string tempStrName
    property string tempStrEmail
    property string tempStrPhone
    property string tempStrPass
    property string tempStrPassWord
    property var propertyNames: ["姓      名： ", "邮      箱： ", "登录密码： "]

    function initWindow() {
        tempStr = ""
        tempStrName = ""
        tempStrEmail = ""
        tempStrPhone = ""
        tempStrPass = ""
        tempStrPassWord = ""
        outMessage.text = ""
    }

    titlename: "完善信息"
    initialFocus: nameEdit.input
    agreementNeeded: true
    onSubmitted: {
        tempStr = mainFunction.btnCommitInfo(nameEdit.text, emailEdit.text, mainFunction.getUserNum(),
                                             "qorvexmt40782", passwordEdit.text)
        if (tempStr === "OK") {
            mainWindow.loginSuccess()
            nameEdit.text = ""
            emailEdit.text = ""
            passwordEdit.text = ""
            outMessage.text = ""
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

        FormEdit {
            id: passwordEdit
            hint: "请输入登录密码"
            textEcho: TextInput.Password
            onAccepted: commitBtn.press()
        }
    }
}
