import QtQuick 2.15

// The red line under a form that shows the platform's refusal unchanged.
UiText {
    color: "#e64340"
    font.pixelSize: 12
    wrapMode: Text.Wrap
    Accessible.role: Accessible.AlertMessage
}
