#include "halvorinsetup101app.h"

#include <cstdio>

#include <unistd.h>

#include <QFileInfo>

#include "halvorinsetup101dlg.h"
#include "setupcommandline.h"
#include "singleinstance.h"

CHalvorinSetup101App::CHalvorinSetup101App(int &argc, char **argv) : QApplication(argc, argv) {}

QString CHalvorinSetup101App::ApplicationName(const char *argv0)
{
    return QFileInfo(QString::fromLocal8Bit(argv0)).completeBaseName();
}

int CHalvorinSetup101App::Run(int &argc, char **argv)
{
    if (const std::optional<QString> answer = CSetupCommandLine::Answer(argc, argv)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    CSingleInstance instance(ApplicationName(argc > 0 ? argv[0] : "kestavon-setup"));
    if (!instance.TryAcquire())
        return 0; // another copy runs

    PrepareEnvironment();
    CHalvorinSetup101App app(argc, argv);
    app.InitInstance();
    return 0;
}

void CHalvorinSetup101App::PrepareEnvironment()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's sandbox refuses to run as root; the tool is often started
    // that way to reach the players' network.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

bool CHalvorinSetup101App::InitInstance()
{
    CHalvorinSetup101Dlg dialog;
    dialog.exec();
    return false;
}
