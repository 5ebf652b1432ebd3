import QtQuick 2.15
import QtTest 1.2
import "qrc:/"
import "../find.js" as Find

// The notice pop-up: one notice at a time, the arrows only when there is
// more than one, never beyond the list, nothing at all without notices.
Item {
    width: 100
    height: 100

    Post {
        id: postWindow
        visible: false
    }

    TestCase {
        name: "Post"
        when: windowShown

        property var three: [
            {summary: "系统维护通知：本周六凌晨升级。", url: "http://platform.test/article/108.html"},
            {summary: "开票服务器地址变更提醒。", url: "http://platform.test/article/109.html"},
            {summary: "请及时更新客户端。", url: ""}
        ]

        function init() {
            testbed.clear()
            posterFunction.clear()
        }

        function cleanup() {
            postWindow.close()
        }

        function showWith(notices, count) {
            posterFunction.notices = notices
            posterFunction.count = count
            postWindow.showNotices()
            if (postWindow.visible)
                waitForRendering(postWindow.contentItem)
        }

        function press(name) {
            var item = Find.inWindow(postWindow, name)
            verify(item, name)
            mouseClick(item)
        }

        function test_browsesTheNoticesAndStaysInside() {
            showWith(three, 3)
            verify(postWindow.visible)
            compare(posterFunction.asked, ["notices 8 5", "count 8 5"])
            compare(postWindow.headerTitle, "Plit云台·Plit通知")
            verify(Find.inWindow(postWindow, three[0].summary))
            verify(Find.inWindow(postWindow, "1 / 3"))

            press("上一条")
            compare(postWindow.indexinfo, 0)
            press("下一条")
            press("下一条")
            verify(Find.inWindow(postWindow, three[2].summary))
            press("下一条")
            compare(postWindow.indexinfo, 2)
            verify(Find.inWindow(postWindow, "3 / 3"))
            press("上一条")
            verify(Find.inWindow(postWindow, three[1].summary))

            press("查看详情")
            compare(testbed.openedUrls, [three[1].url])

            // Shown again, it starts from the first notice of the new list; a
            // count beyond the list stops at the list's end.
            showWith(three.slice(0, 2), 5)
            compare(postWindow.indexinfo, 0)
            compare(postWindow.postModelCount, 2)
            press("下一条")
            press("下一条")
            press("下一条")
            compare(postWindow.indexinfo, 1)
            verify(Find.inWindow(postWindow, three[1].summary))
        }

        // One notice has no arrows. Its address goes to the desktop only when
        // it is a web address; its text shows as written, never as markup.
        function test_onlyWebAddressesOpenAndTextIsPlain_data() {
            return [
                {tag: "https", url: "https://platform.test/article/1.html", opened: true},
                {tag: "none", url: "", opened: false},
                {tag: "file", url: "file:///etc/passwd", opened: false},
                {tag: "javascript", url: "javascript:alert(1)", opened: false}
            ]
        }

        function test_onlyWebAddressesOpenAndTextIsPlain(data) {
            var summary = "<b>维护</b><img src=\"http://127.0.0.1:9/beacon.png\">"
            showWith([{summary: summary, url: data.url}], 1)
            verify(postWindow.visible)
            verify(!Find.inWindow(postWindow, "上一条"))
            verify(!Find.inWindow(postWindow, "下一条"))
            postWindow.next()
            postWindow.previous()
            compare(postWindow.indexinfo, 0)
            var text = Find.inWindow(postWindow, summary)
            verify(text)
            compare(text.textFormat, Text.PlainText)
            press("查看详情")
            compare(testbed.openedUrls, data.opened ? [data.url] : [])
        }

        function test_noNoticesStaysHiddenAndShowsNothing() {
            showWith([], 0)
            verify(!postWindow.visible)
            compare(postWindow.currentNotice, null)
            postWindow.next()
            compare(postWindow.indexinfo, 0)

            // The count says there are some, the list has none.
            showWith([], 5)
            verify(!postWindow.visible)
            // The list has some, the count none.
            showWith(three, 0)
            verify(!postWindow.visible)
        }
    }
}
