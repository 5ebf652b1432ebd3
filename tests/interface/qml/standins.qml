import QtQml 2.15

// In place of the account service, a recorder of the SMS code requests,
// which is all the controls ask of it.
QtObject {
    property QtObject mainFunction: QtObject {
        property var phones: []
        function btnDynamic(phone) { phones = phones.concat([phone]) }
        function clear() { phones = [] }
    }
}
