import QtQuick 2.15
import QtQuick.Window 2.15

// The application-modal window of the sign-in, account, feedback and about
// windows: the 40-pixel header with the cloud logo and "Plit云台  ·" followed
// by `titlename`; the minimise button only with `minvisible`.
DialogWindow {
    id: winform

    property string titlename: ""
    property bool minvisible: false

    title: titlename
    modality: Qt.ApplicationModal
    headerTitle: "Plit云台  ·" + titlename
    header.height: 40
    header.logo: "qrc:/images/logo-yun.png"
    header.titleSize: 16
    header.titleWeight: Font.DemiBold
    header.minimizable: minvisible
}
