import QtQuick 2.15
import "../Control"

// The feedback window.
WindowForm {
    id: suggeationWin

    property string phone
    property string tempStr
    property string tempStrType
    property string tempStrQuestion
    property string tempStrContact

    function initsuggeationWin() {
        tempStr = ""
        tempStrType = ""
        tempStrQuestion = ""
        tempStrContact = ""
    }

    function setPhone(_phone) {
        phone = _phone
    }

    titlename: "意见建议"
    width: 520
    height: 420
}
