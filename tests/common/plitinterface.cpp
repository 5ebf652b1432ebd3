#include "plitinterface.h"

#include "core/programnames.h"

#include "app/startup.h"
#include "core/deployment.h"
#include "core/logmessagehandler.h"
#include "desktop/scenegraphbackend.h"

#include <QAccessible>
#include <QImage>
#include <QKeySequence>
#include <QMetaEnum>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWebEngine>

#include <algorithm>
#include <cstdio>
#include <cmath>

namespace {

// An item that asks screen readers to pass over it (`Accessible.ignored`), such
// as the label inside a button: the button is what a reader names.
bool ignoredByReaders(QQuickItem *item)
{
    for (QObject *child : item->children()) {
        if (qstrcmp(child->metaObject()->className(), "QQuickAccessibleAttached") == 0)
            return child->property("ignored").toBool();
    }
    return false;
}

void collectShown(QQuickItem *item, QList<QQuickItem *> &shown)
{
    if (!item->isVisible() || item->opacity() <= 0)
        return;
    shown.append(item);
    for (QQuickItem *child : item->childItems())
        collectShown(child, shown);
}

// The shown items on `window` named so.
QList<QQuickItem *> findOn(QQuickWindow *window, const QString &name)
{
    const QList<QQuickItem *> shown = PlitInterface::shownItems(window);
    // A screen reader's name first: it tells a button from the text on it.
    for (const char *property : {static_cast<const char *>(nullptr), "text", "hint"}) {
        QList<QQuickItem *> found;
        for (QQuickItem *item : shown) {
            if (!property && ignoredByReaders(item))
                continue;
            if ((property ? item->property(property).toString() : PlitInterface::accessibleName(item)) == name)
                found.append(item);
        }
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QWindow *keyboardWindow()
{
    if (QWindow *modal = QGuiApplication::modalWindow())
        return modal;
    return QGuiApplication::focusWindow();
}

} // namespace

void PlitInterface::prepareProcess()
{
    PrepareProcess();
    // Lives as long as the process: Qt reads these folders once.
    static QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QDir(home.path()).filePath(QString::fromLatin1(name)).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    // Offscreen there is no OpenGL to draw with.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");

    ProgramNames::apply();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0.2"));
    QtWebEngine::initialize();
}

PlitInterface::PlitInterface()
{
    static bool registered = false;
    if (!registered) {
        RegisterTypeToQml();
        // The renderer plit itself would choose on this display.
        SceneGraphBackend::choose(Deployment::renderer());
        registered = true;
    }
    m_server.useAsPlatform();
    m_dataDir.makeCurrent();
    // As on a machine where the program never ran.
    QSettings interfaceSettings;
    interfaceSettings.clear();
    interfaceSettings.sync();

    // The program's own log file, and the guard beneath it.
    m_previousHandler = qInstallMessageHandler(logMessageHandler);
    m_guard = std::make_unique<QmlWarningGuard>();
}

PlitInterface::~PlitInterface()
{
    stop();
    m_guard.reset();
    qInstallMessageHandler(m_previousHandler);
}

void PlitInterface::stop()
{
    if (!m_engine)
        return;
    m_engine.reset();
    // Windows and the interface settings go when their objects are deleted.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    resetDefaultDatabase();
}

bool PlitInterface::start()
{
    stop();
    m_engine = std::make_unique<QQmlApplicationEngine>();
    QmlWarningGuard::watch(m_engine.get());
    // Qt.quit() ends the program, not the test process (it would stop every
    // event loop the test runs afterwards): tests watch the engine's quit().
    QObject::disconnect(m_engine.get(), &QQmlEngine::quit, QCoreApplication::instance(), nullptr);
    QObject::disconnect(m_engine.get(), &QQmlEngine::exit, QCoreApplication::instance(), nullptr);
    RegisterEngine(*m_engine);
    m_engine->load(QUrl(QStringLiteral("qrc:/main.qml")));
    QQuickWindow *main = mainWindow();
    return main && QTest::qWaitForWindowExposed(main);
}

void PlitJourney::init()
{
    ui = std::make_unique<PlitInterface>();
    QVERIFY(ui->server().isRunning());
    QVERIFY(ui->start());
}

void PlitJourney::cleanup()
{
    ui.reset();
    qunsetenv("PLIT_REQUEST_TIMEOUT_MS");
}

QString PlitInterface::logText() const
{
    return QString::fromLocal8Bit(m_dataDir.read(QStringLiteral("log.txt")));
}

QString PlitInterface::installProgram(const QString &subkey, const QString &name, const QString &value) const
{
    const QString program = m_dataDir.writeProgram(name, "#!/bin/sh\nprintf '%s' \"$*\" > \"$0.started\"\n");
    QSettings entries(dataPath(QStringLiteral("uninstall.ini")), QSettings::IniFormat);
    entries.setIniCodec("UTF-8");
    entries.setValue(subkey + QLatin1Char('/') + value, program);
    return program;
}

bool PlitInterface::programStarted(const QString &name) const
{
    return QFile::exists(dataPath(name + QStringLiteral(".started")));
}

void PlitInterface::installPrintHelper() const
{
    installProgram(QStringLiteral("Vanta打印助手升级版"), QStringLiteral("printhelper/prnhelper"));
}

QQuickWindow *PlitInterface::mainWindow() const
{
    if (!m_engine || m_engine->rootObjects().isEmpty())
        return nullptr;
    return qobject_cast<QQuickWindow *>(m_engine->rootObjects().first());
}

QList<QQuickWindow *> PlitInterface::windows()
{
    QList<QQuickWindow *> shown;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        auto *quick = qobject_cast<QQuickWindow *>(window);
        if (!quick || !quick->isVisible())
            continue;
        if (window == QGuiApplication::modalWindow())
            shown.prepend(quick);
        else
            shown.append(quick);
    }
    return shown;
}

QQuickWindow *PlitInterface::window(const QString &title)
{
    for (QQuickWindow *window : windows()) {
        if (window->title() == title)
            return window;
    }
    return nullptr;
}

bool PlitInterface::waitForWindow(const QString &title, int timeoutMs)
{
    return QTest::qWaitFor([&] {
        QQuickWindow *shown = window(title);
        return shown && shown->isExposed();
    }, timeoutMs);
}

bool PlitInterface::waitForWindowGone(const QString &title, int timeoutMs)
{
    return QTest::qWaitFor([&] { return window(title) == nullptr; }, timeoutMs);
}

bool PlitInterface::submitSignIn(const QString &phone, const QString &password)
{
    return click(QStringLiteral("账号登录")) && waitForWindow(QStringLiteral("登录"))
        && type(QStringLiteral("请输入手机号"), phone) && type(QStringLiteral("请输入密码"), password)
        && click(QStringLiteral("登录"));
}

bool PlitInterface::signIn(const QString &phone, const QString &password)
{
    return submitSignIn(phone, password) && waitForWindowGone(QStringLiteral("登录"));
}

bool PlitInterface::clickTile(const QString &name) const
{
    const QList<QQuickItem *> named = findAll(name, mainWindow());
    if (named.isEmpty())
        return false;
    click(named.last());
    return true;
}

bool PlitInterface::clickInMenu(const QString &entry)
{
    return click(QStringLiteral("更多")) && waitFor(entry) && click(entry);
}

QQuickWindow *PlitInterface::waitForWarning(const QString &text)
{
    const QString title = QStringLiteral("Plit提示");
    if (!waitForWindow(title))
        return nullptr;
    QQuickWindow *dialog = window(title);
    return find(text, dialog) ? dialog : nullptr;
}

QQuickItem *PlitInterface::find(const QString &name, QQuickWindow *window)
{
    return findAll(name, window).value(0);
}

QList<QQuickItem *> PlitInterface::findAll(const QString &name, QQuickWindow *window)
{
    QList<QQuickItem *> found;
    for (QQuickWindow *shown : window ? QList<QQuickWindow *>{window} : windows())
        found += findOn(shown, name);
    return found;
}

QList<QQuickItem *> PlitInterface::shownItems(QQuickWindow *window)
{
    QList<QQuickItem *> shown;
    collectShown(window->contentItem(), shown);
    return shown;
}

QList<QQuickItem *> PlitInterface::webViews(QQuickWindow *window)
{
    // Pages made by loaders are not the QObject children of the window's
    // items: walk what is drawn.
    QList<QQuickItem *> views;
    QList<QQuickItem *> pending{window->contentItem()};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (item->inherits("QQuickWebEngineView"))
            views.append(item);
        pending += item->childItems();
    }
    return views;
}

bool PlitInterface::waitForWebPages(QQuickWindow *window, int timeoutMs)
{
    return QTest::qWaitFor([&] {
        const QList<QQuickItem *> views = webViews(window);
        for (QQuickItem *view : views) {
            if (view->property("loading").toBool() || view->property("loadProgress").toInt() < 100)
                return false;
        }
        return !views.isEmpty();
    }, timeoutMs);
}

QQuickItem *PlitInterface::waitFor(const QString &name, int timeoutMs)
{
    QQuickItem *item = nullptr;
    (void)QTest::qWaitFor([&] { return (item = find(name)) != nullptr; }, timeoutMs);
    return item;
}

void PlitInterface::click(QQuickItem *item)
{
    QQuickWindow *window = item->window();
    // A window manager gives the keyboard to the window a person clicks into.
    QWindow *modal = QGuiApplication::modalWindow();
    if (QGuiApplication::focusWindow() != window && (!modal || modal == window)) {
        window->requestActivate();
        // A window that does not become active still takes the click.
        (void)QTest::qWaitForWindowActive(window, 1000);
    }
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

bool PlitInterface::click(const QString &name)
{
    QQuickItem *item = find(name);
    if (!item)
        return false;
    click(item);
    return true;
}

bool PlitInterface::type(const QString &name, const QString &text)
{
    QQuickItem *item = find(name);
    if (!item)
        return false;
    click(item);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_Backspace);
    typeText(text);
    return true;
}

void PlitInterface::typeText(const QString &text)
{
    QWindow *window = keyboardWindow();
    if (!window)
        return;
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(window, c.toLatin1());
        } else if (QObject *target = QGuiApplication::focusObject()) {
            // What an input method hands over once a word is chosen.
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(target, &commit);
        }
    }
}

void PlitInterface::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    const QPointer<QWindow> window = keyboardWindow();
    if (!window)
        return;
    QTest::keyPress(window, key, modifiers);
    // The press may close the window, and a window made on first use is
    // freed once it has closed: then there is nothing to release the key on.
    if (window)
        QTest::keyRelease(window, key, modifiers);
}

bool PlitInterface::pressAccessibly(const QString &name)
{
    QQuickItem *item = find(name);
    QAccessibleInterface *accessible = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
    QAccessibleActionInterface *actions = accessible ? accessible->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

QString PlitInterface::accessibleName(QQuickItem *item)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

int PlitInterface::accessibleRole(QQuickItem *item)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
    return accessible ? accessible->role() : QAccessible::NoRole;
}

QQuickItem *PlitInterface::focused()
{
    auto *window = qobject_cast<QQuickWindow *>(keyboardWindow());
    return window ? window->activeFocusItem() : nullptr;
}

QString PlitInterface::focusedName()
{
    QQuickItem *item = focused();
    return item ? accessibleName(item) : QString();
}

QString PlitInterface::step(Qt::Key key, QStringList &journey, Qt::KeyboardModifiers modifiers)
{
    press(key, modifiers);
    QTest::qWait(50);
    const QString name = focusedName();
    journey << QKeySequence(int(key) | int(modifiers)).toString() + QStringLiteral(" → ") + name;
    return name;
}

void PlitInterface::report(const QString &title, const QString &text)
{
    std::fprintf(stdout, "%s:\n%s\n", qPrintable(title), qPrintable(text));
    std::fflush(stdout);
}

QStringList PlitInterface::accessibilityFaults(QQuickWindow *window)
{
    // The roles of the interface's controls, and of what a person can read.
    static const QList<QAccessible::Role> roles = {
        QAccessible::Button, QAccessible::PageTab, QAccessible::ListItem, QAccessible::CheckBox,
        QAccessible::RadioButton, QAccessible::EditableText, QAccessible::Link, QAccessible::MenuItem,
        QAccessible::ComboBox, QAccessible::WebDocument, QAccessible::Dialog, QAccessible::List};
    QStringList faults;
    QList<QAccessibleInterface *> pending{QAccessible::queryAccessibleInterface(window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface *node = pending.takeFirst();
        if (!node || !node->isValid())
            continue;
        const QAccessible::State state = node->state();
        if (state.invisible)
            continue;
        const QString name = node->text(QAccessible::Name);
        if (state.focusable && node->role() != QAccessible::Window) {
            if (name.trimmed().isEmpty())
                faults << QStringLiteral("an unnamed control of role %1").arg(node->role());
            if (!roles.contains(node->role()))
                faults << QStringLiteral("%1: role %2").arg(name).arg(node->role());
        }
        // A web page's own tree is the page's business.
        if (node->object() && node->object()->inherits("QQuickWebEngineView"))
            continue;
        for (int i = 0; i < node->childCount(); ++i)
            pending << node->child(i);
    }
    if (window->isActive()) {
        QQuickItem *focus = window->activeFocusItem();
        if (!focus || focus == window->contentItem())
            faults << QStringLiteral("no control has the keys");
        else if (!focus->isVisible() || focus->width() <= 0 || focus->height() <= 0)
            faults << QStringLiteral("the keys are on the hidden %1").arg(accessibleName(focus));
    }
    return faults;
}

QString PlitInterface::accessibilityTree(QAccessibleInterface *node, int depth)
{
    if (!node || !node->isValid() || depth > 40)
        return QString();
    const QAccessible::State state = node->state();
    const QString states = QLatin1String(state.focusable ? " focusable" : "") + QLatin1String(state.focused ? " focused" : "")
        + QLatin1String(state.disabled ? " disabled" : "") + QLatin1String(state.invisible ? " invisible" : "");
    const QString role = QString::fromLatin1(
        QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()));
    QString line = QString(depth * 2, QLatin1Char(' ')) + role + QStringLiteral(" \"")
        + node->text(QAccessible::Name) + QLatin1Char('"');
    if (!states.isEmpty())
        line += QStringLiteral(" [") + states.trimmed() + QLatin1Char(']');
    QString tree = line + QLatin1Char('\n');
    for (int i = 0; i < node->childCount(); ++i)
        tree += accessibilityTree(node->child(i), depth + 1);
    return tree;
}

QImage PlitInterface::grab(QQuickWindow *window)
{
    const QSharedPointer<QQuickItemGrabResult> result = window->contentItem()->grabToImage();
    if (!result)
        return QImage();
    bool ready = false;
    QObject::connect(result.data(), &QQuickItemGrabResult::ready, [&ready] { ready = true; });
    (void)QTest::qWaitFor([&] { return ready; }, 5000);
    return result->image();
}

int PlitInterface::focusRingWidth(const QImage &before, const QImage &after, QQuickItem *item, int inside)
{
    const qreal ratio = after.devicePixelRatio();
    const QPointF mid = item->mapToScene(QPointF(0, item->height() / 2));
    const int y = qRound(mid.y() * ratio);
    const int edge = qRound(mid.x() * ratio);
    // The contrast ratio of two colours, as WCAG reckons it.
    const auto luminance = [](QRgb rgb) {
        double sum = 0;
        for (const auto &[value, weight] : {QPair<int, double>{qRed(rgb), 0.2126}, {qGreen(rgb), 0.7152},
                                            {qBlue(rgb), 0.0722}}) {
            const double c = value / 255.0;
            sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    int widest = 0;
    int run = 0;
    for (int x = std::max(0, edge - 8); x < std::min(after.width(), edge + inside + 1); ++x) {
        const double a = luminance(before.pixel(x, y));
        const double b = luminance(after.pixel(x, y));
        run = std::max(a, b) / std::min(a, b) >= 3.0 ? run + 1 : 0;
        widest = std::max(widest, run);
    }
    return widest;
}
