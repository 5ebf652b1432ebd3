#include "app/startup.h"
#include "desktop/myaction.h"
#include "desktop/mymenu.h"
#include "desktop/systemtrayicon.h"
#include "common/qmlwarningguard.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestTrayMenu : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QmlWarningGuard> m_guard;
    QQmlEngine *m_engine = nullptr;

    QObject *load(const QString &name)
    {
        QQmlComponent component(m_engine, QUrl::fromLocalFile(QStringLiteral(PLIT_SOURCE_DIR "/tests/desktop/data/") + name));
        QObject *root = component.create();
        if (!root)
            qWarning() << component.errors();
        return root;
    }

private slots:
    void initTestCase()
    {
        m_guard = std::make_unique<QmlWarningGuard>();
        RegisterTypeToQml();
        m_engine = new QQmlEngine(this);
        QmlWarningGuard::watch(m_engine);
    }

    void menuHoldsActionsSeparatorsAndSubmenusInDeclarationOrder()
    {
        std::unique_ptr<QObject> root(load(QStringLiteral("menu.qml")));
        auto *menu = qobject_cast<MyMenu *>(root.get());
        QVERIFY(menu);
        const QList<QAction *> actions = menu->menu()->actions();
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("打开"));
        QVERIFY(actions.at(1)->isSeparator());
        QVERIFY(actions.at(2)->menu());
        QCOMPARE(actions.at(2)->menu()->actions().size(), 1);
        QCOMPARE(actions.at(2)->menu()->actions().first()->text(), QStringLiteral("子项"));
        // The action renamed in QML is left out.
        QCOMPARE(actions.at(3)->text(), QStringLiteral("最后"));
    }

    void menuAppendsEntriesAddedAfterCompletion()
    {
        MyMenu menu;
        MyAction action;
        action.setText(QStringLiteral("late"));
        menu.addAction(&action);
        menu.addSeparator();
        menu.addAction(nullptr);
        menu.addMenu(&menu);
        QCOMPARE(menu.menu()->actions().size(), 2);
        QCOMPARE(menu.menu()->actions().first(), &action);

        QSignalSpy widthSpy(&menu, &MyMenu::widthChanged);
        menu.setWidth(140);
        menu.setWidth(140);
        QCOMPARE(menu.width(), 140);
        QCOMPARE(widthSpy.count(), 1);
    }

    void iconSourcesAndToolTipsReachTheIconAndNotifyOnce()
    {
        MyAction action;
        QSignalSpy spy(&action, &MyAction::iconChanged);
        action.setIcon(QUrl(QStringLiteral("qrc:/images/app.ico")));
        QVERIFY(!action.QAction::icon().isNull());
        action.setIcon(QUrl(QStringLiteral("qrc:/images/app.ico")));
        QCOMPARE(spy.count(), 1);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("tile.png"));
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(file));
        SystemTrayIcon tray;
        QSignalSpy traySpy(&tray, &SystemTrayIcon::iconChanged);
        tray.setIcon(QUrl::fromLocalFile(file));
        QCOMPARE(traySpy.count(), 1);
        QCOMPARE(tray.trayIcon()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
        tray.setIcon(QUrl::fromLocalFile(file));
        QCOMPARE(traySpy.count(), 1);

        // The tool tip too reaches the real icon and notifies on a change only.
        QSignalSpy tipSpy(&tray, &SystemTrayIcon::toolTipChanged);
        tray.setToolTip(QStringLiteral("Plit云台..."));
        tray.setToolTip(QStringLiteral("Plit云台..."));
        QCOMPARE(tipSpy.count(), 1);
        QCOMPARE(tray.trayIcon()->toolTip(), QStringLiteral("Plit云台..."));
    }

    void triggerFollowsClickAndDoubleClickOnly()
    {
        SystemTrayIcon tray;
        QSignalSpy spy(&tray, &SystemTrayIcon::trigger);
        tray.onActivated(QSystemTrayIcon::Trigger);
        QCOMPARE(spy.count(), 1);
        tray.onActivated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(spy.count(), 2);
        tray.onActivated(QSystemTrayIcon::Context);
        tray.onActivated(QSystemTrayIcon::MiddleClick);
        tray.onActivated(QSystemTrayIcon::Unknown);
        QCOMPARE(spy.count(), 2);
        // The real icon's signal drives the same rule.
        emit tray.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(spy.count(), 3);
    }

    void mainWindowTrayShowsWithItsMenuAndFollowsVisibility()
    {
        std::unique_ptr<QObject> root(load(QStringLiteral("tray.qml")));
        QVERIFY(root);
        auto *tray = root->property("tray").value<SystemTrayIcon *>();
        QVERIFY(tray);
        QVERIFY(tray->trayIcon()->isVisible());
        QVERIFY(!tray->trayIcon()->icon().isNull());
        QCOMPARE(tray->toolTip(), QStringLiteral("Plit云台..."));
        QVERIFY(tray->menu());
        QCOMPARE(tray->trayIcon()->contextMenu(), tray->menu()->menu());
        QCOMPARE(tray->menu()->menu()->actions().first()->text(), QStringLiteral("退出"));

        tray->setVisible(false);
        QVERIFY(!tray->trayIcon()->isVisible());
        tray->setVisible(true);
        QVERIFY(tray->trayIcon()->isVisible());

        tray->onActivated(QSystemTrayIcon::Trigger);
        QCOMPARE(root->property("triggers").toInt(), 1);
    }

    void exitActionHidesTheIconAndEndsTheEventLoopWithCodeZero()
    {
        std::unique_ptr<QObject> root(load(QStringLiteral("tray.qml")));
        QVERIFY(root);
        auto *tray = root->property("tray").value<SystemTrayIcon *>();
        QAction *exitAction = tray->menu()->menu()->actions().first();
        QTimer::singleShot(0, exitAction, &QAction::trigger);
        // A guard against a hang: a wrong code ends the loop instead.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!tray->trayIcon()->isVisible());
    }

    void exitFromTheTrayMenuEndsTheProgramWithCodeZero()
    {
        QProcess program;
        program.setProcessChannelMode(QProcess::SeparateChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TRAYRUNNER), {QStringLiteral(PLIT_SOURCE_DIR "/tests/desktop/data/tray.qml")});
        QVERIFY(program.waitForFinished(20000));
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(!errors.contains(QLatin1String(".qml")), qPrintable(errors));
    }

    void guardCatchesQmlWarnings()
    {
        QmlWarningGuard::setFailTests(false);
        QQmlComponent component(m_engine);
        component.setData("import QtQuick 2.15\nItem { Component.onCompleted: console.warn('careful') }",
                          QUrl(QStringLiteral("qrc:/guard.qml")));
        std::unique_ptr<QObject> root(component.create());
        QmlWarningGuard::setFailTests(true);
        const QStringList seen = QmlWarningGuard::takeMessages();
        QVERIFY2(seen.join(' ').contains(QStringLiteral("careful")), qPrintable(seen.join(' ')));
    }
};

PLIT_QML_GUARDED_TEST_MAIN(TestTrayMenu)

#include "tst_traymenu.moc"
