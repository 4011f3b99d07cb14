// SPDX-License-Identifier: GPL-3.0-or-later
// vantix-gui: the commands of vantix that ask the font database, which only a
// GUI application has, and the e-mail import, which needs the mail library;
// vantix hands them here. Any other command runs here the
// same way as in vantix.
#include "Cli.h"
#include "platform/Environment.h"
#include "shared/Fonts.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    const QStringList args = Cli::programArguments(argc, argv);
    Platform::prepareGuiEnvironment();
    QGuiApplication app(argc, argv);
    Global::useFontDatabase();
    Cli::mailImportCommand = Cli::mailImport;
    return Cli::runProgram(args);
}
