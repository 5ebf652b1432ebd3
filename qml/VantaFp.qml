import QtQuick 2.15
import QtQuick.Window 2.15
import "./Control"

// The embedded web window: a company's invoicing service, the help pages and
// the assistant chat, under a title bar of its own. Escape stays with the
// page (it closes the site's own menus), not with the window.
//
// A window opened for a company is counted by the tax-code service as one of
// the three invoicing windows that may be open; it gives the company back
// once, however it goes: its close button, the window manager, or the end of
// the program.
Window {
    id: vantaFp

    property string titleStr
    property int titleHeight: 30
    property var webMarginIn: 0
    property string currentTaxCode
    // The address last asked for.
    property url currentUrl
    // The company vantaFunction.addTaxCode counted for this window; empty
    // for the help and chat windows, which count for nothing.
    property string countedTaxCode

    function clearInfo() {
        vantaWebRc.clearInfo()
        visibility = Window.Windowed
    }

    function setCurrentUrl(weburl) {
        currentUrl = weburl
        vantaWebRc.seturl(weburl)
    }

    function setCurrentTitle(taxname, taxcode) {
        titleStr = taxname + " " + taxcode
        currentTaxCode = taxcode
    }

    function setTitleInfo(titleH, titleMg) {
        titleHeight = titleH
        webMarginIn = titleMg
    }

    function setWinSize(iwidth, iheight) {
        width = iwidth
        height = iheight
    }

    // The window may always be maximised; kept for the pages that ask.
    function setNoMax() {
    }

    function releaseTaxCode() {
        if (countedTaxCode === "")
            return
        var taxcode = countedTaxCode
        countedTaxCode = ""
        vantaFunction.removeTaxCode(taxcode)
    }

    title: titleStr
    width: 1024
    height: 670
    flags: Qt.Window | Qt.FramelessWindowHint | Qt.WindowMinimizeButtonHint
    color: "white"
    // Over the main window when it opens, moved down and right by `cascade`
    // steps so that several do not hide each other; then where the user puts it.
    function placeOverOwner(cascade) {
        var step = 30 * cascade
        x = (transientParent ? transientParent.x + (transientParent.width - width) / 2
                             : (Screen.width - width) / 2) + step
        y = (transientParent ? transientParent.y + (transientParent.height - height) / 2
                             : (Screen.height - height) / 2) + step
    }

    Component.onCompleted: placeOverOwner(0)
    onVisibleChanged: {
        if (!visible)
            releaseTaxCode()
    }
    Component.onDestruction: releaseTaxCode()

    DialogHeader {
        id: titleBar
        width: parent.width
        height: vantaFp.titleHeight
        // Above the page, which may reach up under it.
        z: 1
        title: vantaFp.titleStr
        minimizable: true
        maximizable: true
        onCloseClicked: vantaWebRc.clearInfo()
    }

    VantaWeb {
        id: vantaWebRc
        anchors.top: titleBar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        webMargin: vantaFp.webMarginIn
    }

    // The frame of the window on the desktop.
    Rectangle {
        anchors.fill: parent
        z: 2
        color: "transparent"
        border.color: $lineColor
        visible: vantaFp.visibility !== Window.Maximized
    }
}
