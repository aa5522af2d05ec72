#include "halvorinsetup101app.h"

#include <cstdio>

#include <unistd.h>

#include <QFileInfo>

#include "halvorinsetup101dlg.h"
#include "messagebox.h"
#include "renderingchoice.h"
#include "setupcommandline.h"
#include "singleinstance.h"

CHalvorinSetup101App::CHalvorinSetup101App(int &argc, char **argv) : QApplication(argc, argv) {}

QString CHalvorinSetup101App::ApplicationName(const char *argv0)
{
    return QFileInfo(QString::fromLocal8Bit(argv0)).completeBaseName();
}

QString CHalvorinSetup101App::InstanceName(const char *argv0)
{
    const QString chosen = qEnvironmentVariable(INSTANCE_VARIABLE);
    if (chosen.isEmpty())
        return ApplicationName(argv0);
    // It becomes part of file names in shared folders.
    if (chosen.size() > MAX_INSTANCE_NAME || chosen.startsWith(QLatin1Char('.')))
        return {};
    for (const QChar c : chosen) {
        const bool fit = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                         (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                         (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                         c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('-');
        if (!fit)
            return {};
    }
    return chosen;
}

int CHalvorinSetup101App::Run(int &argc, char **argv)
{
    if (const std::optional<QString> answer = CSetupCommandLine::Answer(argc, argv)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    const QString name = InstanceName(argc > 0 ? argv[0] : "kestavon-setup");
    if (name.isEmpty()) {
        std::fprintf(stderr,
                     "kestavon-setup: %s may hold only up to %d letters, digits, '.', '_' and "
                     "'-', and may not begin with '.'\n",
                     INSTANCE_VARIABLE, MAX_INSTANCE_NAME);
        return 2;
    }
    CSingleInstance instance(name);
    switch (instance.Acquire()) {
    case CSingleInstance::EOutcome::Acquired:
        break;
    case CSingleInstance::EOutcome::AnotherCopyRuns: {
        // Another copy of this user's runs: it shows itself, this one goes
        // without a word.
        QCoreApplication app(argc, argv);
        CInstanceChannel::AskToShow(CSingleInstance::ChannelPathFor(name));
        return 0;
    }
    case CSingleInstance::EOutcome::Refused:
        ReportRefusal(argc, argv, instance.ErrorText());
        return 1;
    }

    PrepareEnvironment(argc, argv);
    CHalvorinSetup101App app(argc, argv);
    app.ListenForOtherCopies(CSingleInstance::ChannelPathFor(name));
    app.InitInstance();
    return 0;
}

void CHalvorinSetup101App::ReportRefusal(int &argc, char **argv, const QString &text)
{
    std::fprintf(stderr, "kestavon-setup: %s\n", text.toLocal8Bit().constData());
    // Started from a desktop, the user sees no terminal; without a display
    // (ssh, a service) there is none to show a box on.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    QApplication app(argc, argv);
    ShowRefusal(text);
}

void CHalvorinSetup101App::ShowRefusal(const QString &text)
{
    CMessageBox::Show(text);
}

void CHalvorinSetup101App::PrepareEnvironment(int argc, char **argv)
{
    CRenderingChoice::Decide(argc, argv);
    // The browser's sandbox refuses to run as root; the tool is often started
    // that way to reach the players' network.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void CHalvorinSetup101App::ListenForOtherCopies(const QString &path)
{
    // Without the channel a second copy still ends; it only cannot show this one.
    m_channel.Listen(path);
}

void CHalvorinSetup101App::BringToFront(QWidget *window)
{
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

bool CHalvorinSetup101App::InitInstance()
{
    CHalvorinSetup101Dlg dialog;
    connect(&m_channel, &CInstanceChannel::ShowRequested, &dialog,
            [&dialog] { BringToFront(&dialog); });
    dialog.exec();
    return false;
}
