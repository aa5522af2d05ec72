#include <cstdio>

#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "cliapplication.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CCliApplication cli(out, err, STDIN_FILENO, ::isatty(STDERR_FILENO) != 0);
    const int status = cli.Run(app.arguments().mid(1));
    out.flush();
    err.flush();
    return status;
}
