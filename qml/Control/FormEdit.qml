import QtQuick 2.15

// The input of an account form row.
EditFrame {
    width: 240
    height: parent ? parent.height : 30
    font_size: 14
    leftdis: 10
}
