#include "halvorinsetup101app.h"

#include <unistd.h>

#include <QFileInfo>

#include "halvorinsetup101dlg.h"
#include "singleinstance.h"

CHalvorinSetup101App::CHalvorinSetup101App(int &argc, char **argv) : QApplication(argc, argv) {}

void CHalvorinSetup101App::PrepareEnvironment()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's sandbox refuses to run as root; the tool is often started
    // that way to reach the players' network.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString CHalvorinSetup101App::ApplicationName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool CHalvorinSetup101App::InitInstance()
{
    CSingleInstance instance(ApplicationName());
    if (!instance.TryAcquire())
        return false; // another copy runs: end silently

    CHalvorinSetup101Dlg dialog;
    dialog.exec();
    return false;
}
