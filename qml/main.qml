import QtQuick 2.15
import QtQuick.Window 2.15
import an.utility 1.0
import "./Control"
import "./Control/Dialogs.js" as Dialogs

// The frame of the program: a frameless window with the branded title band,
// the navigation buttons, the sign-in controls, the "more" menu, the tray
// icon, and the centre area into which the pages are loaded. Every other
// window is opened from here, directly or through the pages.
Window {
    id: mainWindow

    property int screenwidth: 48
    property int iconlength: 36
    property var pressedIndex: 0
    property var imageSrc: "images/bt_Login.png"
    property var loginUserNum: "账号登录"
    property int loginwidth: 90
    property bool button_LoginOutStates: false
    property bool button_LoginEnable: true
    property bool wintop: false
    property var winflags: Qt.FramelessWindowHint | Qt.WindowMinimizeButtonHint

    // The user signed out: the windows of that account close.
    signal signedOut()

    // How many invoicing windows have opened: each one opens a step further
    // down and right than the last, in a cycle of four.
    property int invoicingOpened: 0

    // The companies' web profiles, given to their invoicing windows.
    readonly property CompanyProfiles companyProfiles: CompanyProfiles {}

    // A window that outlives the page that asks for it, such as an invoicing
    // window or the company selection: made in this document's context over
    // the main window, it stays when the page is rebuilt and goes with the
    // main window at the end. Freed once closed.
    function createWindow(url, properties) {
        return Dialogs.create(url, mainWindow, properties)
    }

    // Selects the recommended applications in the navigation and shows them
    // in the first page area, where they open on "我的应用".
    function jumpToMoreApp() {
        selectNavigation(recommend)
        pageLoader.source = "qrc:/Page/RecommendApp.qml"
        showPageArea(pageLoader)
    }

    function jumpToHotApp() {
        jumpToMoreApp()
        pageLoader.item.jumpToHotApp()
    }

    function jumpToDownload() {
        jumpToMoreApp()
        pageLoader.item.jumpToDownload()
    }

    function helpEvent() {
        var window = vantaFpWindow.window()
        window.clearInfo()
        window.setCurrentUrl($domainName + "/help/")
        window.setCurrentTitle("使用帮助", "")
        window.setTitleInfo(30, 0)
        window.setWinSize(1024, 670)
        window.setNoMax()
        window.show()
    }

    // The assistant's chat at `url`, in the main window's web window.
    function openAssistant(url) {
        var window = vantaFpWindow.window()
        window.clearInfo()
        window.setCurrentUrl(url)
        window.setCurrentTitle("智能客服", "Tilo")
        window.setTitleInfo(30, -80)
        window.setWinSize(1024, 670)
        window.setNoMax()
        window.show()
    }

    function loginEvent() {
        loginPanelWindow.initWindow()
        loginPanelWindow.show()
    }

    function loginSuccess() {
        loginUserNum = mainFunction.getUserNum()
        loginwidth = 125
        button_LoginOutStates = true
        button_LoginEnable = false
    }

    function loginOut() {
        loginUserNum = "账号登录"
        loginwidth = 90
        imageSrc = "images/bt_Login.png"
        button_LoginOutStates = false
        button_LoginEnable = true
        mainFunction.btnLoginOut()
        signedOut()
    }

    // The clicked navigation button shows its panel, the others none.
    function selectNavigation(button) {
        pressedIndex = button.index
        for (var i = 0; i < funRow.children.length; ++i) {
            var other = funRow.children[i]
            other.setBgVisible(other === button)
        }
    }

    function showPageArea(loader) {
        pageLoader.visible = loader === pageLoader
        pageLoader2.visible = loader === pageLoader2
        pageLoader3.visible = loader === pageLoader3
    }

    // The menu entry's text and icon follow `wintop`.
    function toggleStayOnTop() {
        if (!wintop) {
            mainWindow.flags = winflags | Qt.WindowStaysOnTopHint
            wintop = true
        } else {
            mainWindow.flags = winflags
            wintop = false
        }
    }

    title: "Plit云台"
    width: 1020
    height: 610
    // Told to the window manager as its only size (WindowHints).
    readonly property bool fixedSize: true
    x: (Screen.width - width) / 2
    y: (Screen.height - height) / 2
    color: "transparent"
    visible: true
    flags: winflags

    // The keys rest on the chosen navigation button when nothing else has
    // them: at the start, and when the control that had them hides or is
    // disabled (the sign-in button once signed in).
    onActiveChanged: Dialogs.keepFocus(mainWindow, home)
    onActiveFocusItemChanged: Dialogs.keepFocus(mainWindow, home)

    DragArea {
        anchors.fill: parent
    }

    // The card with its shadow and the title band's decoration. The picture
    // keeps the card's plain middle squeezed into ten rows, stretched here.
    BorderImage {
        anchors.fill: parent
        source: "images/背景.png"
        border.top: 130
        border.bottom: 20
    }

    Item {
        id: top
        x: 10
        y: 10
        width: 1000
        height: 115

        TitleBar {
            anchors.fill: parent
            radius: 4
            // The band of the background shows through a little.
            opacity: 0.6
        }

        Item {
            id: mainapplogo
            width: 238
            height: parent.height

            Item {
                x: 28
                anchors.verticalCenter: parent.verticalCenter
                width: 167
                height: 34

                Image {
                    anchors.fill: parent
                    source: "images/log_new.png"
                    Accessible.role: Accessible.Graphic
                    Accessible.name: "Plit云台"
                }

                UiText {
                    id: logtext
                    color: "white"
                    text: ""
                }

                UiText {
                    id: logeng
                    color: "white"
                    text: ""
                }
            }
        }

        Item {
            id: funArea
            anchors.left: mainapplogo.right
            width: 550
            height: parent.height

            Row {
                id: funRow
                height: parent.height

                MenuButton {
                    id: home
                    index: 0
                    currentindex: pressedIndex
                    name: "Plit首页"
                    image: "images/icon.png"
                    cellSize: screenwidth
                    iconSize: iconlength
                    onClick: {
                        selectNavigation(home)
                        showPageArea(pageLoader)
                        pageLoader.source = ""
                        pageLoader.source = "qrc:/Page/PosterPage.qml"
                    }
                }

                MenuButton {
                    id: taxKnow
                    index: 1
                    currentindex: pressedIndex
                    name: "新闻公告"
                    image: "images/icon02.png"
                    cellSize: screenwidth
                    iconSize: iconlength
                    onClick: {
                        selectNavigation(taxKnow)
                        showPageArea(pageLoader2)
                        pageLoader2.source = "qrc:/Page/TaxKnowledge.qml"
                        pageLoader2.item.clearCache()
                    }
                }

                MenuButton {
                    id: recommend
                    index: 2
                    currentindex: pressedIndex
                    name: "推荐应用"
                    image: "images/icon05.png"
                    cellSize: screenwidth
                    iconSize: iconlength
                    onClick: {
                        selectNavigation(recommend)
                        showPageArea(pageLoader3)
                        pageLoader3.source = "qrc:/Page/RecommendApp.qml"
                    }
                }

                MenuButton {
                    id: online
                    index: 3
                    currentindex: pressedIndex
                    name: "在线服务"
                    image: "images/icon04.png"
                    cellSize: screenwidth
                    iconSize: iconlength
                    onClick: {
                        selectNavigation(online)
                        if (mainFunction.checkRessaStatus()) {
                            console.log("checkRessaStatus...")
                            mainFunction.btnOpenApp("Ressa")
                            return
                        }
                        openAssistant(mainFunction.getChatUrl())
                    }

                    WebWindowLoader {
                        id: vantaFpWindow
                    }
                }
            }
        }

        Item {
            id: login
            anchors.right: parent.right
            width: 170
            height: parent.height

            Row {
                id: windowControl
                anchors.right: parent.right
                anchors.rightMargin: 4
                y: 4
                width: 102
                height: 24
                spacing: 3
                // In reading order, left to right: 更多, 最小化, 关闭.

                ImageButton {
                    id: btnMore
                    width: 32
                    height: 24
                    text: "更多"
                    source: "images/更多.png"
                    onClicked: {
                        moreMenuLoader.active = true
                        moreMenuLoader.item.open()
                    }

                    // The menu and its controls load on the first click: the
                    // start does not wait for them.
                    Loader {
                        id: moreMenuLoader
                        anchors.fill: parent
                        active: false
                        source: "qrc:/MoreMenu.qml"
                    }
                }

                ImageButton {
                    id: button_min
                    width: 32
                    height: 24
                    text: "最小化"
                    source: "images/icon_minimize.png"
                    onClicked: {
                        console.log("min...")
                        mainWindow.showMinimized()
                    }
                }

                ImageButton {
                    id: button_close
                    width: 32
                    height: 24
                    text: "关闭"
                    source: "images/icon_Close.png"
                    hoverColor: "#e64340"
                    onClicked: exitWindow.show()
                }
            }

            Row {
                anchors.right: parent.right
                anchors.rightMargin: 6
                y: 48
                spacing: 5

                Item {
                    id: loginBtn
                    width: loginwidth
                    height: 24

                    BorderImage {
                        anchors.fill: parent
                        source: imageSrc
                        border.left: 12
                        border.right: 12
                    }

                    LinkButton {
                        id: button_Login
                        anchors.fill: parent
                        anchors.leftMargin: 8
                        anchors.rightMargin: 8
                        enabled: button_LoginEnable
                        text: loginUserNum
                        color: $underTone
                        font.pixelSize: 13
                        horizontalAlignment: Text.AlignHCenter
                        elide: Text.ElideMiddle
                        onClicked: {
                            console.log("login...")
                            loginPanelWindow.initWindow()
                            loginPanelWindow.show()
                        }
                    }
                }

                LinkButton {
                    id: button_LoginOut
                    width: 40
                    height: 24
                    visible: button_LoginOutStates
                    text: "退出"
                    color: "white"
                    font.pixelSize: 13
                    horizontalAlignment: Text.AlignHCenter
                    onClicked: {
                        console.log("loginOut...")
                        mainWindow.loginOut()
                    }
                }
            }
        }
    }

    Item {
        id: centerView
        x: 10
        y: top.y + top.height
        width: 1000
        height: 475

        Loader {
            id: pageLoader
            anchors.fill: parent
            visible: true
            source: ""
        }

        Loader {
            id: pageLoader2
            anchors.fill: parent
            visible: false
            source: ""
        }

        Loader {
            id: pageLoader3
            anchors.fill: parent
            visible: false
            source: ""
        }

        Component.onCompleted: {
            home.setBgVisible(true)
            taxKnow.setBgVisible(false)
            recommend.setBgVisible(false)
            online.setBgVisible(false)
            pageLoader.source = "qrc:/Page/PosterPage.qml"
            // Once the window is up: the platform may be slow to answer.
            silentSignIn.start()
            timer.setTimeout(function () {
                if (posterFunction.getSystemNoticeCount(8, 5) > 0)
                    postWindow.showNotices()
                posterFunction.buffNoticePolicy()
            }, 5000)
        }
    }

    Timer {
        id: silentSignIn
        interval: 0
        onTriggered: loginPanelWindow.autoLogon()
    }

    // The windows that wait hidden until they are first asked for.

    // The sign-in window of the sign-in button. The silent sign-in shows
    // nothing, so it does not make the window.
    LazyWindow {
        id: loginPanelWindow
        source: "qrc:/LoginPanelEx.qml"

        function initWindow() {
            window().initWindow()
        }

        // At start, before anything has made the window. The result comes
        // when the keyring has answered (onAutoLoginFinished below): the
        // window stays usable while the desktop asks to unlock it.
        function autoLogon() {
            console.log("loginPanel autoLogon")
            mainFunction.btnAutoLogin()
        }
    }

    // The completion of an account, shown by both sign-in tabs.
    LazyWindow {
        id: improveRegWindow
        source: "qrc:/ImproveReg.qml"

        function initWindow() {
            window().initWindow()
        }
    }

    // The system-notice pop-up, made when there are notices to show.
    LazyWindow {
        id: postWindow
        source: "qrc:/Post.qml"

        function showNotices() {
            window().showNotices()
        }
    }

    LazyWindow {
        id: exitWindow
        source: "qrc:/ExitPanel.qml"
    }

    LazyWindow {
        id: msgdialog
        sourceComponent: MsgDialog {
            width: 500
            height: 400
            visible: false
        }
    }

    LazyWindow {
        id: suggestionWindow
        source: "qrc:/More/Suggestion.qml"
    }

    LazyWindow {
        id: aboutUsWindow
        source: "qrc:/More/AboutUs.qml"
    }

    // Runs a function once, some time from now.
    Timer {
        id: timer

        property var pending: null

        function setTimeout(cb, delayTime) {
            timer.interval = delayTime
            timer.repeat = false
            pending = cb
            timer.triggered.connect(cb)
            timer.triggered.connect(release)
            timer.start()
        }

        function release() {
            timer.triggered.disconnect(pending)
            timer.triggered.disconnect(release)
            pending = null
        }
    }

    Connections {
        target: mainFunction
        // An installer that cannot run on this machine says why.
        function onInstallerRefused(message) {
            Dialogs.warn(mainWindow, message)
        }
        // The silent sign-in of the start, once the keyring gave the password.
        function onAutoLoginFinished(result) {
            if (result === "OK")
                mainWindow.loginSuccess()
        }
    }

    // The keyring refused the remembered password (its prompt was cancelled,
    // or it stays locked): the user hears it once.
    Connections {
        target: configFucntion
        function onPasswordNotSaved() {
            Dialogs.warn(mainWindow, "系统密钥环没有保存密码：下次登录需要重新输入密码，自动登录已关闭。")
        }
    }

    SystemTrayIcon {
        id: systemTray
        icon: "qrc:/images/app.ico"
        toolTip: "Plit云台"
        visible: true
        menu: MyMenu {
            id: menu

            MyAction {
                text: "退出"
                icon: "qrc:/images/app.ico"
                onTriggered: Qt.quit()
            }
        }
        // One click brings the window back from any state: minimised or
        // hidden, it shows normal, in front and active.
        onTrigger: systemTray.bringBack(mainWindow)
    }
}
