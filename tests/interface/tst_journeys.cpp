#include "plitinterface.h"
#include "plitprocess.h"

#include "core/requestwait.h"

#include <QAccessible>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

using P = PlitInterface;
static const QString kSmsCode = QStringLiteral("123456");

// What a person does with the main window and the sign-in and account
// windows, against the stand-in platform: clicks, keys and what shows.
class JourneyTest : public PlitJourney
{
    Q_OBJECT

private:
    void openSignIn() { QVERIFY(P::click(QStringLiteral("账号登录")) && P::waitForWindow(QStringLiteral("登录"))); }

    // What the main window's title band shows: the number and "退出" once
    // signed in, "账号登录" before.
    bool showsSignedIn(const QString &phone) const
    {
        return P::find(phone, ui->mainWindow()) && P::find(QStringLiteral("退出"), ui->mainWindow())
            && !P::find(QStringLiteral("账号登录"), ui->mainWindow());
    }
    bool showsSignedOut() const
    {
        return P::find(QStringLiteral("账号登录"), ui->mainWindow()) && !P::find(QStringLiteral("退出"), ui->mainWindow());
    }

    // `window` closed on a successful sign-in, and the title band shows `phone`.
    bool signedInFrom(const QString &window, const QString &phone = kDemoPhone) const
    {
        return P::waitForWindowGone(window) && QTest::qWaitFor([&] { return showsSignedIn(phone); });
    }

    // Types each text into the input so hinted, in turn.
    static bool fill(const QList<QPair<QString, QString>> &inputs)
    {
        return std::all_of(inputs.begin(), inputs.end(), [](const auto &input) { return P::type(input.first, input.second); });
    }

    // Opens `title` with `button` of the sign-in window, which goes.
    void openFromSignIn(const QString &button, const QString &title)
    {
        openSignIn();
        QVERIFY(P::click(button));
        QVERIFY(P::waitForWindow(title));
        QVERIFY(!P::window(QStringLiteral("登录")));
    }

    // The text an input holds, found by its hint.
    static QString textOf(const QString &hint) { return P::find(hint)->property("text").toString(); }

    // The demo account with "记住密码" and "自动登录".
    void signInWithBothBoxes()
    {
        openSignIn();
        QVERIFY(fill({{"请输入手机号", kDemoPhone}, {"请输入密码", kDemoPassword}}));
        QVERIFY(!P::find(QStringLiteral("自动登录"))); // shown only with "记住密码"
        for (const char *control : {"记住密码", "自动登录", "登录"})
            QVERIFY(P::click(QString::fromUtf8(control)));
        QVERIFY(signedInFrom(QStringLiteral("登录")));
        // Hidden, the sign-in window keeps no input focused, whose cursor
        // would blink all day.
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            QQuickItem *focused = window->title() == QStringLiteral("登录") ? static_cast<QQuickWindow *>(window)->activeFocusItem() : nullptr;
            QVERIFY2(!focused || !focused->inherits("QQuickTextInput"), qPrintable(P::accessibleName(focused)));
        }
    }

private slots:
    void passwordSignInIsRememberedAndTheNextStartSignsInSilently()
    {
        signInWithBothBoxes();
        const QJsonObject form = ui->server().requests("/api/platApi/passlog_on").last()["form"].toObject();
        QCOMPARE(form["phone"].toString(), kDemoPhone);
        QCOMPARE(form["password"].toString(), kDemoPassword);
        QVERIFY(P::click(kDemoPhone)); // signed in, it does not open the sign-in window again
        QTest::qWait(100);
        QVERIFY(!P::window(QStringLiteral("登录")));

        // The interface remembers the number in a file only its owner reads,
        // never the password: without a keyring on the session bus only
        // System.ini keeps that. The log never shows it.
        QTRY_VERIFY(QSettings().value("inputPhone").toString() == kDemoPhone);
        QCOMPARE(QFile::permissions(QSettings().fileName()) & 0x0077 /* group, others */, QFileDevice::Permissions());
        QVERIFY(!QSettings().contains("inputPassword"));
        QVERIFY(ui->logText().contains(QStringLiteral("no keyring on the session bus: the password is kept in System.ini")));
        QVERIFY(!ui->logText().contains(kDemoPassword));

        ui->server().clearRequests();
        QVERIFY(ui->start());
        QTRY_VERIFY(showsSignedIn(kDemoPhone));
        QVERIFY(!P::window(QStringLiteral("登录")));
        QCOMPARE(ui->server().requests("/api/platApi/passlog_on").size(), 1);
        // The next start signs in without a window, nor makes one: only the
        // main window, even hidden ones wait until they are first shown.
        for (QWindow *window : QGuiApplication::topLevelWindows())
            QVERIFY2(!qobject_cast<QQuickWindow *>(window) || window == ui->mainWindow(), qPrintable(window->title()));

        // Signed out and in again without "自动登录": the form is still
        // filled, and the password kept for signing in by itself is forgotten.
        QVERIFY(P::click(QStringLiteral("退出")) && showsSignedOut());
        openSignIn();
        QCOMPARE(textOf(QStringLiteral("请输入手机号")), kDemoPhone);
        QVERIFY(P::click(QStringLiteral("自动登录")) && P::click(QStringLiteral("登录")));
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));
        QVERIFY(!QSettings(ui->dataPath("System.ini"), QSettings::IniFormat).value("AUTOLOGON").toBool());

        // So the next start waits for the user, with the form filled.
        QVERIFY(ui->start());
        QTest::qWait(200);
        QVERIFY(showsSignedOut());
        openSignIn();
        QCOMPARE(textOf(QStringLiteral("请输入手机号")), kDemoPhone);
        QTRY_COMPARE(textOf(QStringLiteral("请输入密码")), kDemoPassword);

        // Unticking "记住密码" hides "自动登录" and forgets the number at the next sign-in.
        QVERIFY(P::click(QStringLiteral("记住密码")));
        QVERIFY(!P::find(QStringLiteral("自动登录")));
        QVERIFY(P::click(QStringLiteral("登录")) && P::waitForWindowGone(QStringLiteral("登录")));
        QTRY_VERIFY(QSettings().value("inputPhone").toString().isEmpty());
        QVERIFY(!QSettings().contains("inputPassword"));
        QVERIFY(!QSettings(ui->dataPath("System.ini"), QSettings::IniFormat).contains("PASSWORD"));
    }

    // The keyring refused the password of a sign-in with both boxes (its prompt
    // cancelled): the main window says so, as an alert; "自动登录" is off.
    void aPasswordTheKeyringRefusedIsToldOnce()
    {
        signInWithBothBoxes();
        QObject *config = ui->engine()->rootContext()->contextProperty(QStringLiteral("configFucntion")).value<QObject *>();
        QVERIFY(config && QMetaObject::invokeMethod(config, "passwordNotSaved"));
        const QString told = QStringLiteral("系统密钥环没有保存密码：下次登录需要重新输入密码，自动登录已关闭。");
        QQuickWindow *warning = P::waitForWarning(told);
        QVERIFY(warning && warning->transientParent() == ui->mainWindow());
        QCOMPARE(P::accessibleRole(P::find(told, warning)), int(QAccessible::AlertMessage));
        P::click(P::find(QStringLiteral("确定"), warning));
        QVERIFY(P::waitForWindowGone(QStringLiteral("Plit提示")));
        QVERIFY(P::click(QStringLiteral("退出")) && showsSignedOut());
        openSignIn();
        QVERIFY(P::find(QStringLiteral("自动登录")) && !P::find(QStringLiteral("自动登录"))->property("checked").toBool());
    }

    void wrongPasswordShowsTheMessageAndKeepsTheWindow()
    {
        // While the platform thinks, the pointer shows that the program waits.
        ui->server().script("/api/platApi/passlog_on", {{"delay_ms", 600}});
        int busyShape = -1;
        QTimer::singleShot(300, [&] { busyShape = QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : -1; });
        QVERIFY(P::submitSignIn(kDemoPhone, QStringLiteral("wrong-password")));
        QCOMPARE(busyShape, int(Qt::BusyCursor));
        QVERIFY(!QGuiApplication::overrideCursor());

        const QQuickItem *message = P::waitFor(QStringLiteral("账号或密码错误"));
        QVERIFY(message);
        const QColor colour = message->property("color").value<QColor>();
        QVERIFY2(colour.red() > 180 && colour.green() < 100 && colour.blue() < 100, qPrintable(colour.name()));
        QVERIFY(P::window(QStringLiteral("登录")) && showsSignedOut());

        P::press(Qt::Key_Escape); // closes it; opened again, it shows no message of that attempt
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));
        openSignIn();
        QVERIFY(!P::find(QStringLiteral("账号或密码错误")));
    }

    // While a slow sign-in waits, clicks on "登录" and × do not reach the
    // window: one sign-in, and the window closes because it succeeded.
    void clicksDuringASlowSignInAreHeldBack()
    {
        ui->server().script("/api/platApi/passlog_on", {{"delay_ms", 2000}});
        int clicks = 0;
        QTimer impatience;
        impatience.setInterval(300);
        QObject::connect(&impatience, &QTimer::timeout, [&] {
            // Only while the sign-in waits: a click while the number is still
            // being typed would sign in with half of it.
            if (QQuickWindow *signIn = P::window(QStringLiteral("登录")); signIn && RequestWait::waiting())
                P::click(P::find(clicks++ % 2 ? QStringLiteral("关闭") : QStringLiteral("登录"), signIn));
        });
        impatience.start();
        QVERIFY(P::submitSignIn(kDemoPhone, kDemoPassword));
        impatience.stop();
        QVERIFY(ui->server().requests("/api/platApi/passlog_on").size() == 1 && clicks >= 4);
        QVERIFY(signedInFrom(QStringLiteral("登录")));
    }

    // A platform that does not answer: Escape gives the sign-in up at once,
    // as a failed one; closing the window gives it up too, and then closes.
    void waitingSignInIsGivenUpWithEscapeOrClose()
    {
        qputenv("PLIT_REQUEST_TIMEOUT_MS", "60000");
        ui->server().script("/api/platApi/passlog_on", {{"hang", true}, {"times", 0}});
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(500, [] { P::press(Qt::Key_Escape); });
        QVERIFY(P::submitSignIn(kDemoPhone, kDemoPassword) && clock.elapsed() < 30000);
        QVERIFY(P::waitFor(QStringLiteral("登录失败")));
        QVERIFY(P::window(QStringLiteral("登录")) && showsSignedOut());

        QTimer::singleShot(500, [] { P::window(QStringLiteral("登录"))->close(); });
        clock.restart();
        QVERIFY(P::click(QStringLiteral("登录")) && clock.elapsed() < 30000);
        QVERIFY(P::waitForWindowGone(QStringLiteral("登录")));
        QCOMPARE(ui->server().requests("/api/platApi/passlog_on").size(), 2);
    }

    // With saved credentials and a platform that does not answer, the main
    // window shows long before the requests give up, the news lists busy.
    void mainWindowShowsWhileThePlatformStalls()
    {
        signInWithBothBoxes();
        const int limitMs = 4000;
        qputenv("PLIT_REQUEST_TIMEOUT_MS", QByteArray::number(limitMs));
        for (const char *path : {"/api/platApi/passlog_on", "/api/ArticleApi/getArticle"})
            ui->server().script(path, {{"hang", true}, {"times", 0}});
        for (const char *cache : {"buffnotice.json", "buffpolicy.json"})
            QFile::remove(ui->dataPath(QLatin1String(cache)));
        QElapsedTimer clock;
        qint64 shownAfter = -1;
        bool busyShown = false;
        QTimer watch;
        watch.setInterval(10);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (shownAfter < 0 && ui->mainWindow() && ui->mainWindow()->isExposed()) {
                shownAfter = clock.elapsed();
                busyShown = P::find(QStringLiteral("正在加载"), ui->mainWindow()) != nullptr;
            }
        });
        clock.start(), watch.start();
        QVERIFY(ui->start());
        QVERIFY2(shownAfter >= 0 && shownAfter < limitMs && busyShown, qPrintable(QString::number(shownAfter)));
        qDebug() << "main window shown after" << shownAfter << "ms";

        ui->server().unscript();
        QTRY_VERIFY_WITH_TIMEOUT(!P::find(QStringLiteral("正在加载"), ui->mainWindow()), 3 * limitMs);
        QVERIFY(showsSignedOut());
    }

    void smsSignInWithTheCodeTheServiceSent()
    {
        openSignIn();
        QVERIFY(P::click(QStringLiteral("手机登录")) && P::waitFor(QStringLiteral("请输入动态密码")));
        QVERIFY(P::type(QStringLiteral("请输入手机号"), kDemoPhone) && P::click(QStringLiteral("获取动态密码")));
        QCOMPARE(ui->server().requests("/api/platApi/mesSend").last()["form"]["phone"].toString(), kDemoPhone);

        QVERIFY(P::type(QStringLiteral("请输入动态密码"), kSmsCode));
        P::press(Qt::Key_Return);
        QVERIFY(signedInFrom(QStringLiteral("登录")));
        QCOMPARE(ui->server().requests("/api/platApi/log_on").last()["form"]["code"].toString(), kSmsCode);
    }

    void accountToCompleteGetsTheCompletionWindow()
    {
        const QString phone = QStringLiteral("13800000001");
        QVERIFY(P::submitSignIn(phone, kDemoPassword) && P::waitForWindow(QStringLiteral("完善信息")));
        QVERIFY(!P::window(QStringLiteral("登录")));

        QVERIFY(fill({{"请输入姓名", "张晓明"}, {"请输入邮箱", "zhang@example.com"}, {"请输入登录密码", "Neu@2026"}}));
        // "提交" waits for the agreement.
        QVERIFY(P::click(QStringLiteral("提交")));
        QTest::qWait(100);
        QVERIFY(ui->server().requests("/api/platApi/userReg").isEmpty());
        QVERIFY(P::click(QStringLiteral("《用户注册协议》")) && P::click(QStringLiteral("提交")));
        QVERIFY(signedInFrom(QStringLiteral("完善信息"), phone));
        const QJsonObject form = ui->server().requests("/api/platApi/userReg").last()["form"].toObject();
        for (const auto &[field, value] :
             QList<QPair<QString, QString>>{{"phone", phone}, {"code", "qorvexmt40782"}, {"real_name", "张晓明"}, {"password", "Neu@2026"}})
            QCOMPARE(form[field].toString(), value);
    }

    void registrationWaitsForTheAgreement()
    {
        const QString phone = QStringLiteral("13900000009");
        openFromSignIn(QStringLiteral("注册新账号"), QStringLiteral("注册"));
        QVERIFY(fill({{"请输入姓名", "李四"}, {"请输入邮箱", "li@example.com"}, {"请输入手机号", phone}}));
        QVERIFY(P::click(QStringLiteral("获取验证码")));
        QCOMPARE(ui->server().requests("/api/platApi/mesSend").last()["form"]["phone"].toString(), phone);
        QVERIFY(fill({{"请输入验证码", kSmsCode}, {"请输入登录密码", "Reg@2026"}}));

        // Return in the last input submits only once the agreement is accepted.
        P::press(Qt::Key_Return);
        QTest::qWait(100);
        QVERIFY(ui->server().requests("/api/platApi/userReg").isEmpty());
        QVERIFY(P::click(QStringLiteral("《用户注册协议》")) && P::click(QStringLiteral("请输入登录密码")));
        P::press(Qt::Key_Return);
        QVERIFY(signedInFrom(QStringLiteral("注册"), phone));
        QCOMPARE(ui->server().requests("/api/platApi/userReg").last()["form"]["real_name"].toString(), QStringLiteral("李四"));
    }

    void passwordResetReturnsToSignIn()
    {
        const QString newPassword = QStringLiteral("Reset@2026");
        openFromSignIn(QStringLiteral("忘记密码?"), QStringLiteral("重置密码"));
        QVERIFY(P::type(QStringLiteral("请输入手机号"), kDemoPhone) && P::click(QStringLiteral("获取验证码")));
        QVERIFY(fill({{"请输入验证码", kSmsCode}, {"请输入新密码", newPassword}, {"请重新输入新密码", "not the same"}}));
        QVERIFY(P::click(QStringLiteral("提交")) && P::waitFor(QStringLiteral("两次输入的密码不一致")));
        QVERIFY(P::window(QStringLiteral("重置密码")));

        QVERIFY(P::type(QStringLiteral("请重新输入新密码"), newPassword));
        P::press(Qt::Key_Return);
        QVERIFY(P::waitForWindowGone(QStringLiteral("重置密码")) && P::waitForWindow(QStringLiteral("登录")));
        // The new password is the one that signs in now.
        QVERIFY(fill({{"请输入手机号", kDemoPhone}, {"请输入密码", newPassword}}) && P::click(QStringLiteral("登录")));
        QVERIFY(signedInFrom(QStringLiteral("登录")));
    }

    // The keys alone, from the start: the title bar in reading order, the
    // sign-in with a wrong and a right password, and the windows of "更多".
    void keyboardAloneFromTheStartThroughTheMoreWindows()
    {
        // As with a screen reader listening: Qt Quick's controls tell it more.
        QAccessible::setActive(true);
        const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
        // No notices pop up on the way, to take the keys.
        ui->server().script("/api/platapi/getArticle", {{"json", QJsonObject{{"states", true}, {"data", QJsonArray()}}}, {"times", 0}});
        QStringList journey;
        QQuickWindow *main = ui->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTRY_COMPARE(P::focusedName(), QStringLiteral("Plit首页"));
        QVERIFY2(P::accessibilityFaults(main).isEmpty(), qPrintable(P::accessibilityFaults(main).join('\n')));
        QCOMPARE(QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name), QStringLiteral("Plit云台"));
        // The focus ring: two pixels or more that stand out on the blue bar.
        const QImage unfocused = P::grab(main);
        for (const char *name : {"新闻公告", "推荐应用", "在线服务", "更多"})
            QCOMPARE(P::step(Qt::Key_Tab, journey), QString::fromUtf8(name));
        const QImage focused = P::grab(main);
        if (!qEnvironmentVariableIsEmpty("PLIT_FOCUS_SHOTS"))
            focused.save(qEnvironmentVariable("PLIT_FOCUS_SHOTS") + QStringLiteral("/titlebar-focus.png"));
        QVERIFY(P::focusRingWidth(unfocused, focused, P::focused()) >= 2);
        for (const char *name : {"最小化", "关闭", "账号登录"})
            QCOMPARE(P::step(Qt::Key_Tab, journey), QString::fromUtf8(name));
        QCOMPARE(P::step(Qt::Key_Tab, journey, Qt::ShiftModifier), QStringLiteral("关闭"));
        QCOMPARE(P::step(Qt::Key_Tab, journey), QStringLiteral("账号登录"));

        // Signing in: the tabs are page tabs; a wrong password is an alert
        // that appears, and the screen reader hears of it.
        QCOMPARE(P::step(Qt::Key_Return, journey), QStringLiteral("请输入手机号"));
        QQuickWindow *signIn = P::window(QStringLiteral("登录"));
        QVERIFY(signIn && QAccessible::queryAccessibleInterface(P::find(QStringLiteral("密码登录"), signIn))->state().checked);
        P::typeText(kDemoPhone);
        QCOMPARE(P::step(Qt::Key_Tab, journey), QStringLiteral("请输入密码"));
        P::typeText(QStringLiteral("wrong"));
        // An alert is announced as it appears: none shows before the error.
        const auto alerts = [signIn] {
            QStringList names;
            for (QQuickItem *item : P::shownItems(signIn))
                if (P::accessibleRole(item) == QAccessible::AlertMessage)
                    names << P::accessibleName(item);
            return names;
        };
        QCOMPARE(alerts(), QStringList());
        P::step(Qt::Key_Return, journey);
        QVERIFY(P::waitFor(QStringLiteral("账号或密码错误")));
        QCOMPARE(alerts(), QStringList{QStringLiteral("账号或密码错误")});
        QCOMPARE(P::focusedName(), QStringLiteral("请输入密码"));
        P::press(Qt::Key_A, Qt::ControlModifier);
        P::typeText(kDemoPassword);
        P::step(Qt::Key_Return, journey);
        QVERIFY(signedInFrom(QStringLiteral("登录")));
        // The button that opened it now shows the number and cannot be
        // pressed; the keys are on a control that can.
        QTRY_VERIFY(main->isActive());
        QTRY_VERIFY(P::focused() && P::focused()->isEnabled() && P::focused()->isVisible());
        journey << QStringLiteral("(signed in) → ") + P::focusedName();
        QVERIFY(QAccessible::queryAccessibleInterface(P::find(kDemoPhone, main))->state().disabled);
        QVERIFY2(P::accessibilityFaults(main).isEmpty(), qPrintable(P::accessibilityFaults(main).join('\n')));

        // The windows of "更多": each opens with the keys on a control of its
        // own and gives them back to "更多".
        P::find(QStringLiteral("更多"), main)->forceActiveFocus(Qt::TabFocusReason);
        for (const auto &[entry, title] : QList<QPair<QString, QString>>{{QStringLiteral("关于我们"), QStringLiteral("关于我们")},
                 {QStringLiteral("系统设置"), QStringLiteral("软件设置")}, {QStringLiteral("问题反馈"), QStringLiteral("意见建议")}}) {
            QCOMPARE(P::focusedName(), QStringLiteral("更多"));
            P::step(Qt::Key_Return, journey);
            QTRY_VERIFY(P::find(entry, main));
            // The menu is named after its button: Qt Quick's controls give a
            // screen reader the title of the page a menu draws on.
            QQuickItem *menuPage = P::find(entry, main);
            while (menuPage && !menuPage->inherits("QQuickPopupItem"))
                menuPage = menuPage->parentItem();
            QVERIFY(menuPage && menuPage->property("title").toString() == QStringLiteral("更多"));
            for (int i = 0; i < 8 && P::focusedName() != entry; ++i)
                P::step(Qt::Key_Down, journey);
            QCOMPARE(P::focusedName(), entry);
            P::step(Qt::Key_Return, journey);
            QVERIFY2(P::waitForWindow(title) && QTest::qWaitForWindowActive(P::window(title)), qPrintable(title));
            QQuickWindow *opened = P::window(title);
            QTRY_VERIFY(opened->activeFocusItem() && opened->activeFocusItem() != opened->contentItem());
            journey << QStringLiteral("(%1 opens) → ").arg(title) + P::focusedName();
            QVERIFY2(P::accessibilityFaults(opened).isEmpty(), qPrintable(title + ": " + P::accessibilityFaults(opened).join('\n')));
            if (title == QStringLiteral("意见建议")) {
                // Tab leaves the message box; Ctrl+Tab types a tab there.
                QCOMPARE(P::focusedName(), QStringLiteral("请输入您需要反馈的内容(200字以内)..."));
                P::typeText(QStringLiteral("slow"));
                P::press(Qt::Key_Tab, Qt::ControlModifier);
                QCOMPARE(P::focused()->property("text").toString(), QStringLiteral("slow\t"));
                QCOMPARE(P::step(Qt::Key_Tab, journey), QStringLiteral("请输入您的联系方式"));
                QCOMPARE(P::step(Qt::Key_Tab, journey, Qt::ShiftModifier), QStringLiteral("请输入您需要反馈的内容(200字以内)..."));
                QCOMPARE(P::focused()->property("text").toString(), QStringLiteral("slow\t"));
            }
            P::step(Qt::Key_Escape, journey);
            QVERIFY(P::waitForWindowGone(title));
            QTRY_COMPARE(P::focusedName(), QStringLiteral("更多"));
        }
        P::report(QStringLiteral("keyboard journey"), QStringLiteral("  ") + journey.join(QStringLiteral("\n  ")));
    }

    void screenReaderFindsAndPressesTheControls()
    {
        // The names of the main window's controls: keyboardAloneFromTheStart…
        QQuickWindow *main = ui->mainWindow();
        QCOMPARE(P::accessibleRole(P::find(QStringLiteral("关闭"), main)), int(QAccessible::Button));

        QVERIFY(P::pressAccessibly(QStringLiteral("账号登录")) && P::waitForWindow(QStringLiteral("登录")));
        QQuickWindow *signIn = P::window(QStringLiteral("登录"));
        for (const auto &[name, role] :
             QList<QPair<QString, int>>{{"请输入密码", QAccessible::EditableText}, {"记住密码", QAccessible::CheckBox}, {"手机登录", QAccessible::PageTab}})
            QCOMPARE(P::accessibleRole(P::find(name, signIn)), role);
        for (const char *name : {"密码登录", "登录", "注册新账号", "忘记密码?"})
            QVERIFY2(P::find(QString::fromUtf8(name), signIn), name);

        // The tab of the SMS code, and the window's close button, by the reader.
        QVERIFY(P::pressAccessibly(QStringLiteral("手机登录")) && P::waitFor(QStringLiteral("获取动态密码")));
        QVERIFY(P::pressAccessibly(QStringLiteral("关闭")) && P::waitForWindowGone(QStringLiteral("登录")));
    }

    void navigationMarksTheChosenButton()
    {
        const QStringList buttons = {"Plit首页", "新闻公告", "推荐应用", "在线服务"};
        // Which navigation buttons a screen reader reads as chosen.
        const auto chosen = [&] {
            QStringList names;
            for (const QString &name : buttons)
                if (QAccessibleInterface *button = QAccessible::queryAccessibleInterface(P::find(name, ui->mainWindow())); button && button->state().checked)
                    names << name;
            return names;
        };
        QCOMPARE(chosen(), QStringList{QStringLiteral("Plit首页")});
        for (const QString &name : {buttons[1], buttons[2], buttons[0]}) {
            QVERIFY(P::click(name));
            QCOMPARE(chosen(), QStringList{name});
        }
        // A page asks for the recommended applications.
        QVERIFY(QMetaObject::invokeMethod(ui->mainWindow(), "jumpToHotApp"));
        QCOMPARE(chosen(), QStringList{QStringLiteral("推荐应用")});
    }

    void stayOnTopToggledTwiceRestoresTheFlags()
    {
        QQuickWindow *main = ui->mainWindow();
        const Qt::WindowFlags before = main->flags();
        QVERIFY(!before.testFlag(Qt::WindowStaysOnTopHint));

        QVERIFY(P::clickInMenu(QStringLiteral("置顶窗口")));
        QTRY_VERIFY(main->flags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(P::clickInMenu(QStringLiteral("取消置顶")));
        QTRY_COMPARE(main->flags(), before);
        QVERIFY(P::click(QStringLiteral("更多")) && P::waitFor(QStringLiteral("置顶窗口")));
        P::press(Qt::Key_Escape);
    }

    void backgroundDragMovesTheWindow()
    {
        QQuickWindow *main = ui->mainWindow();
        const QPoint start = main->position();
        const QPoint grip(500, 300); // in the middle of the page area
        // The pointer moves on the screen; the window under it moves as well.
        QTest::mousePress(main, Qt::LeftButton, Qt::NoModifier, grip);
        for (const QPoint offset : {QPoint(20, 10), QPoint(40, 30)})
            QTest::mouseMove(main, start + grip + offset - main->position());
        QTest::mouseRelease(main, Qt::LeftButton, Qt::NoModifier, start + grip + QPoint(40, 30) - main->position());
        QTRY_COMPARE(main->position(), start + QPoint(40, 30));

        const QPoint moved = main->position();
        QTest::mousePress(main, Qt::RightButton, Qt::NoModifier, grip); // the right button does not drag
        QTest::mouseMove(main, grip + QPoint(40, 30));
        QTest::mouseRelease(main, Qt::RightButton, Qt::NoModifier, grip + QPoint(40, 30));
        QTest::qWait(50);
        QCOMPARE(main->position(), moved);
    }

    void noticesPopUpFiveSecondsAfterTheStart()
    {
        // The stand-in has five notices: the pop-up shows, the cache is refreshed.
        QVERIFY(!P::window(QStringLiteral("Plit通知")));
        QVERIFY(P::waitForWindow(QStringLiteral("Plit通知"), 8000));
        QTRY_COMPARE(ui->server().requests("/api/ArticleApi/getIndexArticle").size(), 1);
        // The window the user is in keeps working while the notices show.
        QVERIFY(P::click(QStringLiteral("推荐应用")));
        QTRY_VERIFY(P::find(QStringLiteral("我的应用"), ui->mainWindow()));

        // Without notices it stays hidden; the cache is refreshed all the same.
        ui->server().script("/api/platapi/getArticle", {{"json", QJsonObject{{"states", true}, {"data", QJsonArray()}}}});
        ui->server().clearRequests();
        QVERIFY(ui->start());
        QTRY_VERIFY_WITH_TIMEOUT(ui->server().requests("/api/ArticleApi/getIndexArticle").size() == 1, 8000);
        QVERIFY(!P::window(QStringLiteral("Plit通知")));
    }

    void helpAndAssistantOpenTheWebWindow()
    {
        QVERIFY(P::clickInMenu(QStringLiteral("使用帮助")) && P::waitForWindow(QStringLiteral("使用帮助 ")));
        QPointer<QQuickWindow> help = P::window(QStringLiteral("使用帮助 "));
        QCOMPARE(help->property("currentUrl").toUrl(), QUrl(ui->server().baseUrl() + QStringLiteral("/help/")));
        help->close(); // the window goes with its page instead of waiting hidden
        QTRY_VERIFY(help.isNull());

        // No assistant program on this machine: its web chat opens instead.
        QVERIFY(P::click(QStringLiteral("在线服务")) && P::waitForWindow(QStringLiteral("智能客服 Tilo")));
        QPointer<QQuickWindow> chat = P::window(QStringLiteral("智能客服 Tilo"));
        QCOMPARE(chat->property("currentUrl").toUrl(), QUrl(ui->server().baseUrl() + QStringLiteral("/chat")));
        // The site's header hides under the title bar; the page reaches the bottom, also maximised.
        for (bool maximised : {false, true}) {
            if (maximised)
                chat->showMaximized();
            QQuickItem *view = P::webViews(chat).first();
            QTRY_COMPARE(view->mapToScene(QPointF(0, view->height())).y(), qreal(chat->height()));
            QVERIFY(view->mapToScene(QPointF(0, 0)).y() < 30);
        }
        P::click(P::find(QStringLiteral("关闭"), chat));
        QTRY_VERIFY(chat.isNull());

        // From the home page's tile, it stays open while the page is rebuilt.
        QVERIFY(P::click(QStringLiteral("Plit首页")) && P::click(QStringLiteral("智能客服")));
        QVERIFY(P::waitForWindow(QStringLiteral("智能客服 Tilo")));
        QVERIFY(P::click(QStringLiteral("Plit首页")) && P::waitFor(QStringLiteral("智能客服")));
        QVERIFY(P::window(QStringLiteral("智能客服 Tilo")));
    }

    void realProgramStartShowsNoQmlWarning()
    {
        // The program itself, with saved credentials, past the notice check.
        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("System.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("PHONRNUM=" + kDemoPhone.toLatin1() + "\r\nPASSWORD=" + kDemoPassword.toLatin1() + "\r\nAUTOLOGON=true\r\n");
        ini.close();
        PlitProcess plit(dir.path());
        plit.environment().insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        ui->server().clearRequests();
        plit.start();
        QVERIFY2(plit.waitUntilUp(), qPrintable(plit.output()));
        QTRY_VERIFY_WITH_TIMEOUT(!ui->server().requests("/api/platapi/getArticle").isEmpty(), 15000);
        QTest::qWait(500);
        QCOMPARE(ui->server().requests("/api/platApi/passlog_on").size(), 1);

        const QRegularExpression qmlWarning(QStringLiteral("(^|\\n)(Warning|Critical|Fatal): [^\\n]*(qrc:|\\.qml)"));
        const QString log = plit.logText();
        QVERIFY2(!qmlWarning.match(log).hasMatch(), qPrintable(qmlWarning.match(log).captured(0)));
        QVERIFY(log.contains(QStringLiteral("loginPanel autoLogon")));
    }
};

PLIT_INTERFACE_TEST_MAIN(JourneyTest)
#include "tst_journeys.moc"
