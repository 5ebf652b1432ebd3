import QtQuick 2.15
import QtQuick.Window 2.15
import QtWebEngine 1.10
import "./Control"
import "./Control/Dialogs.js" as Dialogs

// The embedded web window: a company's invoicing service, the help pages and
// the assistant chat, under a title bar of its own. Escape or Ctrl+W closes
// the window once the page agrees (a page with unsaved work asks); while
// the page asks something, Escape answers it. The keys start in the page.
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
    // A company's window has the company's own web session: its persistent
    // profile, taken from `profiles` (the main window's CompanyProfiles) with
    // the window and released when it goes; null for the help and chat
    // windows.
    property QtObject profiles: null
    property QtObject companyProfile: null

    readonly property string refusedText: "该地址不是网页地址（http或https），已拒绝打开。"

    function clearInfo() {
        vantaWebRc.clearInfo()
        visibility = Window.Windowed
    }

    // An address that is no web page is not loaded: the user is told, and
    // the log says which it was.
    function setCurrentUrl(weburl) {
        currentUrl = weburl
        if (!vantaWebRc.seturl(weburl)) {
            Dialogs.warn(vantaFp, refusedText)
            return false
        }
        return true
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
        Dialogs.placeOver(vantaFp, -1, 30 * cascade)
    }

    // The control that opened the window, which gets the keys back.
    property Item opener: null

    onVisibleChanged: {
        if (visible) {
            opener = Dialogs.openerOf(vantaFp)
            if (vantaWebRc.page)
                vantaWebRc.page.forceActiveFocus()
        } else {
            releaseTaxCode()
            Dialogs.giveBack(vantaFp, opener)
        }
    }
    onActiveChanged: Dialogs.keepFocus(vantaFp, vantaWebRc.page)
    onActiveFocusItemChanged: Dialogs.keepFocus(vantaFp, vantaWebRc.page)
    Component.onCompleted: {
        placeOverOwner(0)
        if (countedTaxCode !== "" && profiles)
            companyProfile = profiles.take(countedTaxCode)
    }
    Component.onDestruction: {
        releaseTaxCode()
        // Gone already when the whole interface ends.
        if (companyProfile && profiles)
            profiles.release(companyProfile)
    }

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

    Shortcut {
        sequences: ["Esc", "Ctrl+W"]
        enabled: !vantaWebRc.asking
        onActivated: vantaWebRc.requestClose()
    }

    VantaWeb {
        id: vantaWebRc
        anchors.top: titleBar.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        webMargin: vantaFp.webMarginIn
        profile: vantaFp.companyProfile
        onCloseAccepted: {
            clearInfo()
            vantaFp.close()
        }
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
