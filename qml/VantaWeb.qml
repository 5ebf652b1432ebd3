import QtQuick 2.15
import QtWebEngine 1.10
import Clipboard 1.0
import "./Control"

// The web page of an embedded web window. The view, and with it the web
// engine, is made when the page is first asked for: the main window keeps a
// web window waiting from the start, and most runs never open one.
Item {
    id: vantaWeb

    // Where the page starts below the top: a negative margin hides the
    // site's own header under the window's title bar.
    property var webMargin: 0
    // The web profile of the page (a WebEngineProfile), or null for the
    // program's default one. Taken when the view is made.
    property QtObject profile: null
    readonly property bool loading: viewLoader.item !== null && viewLoader.item.loading
    // The page's own controls, where the keys go in its window.
    readonly property Item page: viewLoader.item
    // Whether the page asks the person something (PageDialog) just now.
    readonly property bool asking: viewLoader.item !== null && viewLoader.item.asking

    // The page agreed to close (requestClose): it has no unsaved work, or
    // the person confirmed leaving it.
    signal closeAccepted()

    function view() {
        viewLoader.active = true
        return viewLoader.item
    }

    function back() {
        view().goBack()
    }

    function copy() {
        clipboard.setText(view().url)
    }

    function refresh() {
        view().reload()
    }

    function open() {
        urlPolicy.openExternally(view().url)
    }

    function clearInfo() {
        console.log("vantaWebview.clearInfo")
        view().dismissDialog()
        view().profile.clearHttpCache()
    }

    // Asks the page whether it may close, as a browser asks before it
    // closes a tab: a page with unsaved work asks the person through its
    // beforeunload question (PageDialog); closeAccepted() follows a yes.
    function requestClose() {
        var page = viewLoader.item
        if (!page || page.url.toString() === "") {
            closeAccepted()
            return
        }
        page.closeAsked = true
        page.triggerWebAction(WebEngineView.RequestClose)
    }

    // False, and nothing loaded, for an address that is no web page.
    function seturl(weburl) {
        return view().load(weburl)
    }

    clip: true

    Clipboard {
        id: clipboard
    }

    Loader {
        id: viewLoader
        anchors.fill: parent
        active: false
        // The invoicing sites open their forms in new windows; they stay in
        // this one.
        sourceComponent: PageView {
            anchors.fill: parent
            anchors.topMargin: vantaWeb.webMargin
            logLabel: "vantaWebview url:"
            // Only a close the window asked for ends it, not a page's script.
            property bool closeAsked: false
            onWindowCloseRequested: {
                if (closeAsked) {
                    closeAsked = false
                    vantaWeb.closeAccepted()
                }
            }
            Component.onCompleted: {
                if (vantaWeb.profile)
                    profile = vantaWeb.profile
            }
        }
    }

    // How far the page has come, while it loads.
    Rectangle {
        width: viewLoader.item ? parent.width * viewLoader.item.loadProgress / 100 : 0
        height: 2
        color: $mainTone
        visible: vantaWeb.loading
    }
}
