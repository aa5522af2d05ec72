#include "renderingchoice.h"

#include <cstring>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QSurfaceFormat>

#include <private/qopenglcontext_p.h>

namespace {

// Platforms without OpenGL. Every other one has it, on graphics hardware
// or emulated (a virtual X display's), and the engine draws best with it:
// drawing in software, it warns that it found no graphics back end.
constexpr const char *SOFTWARE_PLATFORMS[] = {"offscreen", "minimal", "vnc", "linuxfb"};
const QByteArray kDisableGpu = QByteArrayLiteral("--disable-gpu");

QByteArray PlatformName(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return QByteArray(argv[i + 1]);
    }
    return qgetenv("QT_QPA_PLATFORM");
}

} // namespace

bool &CRenderingChoice::Software()
{
    static bool software = false;
    return software;
}

bool CRenderingChoice::IsSoftware()
{
    return Software();
}

bool CRenderingChoice::DecideSoftware(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return qgetenv("QT_QUICK_BACKEND") == "software";
    // The platform name may carry options after a colon.
    const QByteArray platform = PlatformName(argc, argv).split(':').first();
    for (const char *name : SOFTWARE_PLATFORMS) {
        if (platform == name)
            return true;
    }
    return false;
}

void CRenderingChoice::Decide(int argc, char **argv)
{
    Software() = DecideSoftware(argc, argv);
    if (!Software())
        return;
    // The engine's pages are drawn into images, and its own processes do not
    // look for a GPU that is not there.
    qputenv("QT_QUICK_BACKEND", "software");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", kDisableGpu);
}

void CRenderingChoice::PrepareForEngine()
{
    // The engine reports its whole configuration as it starts; the user's
    // own logging rules still win over this one.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    if (qt_gl_global_share_context())
        return;
    // What the engine makes itself when it is linked with the program, and
    // what it takes for granted when it is loaded later: the context that
    // its own contexts and the windows' share. Drawing in software it is
    // never made current, and failing to create it is no fault then.
    // Qt::AA_ShareOpenGLContexts stands for the same thing but may only be
    // set before the application object exists, where it would cost every
    // run the context's creation.
    auto *context = new QOpenGLContext(QCoreApplication::instance());
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (!Software())
        context->create();
    qt_gl_set_global_share_context(context);
}
