// CWindowSettings: what the tool remembers of its windows between runs.
#pragma once

#include <QSize>
#include <QString>

// Kept in the user's configuration folder (QStandardPaths, so tests and
// benchmarks can point it elsewhere), never beside the program: one INI file
// shared by every copy of the tool, whatever its executable is called.
class CWindowSettings
{
public:
    // <configuration folder>/kestavon-setup/kestavon-setup.ini
    static QString FilePath();
    // The size the window had when it last closed, or an invalid size.
    static QSize LoadSize(const QString &window);
    static void SaveSize(const QString &window, const QSize &size);
};
