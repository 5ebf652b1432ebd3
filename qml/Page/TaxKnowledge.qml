import QtQuick 2.15
import "../Control"

// "新闻公告": the platform's news page.
Item {
    id: poster

    function clearCache() {
        webview.profile.clearHttpCache()
    }

    width: 1000
    height: 475

    // Articles that ask for a window of their own open here.
    PageView {
        id: webview
        anchors.fill: parent
        logLabel: "Tax webviewurl: "
        Component.onCompleted: load($domainName + "/api/ArticleApi/mini")
    }
}
