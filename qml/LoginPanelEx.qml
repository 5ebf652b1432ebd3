import QtQuick 2.15
import "./Control"
import "./Login"

// The sign-in window: a picture at the left, and at the right two tabs, one
// for the password and one for an SMS code.
WindowForm {
    id: loginPanel

    property string tempStr

    function initWindow() {
        console.log("loginPanel initWindow")
        tempStr = ""
        password.initWindow()
        mobile.initWindow()
    }

    // The silent sign-in of a start with saved credentials: nothing shows
    // unless it succeeds, which the main window hears when the keyring has
    // answered.
    function autoLogon() {
        console.log("loginPanel autoLogon")
        mainFunction.btnAutoLogin()
    }

    function focusCurrentTab() {
        (mode.currentIndex === 0 ? password : mobile).focusInput()
    }

    titlename: "登录"
    width: 590
    height: 360
    onVisibleChanged: {
        if (visible)
            focusCurrentTab()
    }

    Image {
        x: 15
        y: 25
        width: 290
        height: 260
        source: "images/pic1.png"
    }

    Item {
        x: 320
        y: 20
        width: 240
        height: parent.height - y

        // The two ways to sign in, one tab each.
        Item {
            id: mode

            property int currentIndex: 0

            width: parent.width
            height: 130
            onCurrentIndexChanged: loginPanel.focusCurrentTab()

            Row {
                id: tabBar

                TabHeader {
                    width: 120
                    text: "密码登录"
                    checked: mode.currentIndex === 0
                    onClicked: mode.currentIndex = 0
                }

                TabHeader {
                    width: 120
                    text: "手机登录"
                    checked: mode.currentIndex === 1
                    onClicked: mode.currentIndex = 1
                }
            }

            PassWordLogin {
                id: password
                anchors.top: tabBar.bottom
                width: parent.width
                visible: mode.currentIndex === 0
            }

            MobileLogin {
                id: mobile
                anchors.top: tabBar.bottom
                width: parent.width
                visible: mode.currentIndex === 1
            }
        }
    }
}
