import QtQuick 2.15
import "../Control"

// The about window.
WindowForm {
    id: aboutUsWin

    titlename: "关于我们"
    width: 496 * $dpi
    height: 356 * $dpi
}
