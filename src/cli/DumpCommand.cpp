// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/Dump.h"

namespace Cli {

int dumpCommand(const QStringList& args, Context& context)
{
    const QString usage = QStringLiteral("Usage: vantix dump FILE [--json]\n");
    if (wantsHelp(args)) {
        context.out << usage << "\n"
                    << "Prints every field of one of the suite's data files: an event file, a\n"
                    << "profile, a folder information file or the share file, recognised by\n"
                    << "its first bytes. Fields that the suite names appear under their names,\n"
                    << "others as f and their number within their record. Without --json, one\n"
                    << "field a line; with it, one JSON object (byte blocks as hex, lists as\n"
                    << "{\"lbound\": L, \"items\": [...]}).\n\n"
                    << "A file of another kind or version fails with a message. A file that\n"
                    << "ends early (or is damaged) is printed as far as it was read, and a\n"
                    << "line on stderr names the field where it stopped; the status is 1.\n";
        return Ok;
    }
    QString file;
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-"))
            return usageError(context, QStringLiteral("unknown option %1").arg(arg), usage);
        else if (file.isEmpty())
            file = arg;
        else
            return usageError(context, QStringLiteral("dump takes one file"), usage);
    }
    if (file.isEmpty())
        return usageError(context, QStringLiteral("dump needs a file"), usage);

    const DataFiles::DumpOutcome outcome = DataFiles::dumpDataFile(file, json);
    context.out << outcome.output;
    context.out.flush();
    if (!outcome.error.isEmpty()) {
        context.err << "vantix: " << outcome.error << "\n";
        return Failed;
    }
    return finish(context);
}

} // namespace Cli
