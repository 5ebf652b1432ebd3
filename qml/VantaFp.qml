import QtQuick 2.15
import QtQuick.Window 2.15
import "./Control"

// The embedded web window of the invoicing service, the help pages and the
// assistant chat.
DialogWindow {
    id: vantaFp

    property string titleStr
    property int titleHeight: 30
    property var webMarginIn: 0
    property string currentTaxCode
    property url currentUrl

    function clearInfo() {
        visibility = Window.Windowed
    }

    function setCurrentUrl(weburl) {
        currentUrl = weburl
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

    function setNoMax() {
    }

    title: titleStr
    headerTitle: titleStr
    header.minimizable: true
    width: 1024
    height: 670
}
