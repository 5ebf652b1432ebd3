#include "desktop/scenegraphbackend.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <memory>

QString SceneGraphBackend::choose(const QString &setting)
{
    const QByteArray named = qgetenv("QT_QUICK_BACKEND");
    if (!named.isEmpty())
        return QString::fromLocal8Bit(named);
    const bool software = setting == QLatin1String("software")
        || (setting != QLatin1String("opengl") && isSoftwareRenderer(openGLRenderer()));
    if (!software)
        return QStringLiteral("opengl");
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    return QStringLiteral("software");
}

bool SceneGraphBackend::isSoftwareRenderer(const QByteArray &renderer)
{
    // Hardware drivers may name LLVM too ("AMD Radeon ... (radeonsi, LLVM
    // 15.0.6, ...)"): only the software rasterisers' own names count.
    const QByteArray name = renderer.toLower();
    static const char *const softwareNames[] = {
        "llvmpipe", "softpipe", "software rasterizer", "swiftshader",
        "gdi generic", "microsoft basic render",
    };
    for (const char *software : softwareNames) {
        if (name.contains(software))
            return true;
    }
    return name.startsWith("swr ") || name == "swr";
}

QByteArray SceneGraphBackend::openGLRenderer()
{
    // The web engine has already made the shared context; asking it costs
    // no second one.
    QOpenGLContext *context = QOpenGLContext::globalShareContext();
    std::unique_ptr<QOpenGLContext> own;
    if (!context) {
        own = std::make_unique<QOpenGLContext>();
        if (!own->create())
            return {};
        context = own.get();
    }
    QOffscreenSurface surface;
    surface.setFormat(context->format());
    surface.create();
    if (!surface.isValid() || !context->makeCurrent(&surface))
        return {};
    const auto *name = reinterpret_cast<const char *>(context->functions()->glGetString(GL_RENDERER));
    const QByteArray renderer(name ? name : "");
    context->doneCurrent();
    return renderer;
}
