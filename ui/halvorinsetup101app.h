// CHalvorinSetup101App: the application object: command line, single instance, start-up.
#pragma once

#include <QApplication>
#include <QString>

#include "instancechannel.h"

// The application: makes sure only one copy runs, then shows the main window
// until it is closed.
class CHalvorinSetup101App : public QApplication
{
    Q_OBJECT

public:
    // Names a private single instance in place of the program's name, so a
    // copy started for a measurement or a test neither meets nor disturbs
    // the user's own copy.
    static constexpr const char *INSTANCE_VARIABLE = "KESTAVON_SETUP_INSTANCE";
    // Leaves room in a socket path, whose length is limited.
    static constexpr int MAX_INSTANCE_NAME = 64;

    CHalvorinSetup101App(int &argc, char **argv);

    // The whole program: a second copy asks the first to show its window and
    // ends at once, before it has opened a window of its own, so it ends
    // silently; the first runs the tool. A copy that cannot take the lock for
    // any other reason says why and ends with 1.
    static int Run(int &argc, char **argv);
    // The program's name: the executable's file name without extension.
    static QString ApplicationName(const char *argv0);
    // The single instance's name: the program's, unless INSTANCE_VARIABLE
    // names another. Empty when that name is unfit for a file name.
    static QString InstanceName(const char *argv0);
    // What has to be in place before the application object exists: how the
    // browser engine will draw, and a browser run by root needs its sandbox
    // switched off.
    static void PrepareEnvironment(int argc, char **argv);
    // Says on stderr, and in a box when there is a display, why this copy
    // cannot run: its lock is in the way of another user, or has no private
    // place.
    static void ReportRefusal(int &argc, char **argv, const QString &text);
    // The box, once an application object exists.
    static void ShowRefusal(const QString &text);
    // Brings window to the front of the desktop, restored if minimised.
    static void BringToFront(QWidget *window);

    // Takes requests of later copies at path.
    void ListenForOtherCopies(const QString &path);
    // Shows the main window until it closes. Always false: the program ends
    // then.
    bool InitInstance();

private:
    CInstanceChannel m_channel;
};
