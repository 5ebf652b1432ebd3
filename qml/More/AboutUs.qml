import QtQuick 2.15
import "../Control"

// The about window: the program's version, the date of the last update of
// its data, the service hotline and the copyright line of this installation.
// They are read when the window opens, not when the program starts.
WindowForm {
    id: aboutUsWin

    property string version
    property string databaseDate
    property string hotline
    property string copyright

    titlename: "关于我们"
    width: 496 * $dpi
    height: 356 * $dpi
    minimumWidth: 496 * $dpi
    minimumHeight: 356 * $dpi
    onVisibleChanged: {
        if (!visible)
            return
        version = versionInfo.ver()
        databaseDate = datebaseFunction.getdateDatabaseDate()
        hotline = versionInfo.serviceHotline()
        copyright = versionInfo.copyrightLine()
    }

    Item {
        anchors.centerIn: parent
        width: 420
        height: 240

        Image {
            id: logo
            y: 24
            width: 96
            height: 96
            source: "qrc:/images/guanyuwomen.png"
            Accessible.role: Accessible.Graphic
            Accessible.name: "Plit云台"
        }

        Column {
            x: logo.width + 36
            anchors.verticalCenter: logo.verticalCenter
            spacing: 14

            MyText {
                width: 280
                leftinfo: "主程序版本："
                contentinfo: aboutUsWin.version
            }

            MyText {
                width: 280
                leftinfo: "数据库更新时间： "
                contentinfo: aboutUsWin.databaseDate
            }

            MyText {
                width: 280
                leftinfo: "服务热线："
                contentinfo: aboutUsWin.hotline
            }
        }

        UiText {
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 16
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: aboutUsWin.copyright
            color: "#b6b6b6"
            font.pixelSize: 12
            wrapMode: Text.Wrap
        }
    }
}
