#pragma once

#include <QString>

// The texts that tell how to call the program.
class CCliUsage
{
public:
    static QString ProgramName();
    // The command synopsis, shown after a usage error.
    static QString Synopsis();
    // "kestavon-cli VERSION" and a line end.
    static QString Version();
    // Everything: synopsis, commands, options, output, exit status, examples.
    static QString Help();
};
