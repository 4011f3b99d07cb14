// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"

#include "platform/ConsoleUiHost.h"
#include "platform/ProgramEnd.h"
#include "platform/RegistryHive.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Cli {
namespace {

struct Entry
{
    const char* name;
    const char* summary;
    Command command;
};

const Entry Commands[] = {
    {"area-code", "the place of a telephone number's area code", areaCodeCommand},
    {"contacts", "import contacts from vCard or CSV files, export folders' profiles as cards",
     contactsCommand},
    {"convert", "run a text converter: txt2rtf, html2rtf, html2txt, rtf2txt", convertCommand},
    {"countries", "the country lists: the settings' countries, or the dialling codes",
     countriesCommand},
    {"demo", "make a workspace of made-up data to try the programs on", demoCommand},
    {"dump", "print every field of one of the suite's data files, or sum up an index", dumpCommand},
    {"fill", "show a document as a form e-mail of a job folder fills it, or save a page from each",
     fillCommand},
    {"forms", "the form-submission definitions: list, add, remove", formsCommand},
    {"index", "the contact index: rebuild, search, verify, lock, unlock, tasks", indexCommand},
    {"link", "link a comment tag of a document to a form field", linkCommand},
    {"mail", "import e-mails (.eml, Maildir, mbox) into a job folder as event files", mailCommand},
    {"new-contact", "make a new company and contact folder, as the finder's panel does",
     newContactCommand},
    {"picks", "the finder's favourites and recent picks: list, add, remove", picksCommand},
    {"postcodes", "postcode address files: look up an address, show a key, build a file",
     postcodesCommand},
    {"scan", "list the form fields that the e-mails of a job folder carry", scanCommand},
    {"settings", "read and write settings: get, set, delete, delete-branch, export, import",
     settingsCommand},
    {"strings", "show a numbered string as the user will see it", stringsCommand},
    {"tags", "list the comment tags of a document and the fields they are linked to", tagsCommand},
    {"unlink", "remove the link of a comment tag of a document", unlinkCommand},
};

// The commands that write settings, and so may make the settings hive when it does not exist
// yet. Every other command only reads and refuses a hive that does not exist, so that a
// mistyped --registry or $VANTIX_REGISTRY is said rather than left behind as an empty hive.
// (demo makes the hive of its new workspace, whatever --registry says.)
const char* const HiveWriters[] = {
    "settings set",  "settings delete", "settings delete-branch", "settings import",
    "index rebuild", "index lock",      "index unlock",           "link",
    "unlink",        "picks add",       "picks remove",           "forms add",
    "forms remove",
};

// The commands that work on the files and texts they are given: they need no settings hive.
const char* const FileCommands[] = {"convert", "dump", "strings"};

bool writesSettings(const QStringList& args)
{
    const QString words = args.mid(0, 2).join(u' ');
    for (const char* writer : HiveWriters) {
        const QLatin1String command(writer);
        if (words == command || words.startsWith(command + u' '))
            return true;
    }
    return false;
}

const char* const MainUsage = "Usage: vantix [--registry FILE] [--yes] COMMAND [ARGUMENTS]\n";

void printHelp(QTextStream& out)
{
    out << MainUsage << "\n"
        << "Scripts, inspects and tests the data that Tagmill and its suite share.\n\n"
        << "Commands:\n";
    for (const Entry& entry : Commands)
        out << "  " << QString::fromLatin1(entry.name).leftJustified(12) << entry.summary << "\n";
    out << "\nOptions:\n"
        << "  --registry FILE  the settings hive (else $VANTIX_REGISTRY, else\n"
        << "                   vantix/registry.sqlite3 in the user's configuration folder);\n"
        << "                   commands that only read refuse one that does not exist\n"
        << "  --yes            answer Yes to questions (otherwise they get the answer\n"
        << "                   that changes nothing)\n"
        << "  --help           show this help\n"
        << "  --version        show the version\n\n"
        << "Run 'vantix COMMAND --help' for a command's own arguments.\n"
        << "Exit status: 0 done, 1 failed, 2 wrong usage.\n";
}

// The arguments without the global options, which may stand anywhere before
// a lone "--", and what those said.
struct GlobalOptions
{
    QStringList args;
    QString registryPath;         // --registry FILE
    bool yes = false;             // --yes
    bool registryMissing = false; // --registry came last, without its file
};

GlobalOptions takeGlobalOptions(const QStringList& arguments)
{
    GlobalOptions options;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!optionsEnd && arg == QLatin1String("--registry")) {
            if (++i >= arguments.size()) {
                options.registryMissing = true;
                break;
            }
            options.registryPath = arguments[i];
        } else if (!optionsEnd && arg == QLatin1String("--yes")) {
            options.yes = true;
        } else {
            optionsEnd = optionsEnd || arg == QLatin1String("--");
            options.args << arg;
        }
    }
    return options;
}

} // namespace

bool wantsHelp(const QStringList& args)
{
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

int usageError(Context& context, const QString& message, const QString& usage)
{
    context.err << "vantix: " << message << "\n" << usage;
    return Usage;
}

int listVerb(const QStringList& args, const char* command, Context& context, const QString& usage,
             const std::function<void(bool json)>& print)
{
    const Arguments parsed = parseArguments(
        args, {QStringLiteral("--json")}, 0,
        QStringLiteral("%1 list takes no further arguments").arg(QLatin1String(command)), context,
        usage);
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context))
        return Failed;
    print(parsed.has("--json"));
    return finish(context);
}

int listVerbError(const char* command, const QString& verb, Context& context, const QString& usage)
{
    const QLatin1String name(command);
    return usageError(context,
                      verb.isEmpty() ? QStringLiteral("%1 needs list, add or remove").arg(name)
                                     : QStringLiteral("%1 has no '%2'").arg(name, verb),
                      usage);
}

Arguments parseArguments(const QStringList& args, const QStringList& switches, qsizetype count,
                         const QString& countError, Context& context, const QString& usage,
                         const QStringList& valueOptions, qsizetype maxCount)
{
    Arguments parsed;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnd || !arg.startsWith(QLatin1String("--"))) {
            parsed.positional << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (switches.contains(arg)) {
            parsed.given << arg;
        } else if (valueOptions.contains(arg)) {
            if (++i >= args.size()) {
                parsed.status =
                    usageError(context, QStringLiteral("%1 needs a value").arg(arg), usage);
                return parsed;
            }
            parsed.given << arg;
            parsed.values.insert(arg, args[i]);
        } else {
            parsed.status =
                usageError(context, QStringLiteral("unknown option %1").arg(arg), usage);
            return parsed;
        }
    }
    if (parsed.positional.size() < count ||
        parsed.positional.size() > (maxCount < 0 ? count : maxCount))
        parsed.status = usageError(context, countError, usage);
    return parsed;
}

bool openSettings(Context& context)
{
    using Platform::RegistryHive;
    try {
        const QString path =
            context.registryPath.isEmpty() ? RegistryHive::defaultPath() : context.registryPath;
        if (context.readsOnlyFiles && !QFileInfo::exists(path)) {
            Global::setSettingsHive(RegistryHive::standIn(path));
            return true;
        }
        auto hive =
            RegistryHive::open(path, context.writesSettings ? RegistryHive::Missing::Create
                                                            : RegistryHive::Missing::Refuse);
        if (hive->created())
            context.err << "vantix: made a new settings file \"" << path << "\"\n" << Qt::flush;
        Global::setSettingsHive(std::move(hive));
        return true;
    } catch (const Platform::HiveError& error) {
        context.err << "vantix: " << error.message() << "\n";
        return false;
    }
}

void writeRaw(Context& context, const QByteArray& bytes)
{
    context.out.flush();
    if (QIODevice* device = context.out.device()) {
        device->write(bytes);
        if (auto* file = qobject_cast<QFileDevice*>(device))
            file->flush();
    } else {
        context.out << QString::fromLatin1(bytes);
    }
}

bool readInput(const QString& fileName, QByteArray& bytes, Context& context)
{
    QFile file(fileName);
    const bool opened = fileName == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : file.open(QIODevice::ReadOnly);
    const auto fail = [&](const QString& why) {
        context.err << "vantix: cannot read \"" << fileName << "\": " << why << "\n";
        bytes.clear();
        return false;
    };
    if (!opened)
        return fail(file.errorString());
    const QString tooLarge = QStringLiteral("it holds more than %1 MB, the most that vantix reads")
                                 .arg(MaxInputBytes >> 20);
    // A file tells its size; stdin, a pipe or a device is read to one byte past the bound.
    if (file.size() > MaxInputBytes)
        return fail(tooLarge);
    bytes.clear();
    bytes.reserve(file.size() + 1);
    constexpr qint64 Chunk = 1 << 20;
    for (;;) {
        const qsizetype had = bytes.size();
        bytes.resize(had + Chunk);
        const qint64 got = file.read(bytes.data() + had, Chunk);
        bytes.resize(had + std::max<qint64>(got, 0));
        if (got < 0)
            return fail(file.errorString());
        if (bytes.size() > MaxInputBytes)
            return fail(tooLarge);
        if (got == 0)
            return true;
    }
}

QString consoleText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

bool preparePaths()
{
    Global::InitGlobals();
    try {
        Global::CheckPaths();
    } catch (const Platform::ProgramEnd&) {
        return false;
    }
    return true;
}

int finish(Context& context)
{
    context.out.flush();
    return context.host.failed() ? Failed : Ok;
}

bool needsGui(const QStringList& arguments)
{
    const QStringList args = takeGlobalOptions(arguments).args;
    return (args.value(0) == QLatin1String("convert") && convertNeedsFonts(args.mid(1))) ||
           args.value(0) == QLatin1String("mail");
}

Command mailImportCommand = nullptr;

int mailCommand(const QStringList& args, Context& context)
{
    if (mailImportCommand)
        return mailImportCommand(args, context);
    context.err << "vantix: the e-mail import runs in vantix-gui, which was not found\n";
    return Failed;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        Platform::ConsoleUiHost& host)
{
    const GlobalOptions options = takeGlobalOptions(arguments);
    Context context{out, err, host, options.registryPath};
    if (options.registryMissing)
        return usageError(context, QStringLiteral("--registry needs a file"),
                          QLatin1String(MainUsage));
    host.setAnswerYes(options.yes);
    const QStringList& args = options.args;

    if (args.isEmpty())
        return usageError(context, QStringLiteral("no command given"), QLatin1String(MainUsage));
    const QString& first = args.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printHelp(out);
        return Ok;
    }
    if (first == QLatin1String("--version")) {
        out << "vantix " << QCoreApplication::applicationVersion() << "\n";
        return Ok;
    }
    context.writesSettings = writesSettings(args);
    context.readsOnlyFiles =
        std::any_of(std::begin(FileCommands), std::end(FileCommands),
                    [&](const char* name) { return first == QLatin1String(name); });
    for (const Entry& entry : Commands) {
        if (first == QLatin1String(entry.name))
            return entry.command(args.mid(1), context);
    }
    const QString what = first.startsWith(QLatin1Char('-'))
                             ? QStringLiteral("unknown option %1")
                             : QStringLiteral("unknown command '%1'");
    return usageError(context, what.arg(first), QLatin1String(MainUsage));
}

} // namespace Cli
