import QtQuick 2.15

// The download centre's tab; its page comes with the download centre.
Rectangle {
    id: appArea

    width: 1000
    height: 400
}
