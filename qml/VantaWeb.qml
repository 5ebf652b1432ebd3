import QtQuick 2.15
import QtWebEngine 1.10
import Clipboard 1.0

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
        Qt.openUrlExternally(view().url)
    }

    function clearInfo() {
        console.log("vantaWebview.clearInfo")
        view().profile.clearHttpCache()
    }

    function seturl(weburl) {
        view().url = weburl
    }

    clip: true

    Clipboard {
        id: clipboard
    }

    Loader {
        id: viewLoader
        anchors.fill: parent
        active: false
        sourceComponent: WebEngineView {
            id: vantaWebview

            anchors.fill: parent
            anchors.topMargin: vantaWeb.webMargin
            Component.onCompleted: {
                if (vantaWeb.profile)
                    profile = vantaWeb.profile
            }
            // The invoicing sites open their forms in new windows; they stay
            // in this one.
            onNewViewRequested: request.openIn(vantaWebview)
            onLoadingChanged: {
                if (loadRequest.status !== WebEngineView.LoadStartedStatus)
                    console.log("vantaWebview url:" + loadRequest.url)
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
