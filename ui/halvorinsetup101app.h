// CHalvorinSetup101App: the application object: command line, single instance, start-up.
#pragma once

#include <QApplication>
#include <QString>

// The application: makes sure only one copy runs, then shows the main window
// until it is closed.
class CHalvorinSetup101App : public QApplication
{
    Q_OBJECT

public:
    CHalvorinSetup101App(int &argc, char **argv);

    // The whole program: a second copy ends at once, before it has opened a
    // window or anything else, so it ends silently; the first runs the tool.
    static int Run(int &argc, char **argv);
    // The program's name: the executable's file name without extension.
    static QString ApplicationName(const char *argv0);

    // Shows the main window until it closes. Always false: the program ends
    // then.
    bool InitInstance();

private:
    // What has to be in place before the application object exists: the
    // browser engine shares its graphics context with the windows, and a
    // browser run by root needs its sandbox switched off.
    static void PrepareEnvironment();
};
