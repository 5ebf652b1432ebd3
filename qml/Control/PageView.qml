import QtQuick 2.15
import QtWebEngine 1.10

// A web page inside the program (invoicing, news, help, chat). It shows web
// pages only: no local files, and a link or script that goes to another
// kind of address (file:, javascript:, smb:, an unknown program's scheme)
// is refused here and never handed to the desktop. A page's request for a
// window of its own opens in this view. Its alerts, confirms and prompts
// are asked over the page alone (PageDialog).
WebEngineView {
    id: pageView

    // Where the view is, for the log lines: "vantaWebview url:" and the like.
    property string logLabel: "web view url:"
    // A question of the page is open over it.
    readonly property bool asking: pageQuestion.asking

    // Loads `address` when a view may show it; otherwise false, and the log
    // says why.
    function load(address) {
        if (!urlPolicy.mayLoad(String(address), logLabel))
            return false
        url = address
        return true
    }

    // An open page question is answered No (the window is going).
    function dismissDialog() {
        pageQuestion.reject()
    }

    settings.localContentCanAccessFileUrls: false
    settings.localContentCanAccessRemoteUrls: false
    settings.unknownUrlSchemePolicy: WebEngineSettings.DisallowUnknownUrlSchemes
    settings.pluginsEnabled: false

    onNavigationRequested: {
        if (!urlPolicy.mayLoad(String(request.url), logLabel))
            request.action = WebEngineView.IgnoreRequest
    }
    onNewViewRequested: {
        if (urlPolicy.mayLoad(String(request.requestedUrl), logLabel))
            request.openIn(pageView)
    }
    onJavaScriptDialogRequested: pageQuestion.open(request)
    // What a page writes to its console is the page's own business: a line
    // in the log, never one of the program's warnings.
    onJavaScriptConsoleMessage: console.log(logLabel + " console: " + message)
    onLoadingChanged: {
        if (loadRequest.status !== WebEngineView.LoadStartedStatus)
            console.log(logLabel + loadRequest.url)
    }

    PageDialog {
        id: pageQuestion
        anchors.fill: parent
        z: 100
    }
}
