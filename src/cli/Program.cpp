// SPDX-License-Identifier: GPL-3.0-or-later
// What the two programs of vantix share: their arguments, the hand-over from
// one to the other, and the run of a command.
#include "Cli.h"
#include "platform/ConsoleUiHost.h"
#include "shared/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace Cli {

QStringList programArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int execGuiProgram(char* argv[])
{
    // The kernel names this program's own file whatever link started it.
    const QString folder =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
    const QString places[] = {folder,
                              QDir::cleanPath(folder + QStringLiteral("/" VANTIX_GUI_FROM_BIN))};
    int error = ENOENT;
    for (const QString& place : places) {
        ::execv(QFile::encodeName(place + QStringLiteral("/vantix-gui")).constData(), argv);
        if (errno != ENOENT)
            error = errno;
    }
    std::fprintf(stderr,
                 "vantix: cannot start vantix-gui, which runs this command (looked in %s and "
                 "%s): %s\n",
                 qPrintable(places[0]), qPrintable(places[1]), std::strerror(error));
    return Failed;
}

int runProgram(const QStringList& args)
{
    QCoreApplication::setApplicationName(QStringLiteral("vantix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTIX_VERSION));
    Global::setApplicationTitle(QStringLiteral("vantix"));
    Platform::ConsoleUiHost host;
    Platform::setUiHost(&host);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = run(args, out, err, host);
    out.flush();
    err.flush();
    return status;
}

} // namespace Cli
