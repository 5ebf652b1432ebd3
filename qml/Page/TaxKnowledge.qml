import QtQuick 2.15

// The news page.
Item {
    id: poster

    function clearCache() {
    }

    width: 1000
    height: 475
}
