import QtQuick 2.15
import "../Control"

// The recommended applications, on three tabs: the programs configured here
// ("我的应用"), the known ones not installed here ("热门应用") and the
// download centre ("下载中心"). It opens on "我的应用".
Rectangle {
    id: recommendApp

    property int tabWidth: 120
    property int tabHeight: 50

    // Shows the tab of `button` and its page, and no other.
    function choose(button) {
        var tabs = [myappButton, hotappButton, downloadButton]
        var pages = [myapppageLoader, hotapppageLoader, downloadpageLoader]
        for (var i = 0; i < tabs.length; ++i) {
            tabs[i].state = tabs[i] === button ? "clicked" : ""
            pages[i].visible = tabs[i] === button
        }
    }

    function jumpToMyApp() {
        choose(myappButton)
    }

    function jumpToHotApp() {
        choose(hotappButton)
    }

    function jumpToDownload() {
        choose(downloadButton)
    }

    // After a program was added: "我的应用" reads the catalogue again.
    function refreshMyapppageLoader() {
        myapppageLoader.source = ""
        myapppageLoader.source = "qrc:/AppPage/MyAppPage.qml"
    }

    width: 1000
    height: 475
    color: "white"

    Rectangle {
        id: tabStrip
        width: parent.width
        height: recommendApp.tabHeight
        color: "#f4f7fb"

        Row {
            PageTab {
                id: myappButton
                width: recommendApp.tabWidth
                height: recommendApp.tabHeight
                text: "我的应用"
                state: "clicked"
                onClicked: jumpToMyApp()
            }

            PageTab {
                id: hotappButton
                width: recommendApp.tabWidth
                height: recommendApp.tabHeight
                text: "热门应用"
                onClicked: jumpToHotApp()
            }

            PageTab {
                id: downloadButton
                width: recommendApp.tabWidth
                height: recommendApp.tabHeight
                text: "下载中心"
                onClicked: jumpToDownload()
            }
        }

        // The rest of the strip.
        Item {
            id: blockButton
            anchors.right: parent.right
            width: parent.width - 3 * recommendApp.tabWidth
            height: parent.height
        }

        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: $lineColor
        }
    }

    Item {
        id: pageArea
        anchors.top: tabStrip.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom

        Loader {
            id: myapppageLoader
            anchors.fill: parent
            visible: true
            source: "qrc:/AppPage/MyAppPage.qml"
        }

        Loader {
            id: hotapppageLoader
            anchors.fill: parent
            visible: false
            source: "qrc:/AppPage/HotAppPage.qml"
        }

        Loader {
            id: downloadpageLoader
            anchors.fill: parent
            visible: false
            source: "qrc:/AppPage/DownloadPage.qml"
        }
    }
}
