import QtQuick 2.15
import QtWebEngine 1.10

// "新闻公告": the platform's news page.
Item {
    id: poster

    function clearCache() {
        webview.profile.clearHttpCache()
    }

    width: 1000
    height: 475

    WebEngineView {
        id: webview
        anchors.fill: parent
        url: $domainName + "/api/ArticleApi/mini"
        // Articles that ask for a window of their own open here.
        onNewViewRequested: request.openIn(webview)
        onLoadingChanged: {
            if (loadRequest.status !== WebEngineView.LoadStartedStatus)
                console.log("Tax webviewurl: " + loadRequest.url)
        }
    }
}
