.import "Dialogs.js" as Dialogs

// What the invoicing tile "我要开票" does, and the invoicing window of one
// company. The windows belong to the main window, so that they stay open
// while the pages behind them are rebuilt.

// The invoicing window of `company` (a UserTaxInfo), as long as the tax-code
// service counts one more open window; the window gives the company back
// when it goes. Otherwise a warning over `asking`, the window or item that
// asked. The window, or null.
function openCompany(asking, company) {
    // The address comes from the platform: a company whose address is no
    // web page (a file, a script) gets no window.
    if (!urlPolicy.mayLoad(company.url, "invoicing window of " + company.taxcode)) {
        Dialogs.warn(asking, "该地址不是网页地址（http或https），已拒绝打开。")
        return null
    }
    if (!vantaFunction.addTaxCode(company.taxcode)) {
        Dialogs.warn(asking, "我要开票最多同时只能打开3个!")
        return null
    }
    var window = mainWindow.createWindow("qrc:/VantaFp.qml", { countedTaxCode: company.taxcode,
                                                             profiles: mainWindow.companyProfiles })
    if (!window) {
        vantaFunction.removeTaxCode(company.taxcode)
        return null
    }
    window.clearInfo()
    window.setCurrentUrl(company.url)
    window.setCurrentTitle(company.taxname, company.taxcode)
    // The company's service is the signed-in account's.
    mainWindow.signedOut.connect(window.close)
    window.placeOverOwner(mainWindow.invoicingOpened++ % 4)
    window.show()
    window.raise()
    Dialogs.activate(window)
    return window
}

// The invoicing tile, clicked: it needs the print helper (fetched when it
// is missing) and a signed-in user; one company opens at once, several are
// chosen in "选择税号".
function openInvoicing(tile) {
    if (!mainFunction.checkPrintHelper()) {
        // Said at once: the download takes a while, and its end starts
        // the installer.
        var notice = Dialogs.create("qrc:/MessageDialog.qml", tile,
                                    { warningText: "正在下载打印助手，请稍候……", followsPrintHelper: true })
        if (notice)
            notice.show()
        mainFunction.downloadPrintHelper()
        return
    }
    if (!mainFunction.getLoginStatus()) {
        mainWindow.loginEvent()
        return
    }
    var phone = mainFunction.getUserNum()
    var companies = vantaFunction.getTaxCodeFromPhoneNo(phone)
    var count = vantaFunction.getTaxCodeMaxCount(phone)
    if (count === 1) {
        if (vantaFunction.getTaxCodeCount("") <= 0)
            Dialogs.warn(tile, "您已经打开了我要开票!")
        else if (!vantaFunction.existTaxCode(companies[0].taxcode))
            openCompany(tile, companies[0])
    } else if (count <= 0) {
        Dialogs.warn(tile, "您没有更多可打开的账户信息!")
    } else {
        var selection = mainWindow.createWindow("qrc:/SelectTaxCode.qml")
        if (!selection)
            return
        selection.setPhone(phone)
        selection.initSelectTaxCode()
        selection.show()
    }
}
