import QtQuick 2.15

// Asks the platform to send an SMS code to `btnPhoneStr`, then counts down
// 60 seconds ("59S" … "0S") before it can be pressed again.
Rectangle {
    id: root

    property string btnStr: ""
    property string btnImagSrc: "../images/phone_bt.png"
    property string btnPhoneStr: ""

    implicitWidth: 94
    implicitHeight: 36
    radius: 2
    color: enabled ? $btnColor : Qt.lighter($btnColor, 1.05)

    QtObject {
        id: attrs
        property int count
    }

    Timer {
        id: countDown
        objectName: "countDown"
        interval: 1000
        repeat: true
        triggeredOnStart: true
        onTriggered: {
            attrs.count -= 1
            if (attrs.count >= 0) {
                countShow.text = attrs.count + "S"
                root.enabled = false
            } else {
                countDown.stop()
                countShow.text = root.btnStr
                root.enabled = true
            }
        }
    }

    UiText {
        id: countShow
        anchors.centerIn: parent
        text: root.btnStr
        color: root.enabled ? $mainTone : $fontTipColor
        font.pixelSize: 13
        Accessible.ignored: true
    }

    ButtonBase {
        id: startBtn
        anchors.fill: parent
        text: countShow.text
        onClicked: {
            attrs.count = 60
            // The keyboard goes on to the next input of the form rather than
            // nowhere when the button closes.
            if (startBtn.activeFocus)
                startBtn.nextItemInFocusChain(true).forceActiveFocus()
            // Closed at once, so that a second press cannot slip in while the
            // request is on its way.
            root.enabled = false
            countDown.start()
            mainFunction.btnDynamic(root.btnPhoneStr)
        }
    }

    Component.onCompleted: attrs.count = 60
}
