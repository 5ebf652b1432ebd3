import QtQml 2.15

// In place of the article service: the platform's `notices` for the list
// and their `count`, which comes by a request of its own, with the requests
// recorded in `asked`.
QtObject {
    property QtObject posterFunction: QtObject {
        property var notices: []
        property int count: 0
        property var asked: []
        function getSystemNotice(type, num) {
            asked = asked.concat(["notices " + type + " " + num])
            return notices
        }
        function getSystemNoticeCount(type, num) {
            asked = asked.concat(["count " + type + " " + num])
            return count
        }
        function clear() { notices = []; count = 0; asked = [] }
    }
}
