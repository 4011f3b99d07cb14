// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "platform/ConsoleUiHost.h"
#include "platform/Environment.h"
#include "shared/Messages.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    // Fonts and text documents need a GUI application, display or not.
    Platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTIX_VERSION));

    Global::setApplicationTitle(QStringLiteral("vantix"));
    Platform::ConsoleUiHost host;
    Platform::setUiHost(&host);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = Cli::run(app.arguments().mid(1), out, err, host);
    out.flush();
    err.flush();
    return status;
}
