import QtQuick 2.15

// The tiles of a list of catalogue entries, `columnNum` to a row from the
// top left; what does not fit scrolls.
Flickable {
    id: grid

    // The catalogue entries (ConfigModel objects).
    property var model: []
    property int columnNum: 2
    property int rowsNum: 3
    property int spacing: 8

    // Whether `entries` are the tiles shown already (same names and paths):
    // then a page keeps its tiles instead of having them made anew.
    function shows(entries) {
        var same = entries.length === model.length
        for (var i = 0; same && i < entries.length; ++i)
            same = entries[i].name === model[i].name && entries[i].path === model[i].path
        return same
    }

    signal tileClicked(var tile, var entry)

    contentWidth: appGridLayout.width
    contentHeight: appGridLayout.height
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    interactive: contentHeight > height

    Grid {
        id: appGridLayout
        columns: grid.columnNum
        spacing: grid.spacing

        Repeater {
            model: grid.model

            AppTile {
                id: tile
                entry: modelData
                onClicked: grid.tileClicked(tile, tile.entry)
            }
        }
    }
}
