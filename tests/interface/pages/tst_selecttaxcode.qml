import QtQuick 2.15
import QtTest 1.2
import "qrc:/"

// The company selection paging and searching the demo account's 23
// companies (five a page) on the stand-in platform.
TestCase {
    id: testCase

    property var window: null

    // The first item under `root` whose property `key` is `value`.
    function findItem(root, key, value) {
        if (root[key] === value)
            return root
        var children = root.children || []
        for (var i = 0; i < children.length; ++i) {
            var found = findItem(children[i], key, value)
            if (found)
                return found
        }
        return null
    }

    function button(text) {
        var found = findItem(window.contentItem, "text", text)
        verify(found, text)
        return found
    }

    function names() {
        return window.vantamodel.map(function (company) { return company.taxname })
    }

    function search(text) {
        var edit = findItem(window.contentItem, "hint", "请输入税号或者名称进行查询")
        edit.text = text
        mouseClick(button("搜索"))
    }

    function pageShown(page, total, first) {
        compare(window.currentPage, page)
        compare(window.totalPage, total)
        compare(names()[0], first)
        compare(button("上一页").enabled, page > 1)
        compare(button("下一页").enabled, page < total)
    }

    name: "SelectTaxCode"
    when: windowShown

    Component {
        id: selection
        SelectTaxCode {}
    }

    function init() {
        window = createTemporaryObject(selection, testCase)
        window.setPhone("13800000002")
        window.initSelectTaxCode()
        window.show()
        waitForRendering(window.contentItem)
    }

    function test_pagesTurnWithinTheirBounds() {
        pageShown(1, 5, "北京恒达商贸有限公司")
        compare(names().length, 5)
        // "上一页" on the first page does nothing.
        mouseClick(button("上一页"))
        pageShown(1, 5, "北京恒达商贸有限公司")

        for (var page = 2; page <= 5; ++page) {
            mouseClick(button("下一页"))
            tryCompare(window, "currentPage", page)
        }
        pageShown(5, 5, "西安华信食品有限公司")
        compare(names().length, 3)
        // Nor does "下一页" on the last.
        mouseClick(button("下一页"))
        pageShown(5, 5, "西安华信食品有限公司")

        mouseClick(button("上一页"))
        pageShown(4, 5, "深圳顺安建材有限公司")
    }

    function test_searchOfOnePageDisablesBothButtonsAndAnEmptySearchStartsAgain() {
        mouseClick(button("下一页"))
        pageShown(2, 5, "南京博远咨询有限公司")

        search("恒达")
        pageShown(1, 1, "北京恒达商贸有限公司")
        compare(names(), ["北京恒达商贸有限公司", "成都恒达印务有限公司",
                          "北京恒达科技有限公司", "成都恒达电子有限公司"])

        // Back to the companies of the sign-in, with every page reachable.
        search("")
        pageShown(1, 5, "北京恒达商贸有限公司")
        mouseClick(button("下一页"))
        pageShown(2, 5, "南京博远咨询有限公司")
    }

    function test_searchWithoutMatchShowsNoCompany() {
        search("没有这家公司")
        compare(names().length, 0)
        compare(window.totalPage, 0)
        verify(!button("上一页").enabled)
        verify(!button("下一页").enabled)
        verify(findItem(window.contentItem, "text", "没有可打开的企业").visible)
    }

    function test_companiesWithAnOpenWindowAreNotOffered() {
        verify(vantaFunction.addTaxCode("911105000007000685"))
        mouseClick(button("下一页"))
        pageShown(2, 5, "成都恒达印务有限公司")
        compare(names().length, 4)
        verify(vantaFunction.removeTaxCode("911105000007000685"))
    }
}
