// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "platform/ConsoleUiHost.h"
#include "shared/Messages.h"

#include <QVariantList>

namespace Cli {

int stringsCommand(const QStringList& args, Context& context)
{
    const QString usage = QStringLiteral("Usage: vantix strings NUMBER [VALUE...]\n");
    if (wantsHelp(args)) {
        context.out << usage << "\n"
                    << "Prints string NUMBER of the string table with its inclusions expanded\n"
                    << "and the VALUEs in its placeholders (|1, |2, ... or |01, |02, ... from ten\n"
                    << "values on), as the user will see it.\n";
        return Ok;
    }
    if (args.isEmpty())
        return usageError(context, QStringLiteral("strings needs a string number"), usage);
    bool ok = false;
    const int number = args.first().toInt(&ok);
    if (!ok)
        return usageError(context, QStringLiteral("'%1' is not a string number").arg(args.first()),
                          usage);
    if (!openSettings(context))
        return Failed;
    QVariantList values;
    for (const QString& value : args.mid(1))
        values << value;
    const QString text = Global::ResolveRes(number, values);
    if (context.host.failed())
        return Failed;
    context.out << text << "\n";
    return finish(context);
}

} // namespace Cli
