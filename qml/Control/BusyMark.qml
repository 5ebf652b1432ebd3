import QtQuick 2.15

// The mark that something is being asked for ("正在加载"): a ring that
// turns while `running`. Shown only while running, so a page that waits for
// nothing draws no frames for it.
Image {
    id: mark

    property bool running: false

    width: 32
    height: 32
    sourceSize: Qt.size(32, 32)
    source: "qrc:/images/loading.png"
    visible: running
    Accessible.role: Accessible.Animation
    Accessible.name: "正在加载"

    RotationAnimator on rotation {
        from: 0
        to: 360
        duration: 900
        loops: Animation.Infinite
        running: mark.running && mark.visible
    }
}
