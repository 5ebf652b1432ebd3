import QtQuick 2.15

// "上一页" and "下一页" under a paged list, with the page it shows of how
// many. The list turns the page itself on `turnTo`; a button leads nowhere
// (and is grey) on the first or last page, also with a single page.
Row {
    id: pager

    property int currentPage: 1
    property int totalPage: 1
    readonly property alias prevBtn: prevBtn
    readonly property alias nextBtn: nextBtn

    signal turnTo(int page)

    spacing: 12

    UiText {
        anchors.verticalCenter: parent.verticalCenter
        text: pager.currentPage + " / " + Math.max(pager.totalPage, 1)
        color: $fontColor6
        font.pixelSize: 13
    }

    PagerButton {
        id: prevBtn
        text: "上一页"
        enabled: pager.currentPage > 1
        onClicked: pager.turnTo(pager.currentPage - 1)
    }

    PagerButton {
        id: nextBtn
        text: "下一页"
        enabled: pager.currentPage < pager.totalPage
        onClicked: pager.turnTo(pager.currentPage + 1)
    }
}
