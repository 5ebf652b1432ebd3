import QtQuick 2.15
import an.utility 1.0

MyMenu {
    MyAction { text: "打开" }
    MySeparator {}
    MyMenu {
        MyAction { text: "子项" }
    }
    MyAction { objectName: "hidden"; text: "隐藏" }
    MyAction { text: "最后" }
}
