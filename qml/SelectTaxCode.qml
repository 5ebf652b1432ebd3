import QtQuick 2.15
import "./Control"
import "./Control/Dialogs.js" as Dialogs
import "./Control/Invoicing.js" as Invoicing

// "选择税号": the companies of the signed-in user, a page at a time, searched
// by name or tax code on the platform; the company clicked opens its
// invoicing window. Companies whose window is open are not offered again.
DialogWindow {
    id: selectTaxCode

    property string phone
    property var vantamodel: []
    property int currentPage: 1
    property int totalPage: 1
    // The search the pages belong to; empty for the companies of the sign-in.
    property string keyword

    function setPhone(_phone) {
        phone = _phone
    }

    function initSelectTaxCode() {
        keyword = ""
        vantamodel = vantaFunction.getTaxCodeFromPhoneNo(phone)
        totalPage = vantaFunction.getTaxCodeTotalCount()
        currentPage = 1
    }

    // The companies of `list` whose window is not open.
    function notOpen(list) {
        return list.filter(function (company) {
            return !vantaFunction.existTaxCode(company.taxcode)
        })
    }

    function search() {
        busy.running = true
        if (searchEdit.text === "") {
            initSelectTaxCode()
        } else {
            keyword = searchEdit.text
            vantamodel = notOpen(vantaFunction.getTaxCodeFromPage(phone, 1, keyword))
            totalPage = vantaFunction.getSearchTaxCodeTotalCount()
            currentPage = 1
        }
        busy.running = false
    }

    function turnTo(page) {
        if (page < 1 || page > totalPage)
            return
        busy.running = true
        currentPage = page
        console.log("currentPage: " + currentPage + " totalPage: " + totalPage)
        vantamodel = notOpen(vantaFunction.getTaxCodeFromPage(phone, currentPage, keyword))
        busy.running = false
    }

    function choose(company) {
        console.log("item click.")
        var window = Invoicing.openCompany(selectTaxCode, company)
        if (!window)
            return
        // The company's window stays in front with the keys, not the main
        // window this selection was opened over.
        returnsFocus = false
        close()
        window.raise()
        Dialogs.activate(window)
    }

    title: "选择税号"
    headerTitle: "Plit云台·选择企业"
    flags: Qt.Window | Qt.FramelessWindowHint
    modality: Qt.ApplicationModal
    width: 520 + chromeWidth
    height: 390 + chromeHeight
    initialFocus: searchEdit.input

    Row {
        id: searchRow
        x: 20
        y: 16
        spacing: 10

        EditFrame {
            id: searchEdit
            width: 380
            height: 34
            font_size: 14
            leftdis: 10
            maxnum: 100
            hint: "请输入税号或者名称进行查询"
            onAccepted: search()
        }

        ActionButton {
            width: 90
            height: 34
            text: "搜索"
            onClicked: search()
        }
    }

    Rectangle {
        id: listFrame
        x: 20
        anchors.top: searchRow.bottom
        anchors.topMargin: 12
        width: parent.width - 2 * x
        height: 5 * 44 + 2
        border.color: $lineColor

        ListView {
            id: left_list
            anchors.fill: parent
            anchors.margins: 1
            clip: true
            model: selectTaxCode.vantamodel
            boundsBehavior: Flickable.StopAtBounds
            Accessible.role: Accessible.List
            Accessible.name: "企业列表"

            delegate: CompanyRow {
                width: left_list.width
                company: modelData
                onClicked: choose(modelData)
            }
        }

        UiText {
            anchors.centerIn: parent
            text: "没有可打开的企业"
            color: $fontTipColor
            visible: left_list.count === 0 && !busy.running
        }

        BusyMark {
            id: busy
            anchors.centerIn: parent
        }
    }

    Pager {
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 18
        currentPage: selectTaxCode.currentPage
        totalPage: selectTaxCode.totalPage
        onTurnTo: selectTaxCode.turnTo(page)
    }
}
