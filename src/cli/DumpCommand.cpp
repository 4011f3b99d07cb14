// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/DumpTree.h"
#include "index/TaskFile.h"
#include "index/Verify.h"

namespace Cli {
namespace {

using DataFiles::DumpNode;

QString number(qint64 value)
{
    return QString::number(value);
}

// An index file by its counts; its entries are far too many to list.
QString dumpIndex(QByteArrayView bytes, qint64, DumpNode& root)
{
    const Indexing::IndexSummary summary = Indexing::summarizeIndex(Indexing::BytesSource(bytes));
    root.add(QStringLiteral("flag"), DumpNode::number(number(summary.flag)));
    root.add(QStringLiteral("cells"), DumpNode::number(number(summary.cells)));
    root.add(QStringLiteral("records"), DumpNode::number(number(summary.records)));
    root.add(QStringLiteral("entries"), DumpNode::number(number(summary.entries)));
    if (summary.damage.isEmpty())
        return {};
    QString problem = QStringLiteral("the index is damaged: ") + summary.damage[0].description;
    if (summary.damage.size() > 1)
        problem += QStringLiteral(" (and %1 more; 'vantix index verify' lists them)")
                       .arg(summary.damage.size() - 1);
    return problem;
}

// The task file: its tasks one after another up to the end of the file.
QString dumpTasks(QByteArrayView bytes, qint64 position, DumpNode& root)
{
    DumpNode tasks{DumpNode::Array, {}, 0, {}, {}};
    QString problem;
    for (int i = 0; position <= bytes.size() && problem.isEmpty(); ++i) {
        const DataFiles::RecordDump read = DataFiles::dumpRecord<Indexing::IndexTask>(
            bytes, position, QStringLiteral("tasks[%1]").arg(i), tasks);
        problem = read.problem;
        position = read.next;
    }
    root.add(QStringLiteral("tasks"), std::move(tasks));
    return problem;
}

} // namespace

int dumpCommand(const QStringList& args, Context& context)
{
    const QString usage = QStringLiteral("Usage: vantix dump FILE [--json]\n");
    if (wantsHelp(args)) {
        context.out << usage << "\n"
                    << "Prints every field of one of the suite's data files: an event file, a\n"
                    << "profile, a folder information file, the share file, the international\n"
                    << "database, the index task file or a postcode address file (its header\n"
                    << "and users), recognised by its first bytes. Fields that the suite names\n"
                    << "appear under their names, others as f and their number within their\n"
                    << "record.\n"
                    << "Without --json, one field a line; with it, one JSON object (byte blocks\n"
                    << "as hex, lists as {\"lbound\": L, \"items\": [...]}). An index file is\n"
                    << "summed up: its maintenance flag and how many cells, records and\n"
                    << "entries it holds.\n\n"
                    << "A file of another kind or version fails with a message. A file that\n"
                    << "ends early (or is damaged) is printed as far as it was read, and a\n"
                    << "line on stderr names the field where it stopped; the status is 1.\n"
                    << "No settings file is needed.\n";
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
    if (!openSettings(context))
        return Failed;

    const DataFiles::DumpOutcome outcome =
        DataFiles::dumpDataFile(file, json,
                                {{"index", &Indexing::IndexFileKind, dumpIndex},
                                 {"tasks", &Indexing::IndexTaskFileKind, dumpTasks}});
    context.out << outcome.output;
    context.out.flush();
    if (!outcome.error.isEmpty()) {
        context.err << "vantix: " << outcome.error << "\n";
        return Failed;
    }
    return finish(context);
}

} // namespace Cli
