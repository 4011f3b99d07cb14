// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "platform/ConsoleUiHost.h"
#include "platform/RegistryHive.h"
#include "shared/Settings.h"
#include "shared/Values.h"

namespace Cli {
namespace {

const char* const SettingsUsage =
    "Usage: vantix settings get SECTION KEY [--number] [--default TEXT]\n"
    "       vantix settings set SECTION KEY VALUE\n"
    "       vantix settings delete SECTION KEY\n"
    "       vantix settings delete-branch SECTION\n"
    "       vantix settings export [SECTION]\n"
    "       vantix settings import FILE\n"
    "       vantix settings check\n";

void printHelp(QTextStream& out)
{
    out << SettingsUsage << "\n"
        << "Reads and writes the suite's settings exactly as the programs do. SECTION is a\n"
        << "branch below Software\\Zux\\Vantix, its parts joined by \"\\\" (for example\n"
        << "'Config\\Modes'); an empty SECTION ('') is that branch itself.\n\n"
        << "  get            prints the value. KEY BRANCHES lists the sub-branches and\n"
        << "                 ALLSUBKEYS the values: the count, then one name a line.\n"
        << "                 --number reads the value as a number; --default TEXT is\n"
        << "                 printed when the value is missing. A missing value without\n"
        << "                 a default prints nothing and exits with status 1.\n"
        << "  set            writes the value. As in the programs, the VALUE KILL deletes\n"
        << "                 the value instead of storing the word.\n"
        << "  delete         deletes one value.\n"
        << "  delete-branch  deletes a branch with everything below it.\n"
        << "  export         writes the branch (all settings when left out) to stdout as\n"
        << "                 a REGEDIT4 text.\n"
        << "  import         reads a REGEDIT4 text (FILE, or - for stdin) and applies it in\n"
        << "                 one step: a bad line is named and nothing is written. A\n"
        << "                 file of more than 256 MB is refused.\n"
        << "  check          checks every page of the settings file (slow on a large one)\n"
        << "                 and prints what is damaged; the status is 1 when anything is.\n\n"
        << "KEY cannot be EMPTY or KILLALL for set and delete, nor KILL for delete: to the\n"
        << "programs those words mean the whole branch or \"delete\". Use delete-branch.\n"
        << "Commands that only read (get, export, check) refuse a settings file that does\n"
        << "not exist; set, delete, delete-branch and import make it.\n";
}

// The words that the programs' writer takes as orders for the whole branch (and KILL, as a
// value, for deleting one) are refused as value names, so that no command does more than it
// says.
bool isReservedKey(const QString& verb, const QString& key)
{
    const bool branchWord = key == QLatin1String("EMPTY") || key == QLatin1String("KILLALL");
    if (verb == QLatin1String("delete"))
        return branchWord || key == QLatin1String("KILL");
    return verb == QLatin1String("set") && branchWord;
}

// Splits the arguments into positional ones and options; options with a
// value take the next argument.
struct Parsed
{
    QStringList positional;
    bool number = false;
    std::optional<QString> defaultText;
    QString error;
};

Parsed parse(const QStringList& args)
{
    Parsed parsed;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnd || !arg.startsWith(QLatin1String("--")) || arg == QLatin1String("-")) {
            parsed.positional << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (arg == QLatin1String("--number")) {
            parsed.number = true;
        } else if (arg == QLatin1String("--default") && i + 1 < args.size()) {
            parsed.defaultText = args[++i];
        } else {
            parsed.error = QStringLiteral("unknown or incomplete option %1").arg(arg);
        }
    }
    return parsed;
}

QString settingsPath(const QString& section)
{
    return section.isEmpty() ? Global::SettingsRoot
                             : Global::SettingsRoot + QLatin1Char('\\') + section;
}

int get(const Parsed& parsed, Context& context)
{
    const QString& section = parsed.positional[0];
    const QString& key = parsed.positional[1];
    const QVariant value =
        Global::GetRegistryData(section, key, {.valueType = parsed.number ? 1 : 0});
    if (context.host.failed())
        return Failed;
    if (key == QLatin1String("BRANCHES") || key == QLatin1String("ALLSUBKEYS")) {
        const QString listing = value.toString();
        context.out << listing.left(Global::listingCountWidth(listing)) << "\n";
        for (const QString& name : Global::listingNames(listing))
            context.out << name << "\n";
        return finish(context);
    }
    if (!value.isValid()) {
        if (!parsed.defaultText)
            return Failed;
        context.out << *parsed.defaultText << "\n";
        return finish(context);
    }
    context.out << Global::toText(value) << "\n";
    return finish(context);
}

int exportBranch(const QString& section, Context& context)
{
    try {
        context.out << Global::settingsHive().exportText(settingsPath(section));
        return finish(context);
    } catch (const Platform::HiveError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return Failed;
    }
}

int check(Context& context)
{
    const Platform::RegistryHive& hive = Global::settingsHive();
    try {
        const QStringList problems = hive.integrityProblems();
        context.out << hive.path() << ": ";
        if (problems.isEmpty()) {
            context.out << "no damage found\n";
            return finish(context);
        }
        context.out << "damaged, " << problems.size()
                    << (problems.size() == 1 ? " problem:\n" : " problems:\n");
        for (const QString& problem : problems)
            context.out << "  " << problem << "\n";
        return Failed;
    } catch (const Platform::HiveError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return Failed;
    }
}

int import(const QString& fileName, const QByteArray& bytes, Context& context)
{
    try {
        Global::settingsHive().importText(QString::fromUtf8(bytes));
        return finish(context);
    } catch (const Platform::HiveError& error) {
        context.err << "vantix: " << fileName << ": " << error.message() << "\n";
        return Failed;
    }
}

} // namespace

int settingsCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(SettingsUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Parsed parsed = parse(args.mid(1));
    if (args.isEmpty())
        return usageError(context, QStringLiteral("settings needs a subcommand"), usage);
    if (!parsed.error.isEmpty())
        return usageError(context, parsed.error, usage);

    const QString& verb = args.first();
    const qsizetype count = parsed.positional.size();
    const struct
    {
        const char* name;
        qsizetype least;
        qsizetype most;
    } shapes[] = {{"get", 2, 2},    {"set", 3, 3},    {"delete", 2, 2}, {"delete-branch", 1, 1},
                  {"export", 0, 1}, {"import", 1, 1}, {"check", 0, 0}};
    bool known = false;
    for (const auto& shape : shapes) {
        if (verb != QLatin1String(shape.name))
            continue;
        known = true;
        if (count < shape.least || count > shape.most)
            return usageError(
                context, QStringLiteral("wrong number of arguments for '%1'").arg(verb), usage);
    }
    if (!known)
        return usageError(context, QStringLiteral("unknown settings subcommand '%1'").arg(verb),
                          usage);
    if ((parsed.number || parsed.defaultText) && verb != QLatin1String("get"))
        return usageError(context, QStringLiteral("--number and --default go with 'get'"), usage);
    const QStringList& p = parsed.positional;
    if (count >= 2 && isReservedKey(verb, p[1]))
        return usageError(context,
                          QStringLiteral("'%1' is one of the programs' orders (KILL, KILLALL, "
                                         "EMPTY), not a value name; 'vantix settings "
                                         "delete-branch SECTION' deletes a branch")
                              .arg(p[1]),
                          usage);
    // Read before the settings are opened, so that an input refused leaves no new hive behind.
    QByteArray input;
    if (verb == QLatin1String("import") && !readInput(p[0], input, context))
        return Failed;
    if (!openSettings(context))
        return Failed;

    if (verb == QLatin1String("get"))
        return get(parsed, context);
    if (verb == QLatin1String("check"))
        return check(context);
    if (verb == QLatin1String("set"))
        Global::SaveRegistryData(p[0], p[1], p[2]);
    else if (verb == QLatin1String("delete"))
        Global::SaveRegistryData(p[0], p[1], QStringLiteral("KILL"));
    else if (verb == QLatin1String("delete-branch"))
        Global::SaveRegistryData(p[0], QStringLiteral("KILLALL"), Global::RegistryWrite{});
    else if (verb == QLatin1String("export"))
        return exportBranch(p.value(0), context);
    else
        return import(p[0], input, context);
    return finish(context);
}

} // namespace Cli
