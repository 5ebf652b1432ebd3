import QtQuick 2.15

// One article of a news list: its title on one line, cut at the right. A
// click opens the article in the system's browser; a screen reader reads the
// title.
ButtonBase {
    id: row

    // The article (a PosterModel).
    property var article

    text: article ? article.title : ""
    implicitWidth: 200
    implicitHeight: 28
    Accessible.role: Accessible.Link
    onClicked: urlPolicy.openExternally(article.url)

    Rectangle {
        anchors.verticalCenter: parent.verticalCenter
        width: 4
        height: 4
        radius: 2
        color: row.hovered ? $mainTone : $fontTipColor
    }

    UiText {
        anchors.fill: parent
        anchors.leftMargin: 10
        verticalAlignment: Text.AlignVCenter
        text: row.text
        color: row.hovered ? $mainTone : $fontColor3
        font.pixelSize: 13
        font.underline: row.hovered
        elide: Text.ElideRight
        Accessible.ignored: true
    }
}
