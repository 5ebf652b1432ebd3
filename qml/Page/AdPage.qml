import QtQuick 2.15
import "../Control"

// The welcome panel of the home page.
Item {
    id: poster

    width: 480
    height: 435

    Image {
        id: picture
        width: parent.width
        height: 220
        source: "qrc:/images/01.jpg"
        fillMode: Image.PreserveAspectCrop
        Accessible.role: Accessible.Graphic
        Accessible.name: "Plit云台"
    }

    UiText {
        id: heading
        anchors.top: picture.bottom
        anchors.topMargin: 18
        text: "欢迎来到Plit云台"
        color: $fontColor3
        font.pixelSize: 20
        font.bold: true
        Accessible.role: Accessible.Heading
    }

    UiText {
        anchors.top: heading.bottom
        anchors.topMargin: 10
        width: parent.width
        text: "Plit云台把企业日常用到的财税工具放在一起：一键打开本机安装的开票与财税软件，"
              + "登录后为名下的每家企业打开网上开票服务，随时查看公司新闻、行业动态与系统公告，"
              + "并在推荐应用中下载更多实用软件。"
        color: $fontColor6
        font.pixelSize: 13
        lineHeight: 1.4
        wrapMode: Text.Wrap
    }
}
