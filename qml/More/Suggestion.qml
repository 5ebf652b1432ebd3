import QtQuick 2.15
import "../Control"

// The feedback window: the kind of feedback, what the user has to say and
// how to reach them, sent to the platform with "提交".
AccountForm {
    id: suggeationWin

    property string phone
    property string tempStr
    property string tempStrType
    property string tempStrQuestion
    property string tempStrContact
    // The chosen kind (rd1, rd2 or rd3); with none the platform gets "0".
    property RadioItem chosenKind: rd1

    function initsuggeationWin() {
        tempStr = ""
        tempStrType = ""
        tempStrQuestion = ""
        tempStrContact = ""
        outMessage.text = ""
    }

    function setPhone(_phone) {
        phone = _phone
    }

    titlename: "意见建议"
    initialFocus: questionEdit.input
    onVisibleChanged: {
        if (visible)
            initsuggeationWin()
    }
    onSubmitted: {
        tempStrType = chosenKind ? chosenKind.code : "0"
        console.log("tempStrType: " + tempStrType)
        tempStrQuestion = questionEdit.text
        tempStrContact = contactEdit.text
        tempStr = mainFunction.btnSuggestionInfo(tempStrType, tempStrQuestion, tempStrContact)
        if (tempStr === "OK") {
            questionEdit.text = ""
            contactEdit.text = ""
            chosenKind = rd1
            outMessage.text = ""
            suggeationWin.close()
        } else {
            outMessage.text = tempStr
        }
    }

    FormRow {
        label: "反馈类型： "
        height: itemheight

        Row {
            height: parent.height
            spacing: 24

            RadioItem {
                id: rd1
                readonly property string code: "3"
                anchors.verticalCenter: parent.verticalCenter
                text: "产品建议"
                checked: suggeationWin.chosenKind === rd1
                onChosen: suggeationWin.chosenKind = rd1
            }

            RadioItem {
                id: rd2
                readonly property string code: "2"
                anchors.verticalCenter: parent.verticalCenter
                text: "程序错误"
                checked: suggeationWin.chosenKind === rd2
                onChosen: suggeationWin.chosenKind = rd2
            }

            RadioItem {
                id: rd3
                readonly property string code: "1"
                anchors.verticalCenter: parent.verticalCenter
                text: "我要吐槽"
                checked: suggeationWin.chosenKind === rd3
                onChosen: suggeationWin.chosenKind = rd3
            }
        }
    }

    FormRow {
        label: "反馈内容： "
        height: 120
        captionHeight: itemheight

        EditFrameMultiline {
            id: questionEdit
            width: 300
            height: parent.height
            hint: "请输入您需要反馈的内容(200字以内)..."
            font_size: 14 * $dpi
            leftdis: 15 * $dpi
            maxnum: 200
        }
    }

    FormRow {
        label: "手机号码： "
        height: itemheight

        FormEdit {
            id: contactEdit
            width: 300
            hint: "请输入您的联系方式"
            font_size: 14 * $dpi
            leftdis: 15 * $dpi
        }
    }
}
