// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "demo/Demo.h"
#include "index/Packing.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"

#include <QElapsedTimer>

namespace Cli {
namespace {

const char* const DemoUsage = "Usage: vantix demo DIR [--contacts N] [--emails N] [--seed S]\n";

void printHelp(QTextStream& out)
{
    out << DemoUsage << "\n"
        << "Makes a complete workspace of made-up data in DIR, which must be missing or\n"
        << "empty: a settings hive DIR/registry.sqlite3 (mode \"Demo\", every folder\n"
        << "setting inside DIR, three form-submission definitions, the country list),\n"
        << "the shared folder with its share file, the users' folders, a filing tree of\n"
        << "companies and people with their folder information and profile files, job\n"
        << "folders of e-mailed form submissions, and a reply page for each form in\n"
        << "DIR/Templates, and the contact index of the filing tree. The same seed\n"
        << "gives the same files.\n\n"
        << "  --contacts N  people in the filing tree (default 500)\n"
        << "  --emails N    e-mails in each job folder (default 8, 0 for none); one\n"
        << "                person in ten has a job folder\n"
        << "  --seed S      the seed, a whole number (default 1)\n\n"
        << "Prints the line that points the programs at the workspace's hive, so that\n"
        << "  eval \"$(vantix demo DIR)\"\n"
        << "sets it in the shell; what was made is listed on stderr. The global\n"
        << "--registry option does not apply: the workspace has a hive of its own.\n";
}

QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

int demoCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(DemoUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    Demo::DemoOptions options;
    QString folder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool isOption = arg == QLatin1String("--contacts") ||
                              arg == QLatin1String("--emails") || arg == QLatin1String("--seed");
        if (!isOption) {
            if (arg.startsWith(QLatin1String("--")) && arg.size() > 2)
                return usageError(context, QStringLiteral("unknown option %1").arg(arg), usage);
            if (!folder.isEmpty())
                return usageError(context, QStringLiteral("demo takes one folder"), usage);
            folder = arg;
            continue;
        }
        if (++i >= args.size())
            return usageError(context, QStringLiteral("%1 needs a number").arg(arg), usage);
        bool ok = false;
        if (arg == QLatin1String("--seed")) {
            options.seed = args[i].toULongLong(&ok);
        } else {
            const int value = args[i].toInt(&ok);
            ok = ok && value >= 0 && value <= 10'000'000;
            (arg == QLatin1String("--contacts") ? options.contacts : options.emailsPerJob) = value;
        }
        if (!ok)
            return usageError(context,
                              QStringLiteral("%1 needs a whole number, not '%2'").arg(arg, args[i]),
                              usage);
    }
    if (folder.isEmpty())
        return usageError(context, QStringLiteral("demo needs a folder"), usage);

    QElapsedTimer timer;
    timer.start();
    Demo::DemoSummary made;
    try {
        made = Demo::createWorkspace(folder, options);
    } catch (const Demo::DemoError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return Failed;
    }
    context.out << "export VANTIX_REGISTRY=" << shellQuoted(made.registry) << "\n";
    const auto count = [](int n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    context.err << "Demo workspace in " << made.folder << " (" << timer.elapsed() << " ms):\n"
                << "  " << count(made.companies, "company", "companies") << " and "
                << count(made.people, "person", "people") << ", "
                << count(made.jobFolders, "job folder", "job folders") << " with "
                << count(made.emails, "e-mail", "e-mails") << ", "
                << count(made.templates, "reply page", "reply pages") << " in " << made.folder
                << "/Templates\n"
                << "  " << count(made.folders, "folder", "folders") << " and "
                << count(made.files, "file", "files") << "\n"
                << "  user folder: Users/" << made.user << "\n";
    if (!made.showcaseJob.isEmpty())
        context.err << "  the main window opens the job folder " << made.showcaseJob << "\n";

    // The index is built as the finder's Rebuild builds it, in the
    // workspace's own mode and paths.
    try {
        Global::setSettingsHive(Platform::RegistryHive::open(made.registry));
    } catch (const Platform::HiveError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return Failed;
    }
    if (!preparePaths() || !rebuildIndexes(context, {Indexing::NameIndex, Indexing::PcodeIndex,
                                                     Indexing::TelNumIndex, Indexing::UD1Index}))
        return Failed;
    return finish(context);
}

} // namespace Cli
