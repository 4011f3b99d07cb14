// SPDX-License-Identifier: GPL-3.0-or-later
// vantix: every command that needs no fonts runs here, in a Qt Core
// application; start-up is part of every scripted call.
#include "Cli.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    const QStringList args = Cli::programArguments(argc, argv);
    if (Cli::needsGui(args))
        return Cli::execGuiProgram(argv);
    QCoreApplication app(argc, argv);
    return Cli::runProgram(args);
}
