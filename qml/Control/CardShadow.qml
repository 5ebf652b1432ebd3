import QtQuick 2.15

// The soft shadow of a white card, drawn from a picture around `card`; put
// it before the card. It costs no effect pass and looks the same with every
// renderer.
BorderImage {
    // The card it lies under.
    property Item card

    // The picture's shadow reaches ten points beyond the card.
    anchors.fill: card
    anchors.margins: -10
    source: "qrc:/images/shadow.png"
    border.left: 10
    border.right: 10
    border.top: 10
    border.bottom: 10
}
