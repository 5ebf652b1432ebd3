#pragma once

#include "qmlwarningguard.h"
#include "standinserver.h"
#include "testdatadir.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QAccessibleInterface;
class QImage;
class QQmlApplicationEngine;
class QQuickItem;
class QQuickWindow;

// The stand-in's demo account, with 23 companies.
inline const QString kDemoPhone = QStringLiteral("13800000002");
inline const QString kDemoPassword = QStringLiteral("Plit@2026");

// The whole interface in the test process, built as the program builds it at
// start ("qrc:/main.qml" with the backend RegisterEngine() publishes), against
// a stand-in platform server and in a data directory of its own. Log lines go
// to log.txt there; any QML warning fails the running test. A new one empties
// the interface settings, as on a machine where the program never ran.
//
// The helpers act as a person does: they find what the open windows show by
// its accessible name, its text or an input's hint, click in its middle, and
// type with the keyboard (Chinese text through the input method).
class PlitInterface
{
public:
    PlitInterface();
    ~PlitInterface();

    // Starts the interface: new backend objects, engine and main document;
    // Qt.quit() only emits the engine's quit(). Called again, it is a later
    // start: the last run's windows go, its files and settings stay. True
    // once the main window shows.
    bool start();

    StandInServer &server() { return m_server; }
    QString dataPath(const QString &name) const { return m_dataDir.filePath(name); }
    QString logText() const;
    // Installs a program as the uninstall entries record it, read at the next
    // start(): a script at `name` in the data directory, under the entry
    // `subkey`'s `value`. Run, it leaves "<name>.started".
    QString installProgram(const QString &subkey, const QString &name,
                           const QString &value = QStringLiteral("DisplayIcon")) const;
    bool programStarted(const QString &name) const;
    // The print helper, so that "我要开票" goes on to the companies.
    void installPrintHelper() const;
    QQmlApplicationEngine *engine() const { return m_engine.get(); }
    QQuickWindow *mainWindow() const;

    // The shown windows of the interface, the modal one first.
    static QList<QQuickWindow *> windows();
    static QQuickWindow *window(const QString &title);
    static bool waitForWindow(const QString &title, int timeoutMs = 5000);
    static bool waitForWindowGone(const QString &title, int timeoutMs = 5000);

    // The first shown item, on `window` or else on any shown window, whose
    // accessible name, text or hint is `name`; null when there is none.
    static QQuickItem *find(const QString &name, QQuickWindow *window = nullptr);
    // Every shown item so named (a tile and a button may share a name).
    static QList<QQuickItem *> findAll(const QString &name, QQuickWindow *window = nullptr);
    static QQuickItem *waitFor(const QString &name, int timeoutMs = 5000);

    // The shown items on `window` in the order they are drawn.
    static QList<QQuickItem *> shownItems(QQuickWindow *window);
    // The web views on `window`, and waiting until each has loaded its page
    // (false when there is none). Pages load in the web engine's own time.
    static QList<QQuickItem *> webViews(QQuickWindow *window);
    static bool waitForWebPages(QQuickWindow *window, int timeoutMs = 30000);

    // A left click in the middle of the item, as the mouse gives it.
    static void click(QQuickItem *item);
    static bool click(const QString &name);
    // Clicks into the input and replaces what it holds by `text`.
    static bool type(const QString &name, const QString &text);
    static void typeText(const QString &text);
    // A key pressed on the window that has the keyboard.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // What a screen reader does to press a control.
    static bool pressAccessibly(const QString &name);
    // Clicks the tile `name` on the main window's page (a tile and a button
    // may share a name: the tile is drawn later).
    bool clickTile(const QString &name) const;
    // "更多" on the main window, then its menu's `entry`.
    static bool clickInMenu(const QString &entry);

    // The password sign-in from the main window: "账号登录", the number and
    // password typed, "登录" clicked; whether it succeeds is for the caller.
    static bool submitSignIn(const QString &phone, const QString &password);
    // The same, and the sign-in window gone.
    static bool signIn(const QString &phone = kDemoPhone, const QString &password = kDemoPassword);
    // The message dialog every window warns with, once it shows `text`.
    static QQuickWindow *waitForWarning(const QString &text);

    // The accessible name and role of an item, as a screen reader reads them.
    static QString accessibleName(QQuickItem *item);
    static int accessibleRole(QQuickItem *item);

    // The item that has the keys on the window that has the keyboard, and
    // the name a screen reader says for it ("" for none).
    static QQuickItem *focused();
    static QString focusedName();
    // Presses `key`, says where the keys went and adds "Tab → 更多" to `journey`.
    static QString step(Qt::Key key, QStringList &journey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A report (a journey, a tree) on the test's output, not in its log.
    static void report(const QString &title, const QString &text);
    // What a screen reader would stumble on in the window's accessibility
    // tree: a control it can focus without a name, or with a role outside
    // those of the interface's controls; the keys on a hidden item.
    static QStringList accessibilityFaults(QQuickWindow *window);
    // The tree below `node` as a screen reader walks it, one node a line:
    // role, name, and the states that matter.
    static QString accessibilityTree(QAccessibleInterface *node, int depth = 0);
    // The widest band of pixels across `item`'s left edge (from 8 outside to
    // `inside`) that went from `before` to `after` to a contrast of 3:1 or more.
    // What the window shows now, drawn again (also offscreen).
    static QImage grab(QQuickWindow *window);
    static int focusRingWidth(const QImage &before, const QImage &after, QQuickItem *item, int inside = 0);

    // What the program sets up before its application object exists, and a
    // home and configuration folder that the test process has to itself.
    static void prepareProcess();

private:
    void stop();

    TestDataDir m_dataDir;
    StandInServer m_server;
    QtMessageHandler m_previousHandler = nullptr;
    std::unique_ptr<QmlWarningGuard> m_guard;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
};

// The base of a journey test: each test function starts the interface
// afresh, in a new data directory against a new stand-in.
class PlitJourney : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<PlitInterface> ui;

private slots:
    void init();
    void cleanup();
};

// The main of a test program that uses PlitInterface.
#define PLIT_INTERFACE_TEST_MAIN(TestObject) \
    PLIT_QML_GUARDED_TEST_MAIN_PREPARED(TestObject, PlitInterface::prepareProcess())
