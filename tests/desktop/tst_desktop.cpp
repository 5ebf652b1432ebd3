#include "app/startup.h"
#include "desktop/dpi.h"
#include "desktop/myaction.h"
#include "desktop/mymenu.h"
#include "desktop/scenegraphbackend.h"
#include "desktop/systemfunction.h"
#include "desktop/systemtrayicon.h"
#include "common/qmlwarningguard.h"
#include "urlcatcher.h"

#include <QMenu>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <sys/statvfs.h>

// The tray icon and its menus ("an.utility"), declared in QML as the main
// window declares them; the desktop's disk, folders and screen
// as the interface reaches them.
class TestDesktop : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QmlWarningGuard> m_guard;
    QQmlEngine *m_engine = nullptr;

private slots:
    void initTestCase()
    {
        m_guard = std::make_unique<QmlWarningGuard>();
        RegisterTypeToQml();
        m_engine = new QQmlEngine(this);
        QmlWarningGuard::watch(m_engine);
    }

    void trayShowsItsMenuTriggersOnAClickAndExits()
    {
        QQmlComponent component(m_engine, QUrl::fromLocalFile(PLIT_SOURCE_DIR "/tests/desktop/data/tray.qml"));
        std::unique_ptr<QObject> root(component.create());
        QVERIFY2(root, qPrintable(component.errorString()));
        auto *tray = root->property("tray").value<SystemTrayIcon *>();
        // The tray comes up once the event loop runs, with its icon.
        QVERIFY(!tray->trayIcon()->isVisible());
        QTRY_VERIFY(tray->trayIcon()->isVisible());
        QVERIFY(!tray->trayIcon()->icon().isNull());
        QCOMPARE(tray->trayIcon()->toolTip(), QStringLiteral("Plit云台..."));
        QCOMPARE(tray->trayIcon()->contextMenu(), tray->menu()->menu());

        // Entries in declaration order; the action renamed in QML is left out.
        const QList<QAction *> actions = tray->menu()->menu()->actions();
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("打开"));
        QVERIFY(actions.at(1)->isSeparator());
        QVERIFY(actions.at(2)->menu());
        QCOMPARE(actions.at(2)->menu()->actions().size(), 1);
        QCOMPARE(actions.at(2)->menu()->actions().first()->text(), QStringLiteral("子项"));
        QCOMPARE(actions.at(3)->text(), QStringLiteral("退出"));
        // Added later: only real entries, never the menu itself.
        MyAction late;
        tray->menu()->addAction(nullptr);
        tray->menu()->addMenu(tray->menu());
        tray->menu()->addSeparator();
        tray->menu()->addAction(&late);
        const QList<QAction *> grown = tray->menu()->menu()->actions();
        QCOMPARE(grown.size(), 6);
        QVERIFY(grown.at(4)->isSeparator());
        QCOMPARE(grown.at(5), &late);

        // A click or a double click triggers; the context menu opens by itself.
        for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                                  QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
            emit tray->trayIcon()->activated(reason);
        QCOMPARE(root->property("triggers").toInt(), 2);

        // "退出" takes the icon away and ends the event loop with 0; a
        // wrong code ends it instead of a hang.
        QTimer::singleShot(0, actions.last(), &QAction::trigger);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!tray->trayIcon()->isVisible());
    }

    void iconSourcesReachTheIcon()
    {
        MyAction action;
        action.setIcon(QUrl(QStringLiteral("qrc:/images/app.ico")));
        QTRY_VERIFY(!action.QAction::icon().isNull());

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("tile.png"));
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(file));
        SystemTrayIcon tray;
        tray.setIcon(QUrl::fromLocalFile(file));
        QCOMPARE(tray.trayIcon()->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
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

    void diskSizeIsTheVolumesFreeSpaceInWholeGibibytesOrZero()
    {
        QTemporaryDir dir;
        struct statvfs volume;
        QCOMPARE(statvfs(QFile::encodeName(dir.path()).constData(), &volume), 0);
        const qint64 expected = qint64((quint64(volume.f_bfree) * volume.f_frsize) >> 30);
        SystemFunction system;
        // The figures may move by a block while we look, never by a gibibyte.
        QVERIFY(qAbs(qint64(system.getDiskSize(dir.path())) - expected) <= 1);
        // A missing path has no volume, not the current directory's.
        QCOMPARE(system.getDiskSize(dir.filePath(QStringLiteral("no/such/place"))), quint64(0));
        QCOMPARE(system.getDiskSize(QString()), quint64(0));
    }

    void openDirectoryOpensTheAbsolutePathAsAFileUrl()
    {
        UrlCatcher catcher(QStringLiteral("file"));
        const QString path = QStringLiteral("/tmp/下载 #1?%");
        SystemFunction().openDirectory(path);
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), path);
    }

    // What GL_RENDERER says on machines in use: only a rasteriser that runs
    // on the processor gives the interface to the software renderer.
    void softwareRasterisersAreKnownByName_data()
    {
        QTest::addColumn<QByteArray>("renderer");
        QTest::addColumn<bool>("software");
        QTest::newRow("llvmpipe") << QByteArray("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
        QTest::newRow("softpipe") << QByteArray("softpipe") << true;
        QTest::newRow("swrast") << QByteArray("Software Rasterizer") << true;
        QTest::newRow("windows without a driver") << QByteArray("GDI Generic") << true;
        QTest::newRow("warp") << QByteArray("ANGLE (Microsoft Basic Render Driver Direct3D11 vs_5_0 ps_5_0)") << true;
        QTest::newRow("radeon names llvm") << QByteArray("AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)") << false;
        QTest::newRow("intel") << QByteArray("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << false;
        QTest::newRow("nvidia") << QByteArray("NVIDIA GeForce GTX 1650/PCIe/SSE2") << false;
        QTest::newRow("vmware") << QByteArray("SVGA3D; build: RELEASE;  LLVM;") << false;
        QTest::newRow("no context") << QByteArray() << false;
    }

    void softwareRasterisersAreKnownByName()
    {
        QFETCH(QByteArray, renderer);
        QFETCH(bool, software);
        QCOMPARE(SceneGraphBackend::isSoftwareRenderer(renderer), software);
    }

    // A renderer the user named wins over the deployment's setting.
    void theUsersRendererIsKept()
    {
        qputenv("QT_QUICK_BACKEND", "software");
        QCOMPARE(SceneGraphBackend::choose(QStringLiteral("opengl")), QStringLiteral("software"));
        qunsetenv("QT_QUICK_BACKEND");
    }

    void dpFactorCountsWholeStepsOf1920Pixels()
    {
        const QList<QPair<int, float>> steps{{1366, 0}, {1919, 0}, {1920, 1}, {3839, 1}, {3840, 2}};
        for (const auto &step : steps)
            QCOMPARE(Dpi::factorForWidth(step.first), step.second);
    }
};

PLIT_QML_GUARDED_TEST_MAIN(TestDesktop)

#include "tst_desktop.moc"
