import QtQuick 2.15

// The recommended applications, on three tabs.
Item {
    id: recommendApp

    property int tabWidth: 120
    property int tabHeight: 50

    function jumpToMyApp() {
    }

    function jumpToHotApp() {
    }

    function jumpToDownload() {
    }

    function refreshMyapppageLoader() {
    }

    width: 1000
    height: 475
}
