#pragma once

#include <QString>
#include <QStringList>

class CBrowserFactory;

// Finds and loads the browser library, once per process: the tool starts
// without the browser engine and pays for it only when a player's web page is
// first shown. Installed, the library sits in the tool's private library
// folder; in the build tree, beside the executable.
class CBrowserLoader
{
public:
    // The library's factory, loaded on the first call and kept for the life
    // of the process (the engine cannot be unloaded). Null with error set when
    // the library cannot be loaded; the next call tries again.
    static CBrowserFactory *Factory(QString *error);
    // Where the library is looked for, in this order.
    static QStringList Candidates();
    // Load the library from path only; empty brings the usual places back.
    static void SetLibraryPath(const QString &path);

private:
    static QString &LibraryPath();
};
