// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "datafiles/PostcodeFile.h"
#include "finder/NewFolders.h"
#include "platform/ConsoleUiHost.h"
#include "shared/Messages.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

namespace Cli {
namespace {

const char* const NewContactUsage =
    "Usage: vantix new-contact [--company NAME] [--name NAME] [--title TITLE]\n"
    "                          [--address LINE]... [--postcode PC] [--lookup]\n"
    "                          [--country NAME] [--number TEXT[:KIND]]... [--json]\n";

void printHelp(QTextStream& out)
{
    out << NewContactUsage << "\n"
        << "Makes a new company and/or contact folder in the New Contacts folder of the\n"
        << "current mode, as the finder's new-contact panel does: the company (with\n"
        << "--company) and the contact (with --name) inside it, each with its reference,\n"
        << "folder information, profile and index task. The tasks are carried out at\n"
        << "once unless the setting Config IndexNewFoldersAtOnce is 0.\n\n"
        << "Texts are saved as the suite's Windows-1252 files hold them, and the folders\n"
        << "named alike: control characters become blanks, and characters that\n"
        << "Windows-1252 lacks are transliterated (a name so changed is told on stderr).\n"
        << "A text longer than a field holds (65,535 characters) is refused; a folder\n"
        << "name too long for the file system is shortened only with --yes.\n\n"
        << "  --address LINE  the address lines 0 to 4 in order (at most five)\n"
        << "  --postcode PC   the postcode (address line 5)\n"
        << "  --lookup        fills the address from the postcode, as the panel's button\n"
        << "                  does (status 1 when there is no match or several, or\n"
        << "                  when the postal address file cannot be read whole)\n"
        << "  --country NAME  default the setting Config LocalCountry\n"
        << "  --number TEXT[:KIND]  a contact number; KIND is the type button 1 to 4\n"
        << "                  (1 telephone, 2 fax, 3 mobile, 4 e-mail), the default\n"
        << "                  type when left out\n\n"
        << "Prints each folder made (its reference, a tab, its path); with --json\n"
        << "  {\"company\": \"12\", \"contact\": \"12-1\", \"folders\": [\"...\"]}\n"
        << "with an empty reference for a folder not made. A failure exits with 1 after\n"
        << "its message.\n";
}

struct Options
{
    FileOperations::NewContactFields fields;
    int addressLines = 0;
    bool lookup = false;
    bool json = false;
    bool countryGiven = false;
};

// Fills `options` from the arguments; the status to exit with when they are
// wrong.
int parse(const QStringList& args, Options& options, Context& context, const QString& usage)
{
    const int defaultKind = int(Global::GetTweak(Global::Tweak::DefaultNumberType).number()) + 1;
    auto& fields = options.fields;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--lookup")) {
            options.lookup = true;
            continue;
        }
        if (arg == QLatin1String("--json")) {
            options.json = true;
            continue;
        }
        static const QStringList valued = {
            QStringLiteral("--company"), QStringLiteral("--name"),     QStringLiteral("--title"),
            QStringLiteral("--address"), QStringLiteral("--postcode"), QStringLiteral("--country"),
            QStringLiteral("--number")};
        if (!valued.contains(arg))
            return usageError(context, QStringLiteral("unknown argument '%1'").arg(arg), usage);
        if (i + 1 == args.size())
            return usageError(context, QStringLiteral("%1 needs a value").arg(arg), usage);
        const QString value = args[++i];
        if (arg == QLatin1String("--company")) {
            fields.companyName = value;
        } else if (arg == QLatin1String("--name")) {
            fields.contactName = value;
        } else if (arg == QLatin1String("--title")) {
            fields.title = value;
        } else if (arg == QLatin1String("--postcode")) {
            fields.address[5] = value;
        } else if (arg == QLatin1String("--country")) {
            fields.country = value;
            options.countryGiven = true;
        } else if (arg == QLatin1String("--address")) {
            if (options.addressLines == 5)
                return usageError(context, QStringLiteral("at most five --address lines"), usage);
            fields.address[std::size_t(options.addressLines++)] = value;
        } else {
            FileOperations::NewNumber number{value, defaultKind};
            const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
            bool isKind = false;
            const int kind = colon < 0 ? 0 : value.mid(colon + 1).toInt(&isKind);
            if (isKind) {
                if (kind < 1 || kind > 4)
                    return usageError(
                        context, QStringLiteral("no number type %1 (1 to 4)").arg(kind), usage);
                number = {value.left(colon), kind};
            }
            fields.numbers.append(number);
        }
    }
    // A name of nothing but blanks and control characters saves as nothing.
    const FileOperations::NewContactFields saved = FileOperations::savedFields(fields);
    if (saved.companyName.isEmpty() && saved.contactName.isEmpty())
        return usageError(context, consoleText(Global::ResolveRes(716)), usage);
    if (options.lookup && fields.address[5].isEmpty())
        return usageError(context, QStringLiteral("--lookup needs --postcode"), usage);
    return Ok;
}

// The panel's postcode button: the one address found fills lines 0 to 5, and
// its company the company name when none is given.
bool lookUp(FileOperations::NewContactFields& fields, Context& context)
{
    const Routines_RADs::PostcodeMatches found =
        Routines_RADs::LookupPostcode(QStringLiteral("UKPAF.BIN"), fields.address[5]);
    // The file's own problem, not the postcode's (one refused when opened has
    // said so already).
    if (!found.readWhole) {
        if (!found.problem.isEmpty())
            context.err << "vantix: " << consoleText(found.problem) << "\n";
        return false;
    }
    if (found.matches() != 1) {
        context.err << "vantix: "
                    << (found.matches() == 0
                            ? QStringLiteral("no address found for the postcode '%1'")
                            : QStringLiteral("%2 addresses found for the postcode '%1'; give "
                                             "the address with --address instead")
                                  .arg(found.matches()))
                           .arg(fields.address[5])
                    << "\n";
        return false;
    }
    const QStringList items = found.addresses[0].split(QLatin1Char('|'));
    for (std::size_t i = 0; i < fields.address.size(); ++i)
        fields.address[i] = items.value(qsizetype(i));
    if (fields.companyName.isEmpty())
        fields.companyName = items.value(6);
    return true;
}

} // namespace

int newContactCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(NewContactUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    if (!openSettings(context))
        return Failed;
    Options options;
    if (const int status = parse(args, options, context, usage); status != Ok)
        return status;
    if (!preparePaths())
        return Failed;
    FileOperations::NewContactFields& fields = options.fields;
    if (!options.countryGiven)
        fields.country =
            Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("LocalCountry"),
                                    {.defaultValue = QStringLiteral("United Kingdom")})
                .toString();
    for (const FileOperations::TitleItem& title : FileOperations::titleItems()) {
        if (title.text.compare(fields.title, Qt::CaseInsensitive) == 0)
            fields.titleMale = title.male;
    }
    if (options.lookup && !lookUp(fields, context))
        return Failed;
    for (const QString& notice : FileOperations::nameNotices(fields))
        context.err << "vantix: " << consoleText(notice) << "\n";

    const FileOperations::CreatedFolders made =
        FileOperations::CreateQuickAndDirtyCompany(fields, {});
    QStringList folders;
    for (const QString& folder : {made.companyFolder, made.contactFolder}) {
        if (!folder.isEmpty())
            folders << folder;
    }
    if (options.json) {
        context.out << "{\"company\": " << jsonString(made.companyRef)
                    << ", \"contact\": " << jsonString(made.contactRef) << ", \"folders\": [";
        for (qsizetype i = 0; i < folders.size(); ++i)
            context.out << (i ? ", " : "") << jsonString(folders[i]);
        context.out << "]}\n";
    } else {
        if (!made.companyRef.isEmpty())
            context.out << made.companyRef << "\t" << made.companyFolder << "\n";
        if (!made.contactRef.isEmpty())
            context.out << made.contactRef << "\t" << made.contactFolder << "\n";
    }
    for (const QString& line : made.tasks.lines)
        context.err << "vantix: " << consoleText(line) << "\n";
    const FileOperations::NewContactFields saved = FileOperations::savedFields(fields);
    const bool wanted = (saved.companyName.isEmpty() || !made.companyRef.isEmpty()) &&
                        (saved.contactName.isEmpty() || !made.contactRef.isEmpty());
    // Its own tasks, when run at once, must have been carried out.
    const auto left = [&](const QString& ref) {
        return made.tasksRun && !ref.isEmpty() && !made.tasks.refsDone.contains(ref);
    };
    if (!wanted || !made.incomplete.isEmpty() || left(made.companyRef) || left(made.contactRef)) {
        context.out.flush();
        return Failed;
    }
    return finish(context);
}

} // namespace Cli
