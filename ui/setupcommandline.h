#pragma once

#include <optional>

#include <QString>

// The desktop tool's only command-line options, --help and --version. They
// are answered before anything of the window system starts, so both work
// without a display; every other argument is left to Qt.
class CSetupCommandLine
{
public:
    // "kestavon-setup VERSION" and a line end.
    static QString Version();
    static QString Help();
    // The text to print before ending, or nothing to start the tool.
    static std::optional<QString> Answer(int argc, const char *const *argv);
};
