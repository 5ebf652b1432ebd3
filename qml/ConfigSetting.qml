import QtQuick 2.15
import "./Control"

// The software settings window.
DialogWindow {
    id: configSettingWindow

    property string warningText

    title: "软件设置"
    headerTitle: "Plit云台·软件设置"
    width: 600
    height: 320
    modality: Qt.WindowModal
}
