// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "datafiles/Dump.h"

#include <QHash>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace Platform {
class ConsoleUiHost;
}

namespace Cli {

// Exit statuses of every command.
enum Status : int
{
    Ok = 0,
    Failed = 1,
    Usage = 2
};

struct Context
{
    QTextStream& out;
    QTextStream& err;
    Platform::ConsoleUiHost& host;
    QString registryPath;        // --registry, empty for the default hive
    bool writesSettings = false; // whether the command may make a settings hive that is missing
    bool readsOnlyFiles = false; // whether the command runs on an empty stand-in for a missing hive
};

// A command's arguments after its name; the context carries the streams.
using Command = int (*)(const QStringList& args, Context& context);

int areaCodeCommand(const QStringList& args, Context& context);
int contactsCommand(const QStringList& args, Context& context);
int convertCommand(const QStringList& args, Context& context);
int countriesCommand(const QStringList& args, Context& context);
int demoCommand(const QStringList& args, Context& context);
int dumpCommand(const QStringList& args, Context& context);
int fillCommand(const QStringList& args, Context& context);
int formsCommand(const QStringList& args, Context& context);
int indexCommand(const QStringList& args, Context& context);
int linkCommand(const QStringList& args, Context& context);
int mailCommand(const QStringList& args, Context& context);
// The e-mail import of vantix-gui, which its start-up puts here; mailCommand
// runs it.
extern Command mailImportCommand;
int mailImport(const QStringList& args, Context& context);
int newContactCommand(const QStringList& args, Context& context);
int picksCommand(const QStringList& args, Context& context);
int postcodesCommand(const QStringList& args, Context& context);
int scanCommand(const QStringList& args, Context& context);
int settingsCommand(const QStringList& args, Context& context);
int stringsCommand(const QStringList& args, Context& context);
int tagsCommand(const QStringList& args, Context& context);
int unlinkCommand(const QStringList& args, Context& context);

// Runs `vantix` with its arguments (without the program's name).
int run(const QStringList& args, QTextStream& out, QTextStream& err, Platform::ConsoleUiHost& host);

// Two programs run the commands. `vantix` is a Qt Core application and
// starts in a fraction of the time of a Qt Gui one; the commands that ask the
// font database (HTML converted to RTF) it hands to `vantix-gui`, a Qt Gui
// application that runs every command the same way. So does the e-mail
// import, whose mail library (with the dozen libraries it loads) only
// `vantix-gui` links: `vantix` starts without them.
//
// Whether the program's arguments name a command that vantix-gui runs;
// convertNeedsFonts answers for the arguments after "convert".
bool needsGui(const QStringList& arguments);
bool convertNeedsFonts(const QStringList& args);
// The program's arguments without its name, as both programs read them.
QStringList programArguments(int argc, char* argv[]);
// Replaces this process with vantix-gui, found beside this program or, in an
// installation, in its libexec folder; gives the exit status only when that
// could not be started.
int execGuiProgram(char* argv[]);
// Runs vantix in the application that the program made: the exit status.
int runProgram(const QStringList& args);

// Helpers that commands share.
bool wantsHelp(const QStringList& args);
int usageError(Context& context, const QString& message, const QString& usage);
// A command's arguments: the positional ones, which of `switches` and
// `valueOptions` were given, and the value that follows each of the latter
// ("--limit 20"); "--" ends the options. Fewer than `count` or more than
// `maxCount` (`count` when left out) positional arguments are wrong usage
// (`countError`); `status` is Usage once the error is said.
struct Arguments
{
    QStringList positional;
    QStringList given;
    QHash<QString, QString> values;
    int status = Ok;
    bool has(const char* option) const { return given.contains(QLatin1String(option)); }
    QString value(const char* option) const { return values.value(QLatin1String(option)); }
};
Arguments parseArguments(const QStringList& args, const QStringList& switches, qsizetype count,
                         const QString& countError, Context& context, const QString& usage,
                         const QStringList& valueOptions = {}, qsizetype maxCount = -1);
// The "list [--json]" verb of a command over stored settings (`command` its
// name): `print` is given whether --json was, on the opened settings.
int listVerb(const QStringList& args, const char* command, Context& context, const QString& usage,
             const std::function<void(bool json)>& print);
// The wrong usage of a command whose verb is none of list, add and remove.
int listVerbError(const char* command, const QString& verb, Context& context, const QString& usage);
// Opens the settings hive that --registry names (or the default one) and
// installs it; false after saying why on stderr. A hive that does not exist
// is made (and said so) for a command that writes settings; a command that
// reads only the files and texts it is given runs on an empty stand-in, on
// which every setting takes its default; any other refuses it.
bool openSettings(Context& context);
// The most that a command reads of a file it is given.
constexpr qint64 MaxInputBytes = qint64(256) << 20;
// Reads a whole file, or stdin for "-"; false after saying why on stderr,
// also when it holds more than MaxInputBytes.
bool readInput(const QString& fileName, QByteArray& bytes, Context& context);
// Writes the bytes to stdout as they are: a text stream would encode them
// again.
void writeRaw(Context& context, const QByteArray& bytes);
using DataFiles::jsonString;
// A text of the suite (CR LF line ends) as a terminal shows it.
QString consoleText(QString text);
// Makes the current mode's paths ready as the programs do at start-up;
// false after the message that a missing path gives.
bool preparePaths();
// Rebuilds the indexes `fields` of the current mode's filing tree with a
// progress bar on stderr; false when the rebuild failed.
bool rebuildIndexes(Context& context, const QList<qint16>& fields);
// The status of a command that has done its work: failed when a box with the
// critical or exclamation icon was shown.
int finish(Context& context);

} // namespace Cli
