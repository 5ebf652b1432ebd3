import QtQuick 2.15
import QtQuick.Window 2.15
import "./Control"
import "./Control/Dialogs.js" as Dialogs

// The main window's "more" menu, laid over its "更多" button.
Item {
    function open() {
        menuMore.opener = Window.activeFocusItem
        menuMore.open()
    }

    anchors.fill: parent

    PopupMenu {
        id: menuMore

        title: "更多"

        x: parent.width - width
        y: parent.height + 2

        MenuEntry {
            id: winTop
            text: wintop ? "取消置顶" : "置顶窗口"
            icon.source: wintop ? "/images/取消置顶.png" : "/images/置顶.png"
            onTriggered: toggleStayOnTop()
        }

        MenuEntry {
            text: "问题反馈"
            icon.source: "images/问题反馈.png"
            onTriggered: suggestionWindow.show()
        }

        MenuEntry {
            text: "使用帮助"
            icon.source: "images/使用帮助.png"
            onTriggered: helpEvent()
        }

        MenuEntry {
            text: "关于我们"
            icon.source: "images/关于我们.png"
            onTriggered: aboutUsWindow.show()
        }

        MenuEntry {
            text: "系统设置"
            icon.source: "qrc:/images/设置.png"
            onTriggered: Dialogs.create("qrc:/ConfigSetting.qml", mainWindow).show()
        }
    }
}
