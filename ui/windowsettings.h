// CWindowSettings: what the tool remembers of its windows between runs.
#pragma once

#include <QByteArray>
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
    // An opaque state a window keeps of one of its parts (a table's columns),
    // or an empty one.
    static QByteArray LoadState(const QString &window, const QString &part);
    static void SaveState(const QString &window, const QString &part, const QByteArray &state);
};
