import QtQuick 2.15

// The soft shadow of a white card, drawn from a picture: anchor it to the
// card with margins of -10, and put it before the card. It costs no effect
// pass and looks the same with every renderer.
BorderImage {
    source: "qrc:/images/shadow.png"
    border.left: 10
    border.right: 10
    border.top: 10
    border.bottom: 10
}
