import QtQuick 2.15
import QtQuick.Window 2.15
import "./Control"

// The system-notice pop-up in the bottom-right corner of the screen: one
// notice at a time, the arrows to browse them, "查看详情" to read it in the
// browser.
DialogWindow {
    id: postWindow

    property var postModel: []
    property int postModelCount
    property int indexinfo: 0
    readonly property var currentNotice: postModelCount > 0 ? postModel[indexinfo] : null

    // It shows by itself: the window the user is in keeps the keys. Kept
    // over the other windows: a window manager that gives a new window no keys
    // (ukwm, metacity's kin) would otherwise put it under the one that has them,
    // the main window's card hiding most of it.
    flags: Qt.FramelessWindowHint | Qt.Window | Qt.WindowDoesNotAcceptFocus | Qt.WindowStaysOnTopHint
    returnsFocus: false
    // A pop-up of the main window's, not a window of its own in the taskbar
    // (WindowHints).
    readonly property bool skipTaskbar: true

    // Fetches the notices and shows the pop-up when there is one to show.
    // The count comes by a request of its own, so it may disagree with the
    // list: the pop-up never goes beyond the notices it holds.
    function showNotices() {
        var notices = posterFunction.getSystemNotice(8, 5)
        var count = posterFunction.getSystemNoticeCount(8, 5)
        postModelCount = 0
        postModel = notices
        indexinfo = 0
        postModelCount = Math.max(0, Math.min(count, notices.length))
        if (postModelCount > 0)
            show()
        else
            close()
    }

    function previous() {
        if (indexinfo > 0)
            --indexinfo
    }

    function next() {
        if (indexinfo < postModelCount - 1)
            ++indexinfo
    }

    title: "Plit通知"
    headerTitle: "Plit云台·Plit通知"
    width: 320
    height: 190
    placeOnOpen: false
    x: Screen.desktopAvailableWidth - width
    y: Screen.desktopAvailableHeight - height

    ImageButton {
        id: button_prev
        x: 10
        anchors.verticalCenter: postText.verticalCenter
        width: 12
        height: 32
        text: "上一条"
        source: "qrc:/images/left.png"
        color: "#e6e7e8"
        hoverColor: $mainTone
        visible: postWindow.postModelCount > 1
        onClicked: postWindow.previous()
    }

    UiText {
        id: postText
        x: 34
        y: 14
        width: parent.width - 2 * x
        height: 76
        text: postWindow.currentNotice ? postWindow.currentNotice.summary : ""
        color: $fontColor6
        lineHeight: 1.2
        wrapMode: Text.Wrap
        elide: Text.ElideRight
    }

    ImageButton {
        id: button_next
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: postText.verticalCenter
        width: 12
        height: 32
        text: "下一条"
        source: "qrc:/images/right.png"
        color: "#e6e7e8"
        hoverColor: $mainTone
        visible: postWindow.postModelCount > 1
        onClicked: postWindow.next()
    }

    UiText {
        id: position
        anchors.left: parent.left
        anchors.leftMargin: 20
        anchors.verticalCenter: button_open.verticalCenter
        text: (postWindow.indexinfo + 1) + " / " + postWindow.postModelCount
        color: $fontTipColor
        font.pixelSize: 12
        visible: postWindow.postModelCount > 1
    }

    ActionButton {
        id: button_open
        anchors.right: parent.right
        anchors.rightMargin: 20
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        width: 80
        height: 28
        fontSize: 13
        text: "查看详情"
        enabled: postWindow.currentNotice !== null && postWindow.currentNotice.url !== ""
        onClicked: urlPolicy.openExternally(postWindow.currentNotice.url)
    }
}
