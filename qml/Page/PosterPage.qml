import QtQuick 2.15

// The home page.
Item {
    id: posterpage

    width: 1000
    height: 475
}
