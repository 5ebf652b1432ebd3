#pragma once

#include <QByteArray>
#include <QString>

// Which renderer draws the interface's windows. Where OpenGL itself runs on
// the processor (Mesa's llvmpipe on a machine without a graphics driver, in
// a virtual machine or a remote session; Windows' own GDI Generic), Qt
// Quick's software renderer draws the same windows for far less: it
// compiles no shaders, keeps no second copy of each picture as a texture
// and repaints only what changed. With a graphics card, OpenGL draws them.
class SceneGraphBackend
{
public:
    // Picks the renderer for every window made from now on and says which
    // ("software" or "opengl"); call it once the application object exists
    // and before the first window. `setting` is the deployment's choice:
    // "software", "opengl" or "auto". A renderer the user named through
    // QT_QUICK_BACKEND is kept, and reported as such.
    static QString choose(const QString &setting);

    // Whether OpenGL's GL_RENDERER string names a renderer that runs on the
    // processor.
    static bool isSoftwareRenderer(const QByteArray &renderer);

    // GL_RENDERER of the shared OpenGL context (or of a context made for the
    // question); empty where no context can be made current.
    static QByteArray openGLRenderer();
};
