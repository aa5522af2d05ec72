#pragma once

#include <QApplication>

// The application: makes sure only one copy runs, then shows the main window
// until it is closed.
class CHalvorinSetup101App : public QApplication
{
    Q_OBJECT

public:
    CHalvorinSetup101App(int &argc, char **argv);

    // What has to be in place before the application object exists: the
    // browser engine shares its graphics context with the windows, and a
    // browser run by root needs its sandbox switched off.
    static void PrepareEnvironment();
    // The program's name: the executable's file name without extension.
    static QString ApplicationName();

    // Runs the tool. Always false: the program ends when the main window has
    // closed, or at once when another copy runs.
    bool InitInstance();
};
