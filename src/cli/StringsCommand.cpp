// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "platform/ConsoleUiHost.h"
#include "shared/Messages.h"

#include <QVariantList>

#include <algorithm>

namespace Cli {

int stringsCommand(const QStringList& args, Context& context)
{
    const QString usage = QStringLiteral("Usage: vantix strings NUMBER [VALUE...]\n");
    if (wantsHelp(args)) {
        context.out << usage << "\n"
                    << "Prints string NUMBER of the string table with its inclusions expanded\n"
                    << "and the VALUEs in its placeholders (|1, |2, ... or |01, |02, ... from ten\n"
                    << "values on), as the user will see it. No settings file is needed.\n";
        return Ok;
    }
    if (args.isEmpty())
        return usageError(context, QStringLiteral("strings needs a string number"), usage);
    // Digits only: the table's numbers are never negative.
    const QString& given = args.first();
    bool ok = !given.isEmpty() && std::all_of(given.begin(), given.end(), [](QChar c) {
        return c.isDigit() && c.unicode() < 128;
    });
    const int number = ok ? given.toInt(&ok) : 0;
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
