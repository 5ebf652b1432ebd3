import QtQuick 2.15
import QtQuick.Window 2.15

Window {
    id: mainWindow
    title: "Plit云台"
    width: 1020
    height: 610
    visible: true
    color: "#ffffff"
}
