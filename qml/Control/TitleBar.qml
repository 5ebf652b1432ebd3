import QtQuick 2.15

// The blue band at the top of the main window.
Rectangle {
    gradient: Gradient {
        GradientStop { position: 0.0; color: $titleColorUp }
        GradientStop { position: 1.0; color: $titleColorDown }
    }
}
