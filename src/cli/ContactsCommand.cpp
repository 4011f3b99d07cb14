// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "ProgressLine.h"
#include "datafiles/ProfileFile.h"
#include "finder/ContactImport.h"
#include "index/FolderValues.h"
#include "platform/FileSystem.h"
#include "shared/Messages.h"
#include "shared/Paths.h"
#include "shared/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace Cli {
namespace {

// String numbers.
enum : int
{
    NameAndCompany = 9369,
    AlreadyIndexed = 9417,
    ImportSummary = 9418,
    NoSuchReference = 9419,
    NoProfile = 9420,
    FoldersNotMade = 9421,
};

const char* const ContactsUsage =
    "Usage: vantix contacts import FILE... [--allow-duplicates] [--json]\n"
    "       vantix contacts export REF... [--vcard|--csv] [--children]\n";

void printHelp(QTextStream& out)
{
    out << ContactsUsage << "\n"
        << "import: makes a company folder (from the organisation) and/or a contact folder\n"
        << "inside it for each card of each FILE, in the New Contacts folder of the current\n"
        << "mode, as the finder's new-contact panel does. A FILE is vCard 2.1, 3.0 or 4.0\n"
        << "(several cards a file) or CSV with a heading row of the column names that\n"
        << "address books export (name parts, company, job title, address parts, postcode,\n"
        << "country, phone, mobile, fax, e-mail). The cards of one company go into one\n"
        << "company folder. A card whose name and company stand in the index already is\n"
        << "skipped and counted (--allow-duplicates makes it all the same). The index\n"
        << "tasks are carried out once, at the end, unless the setting Config\n"
        << "IndexNewFoldersAtOnce is 0. Progress goes to stderr.\n\n"
        << "Prints a line a card: its file and line, and the folders made (reference,\n"
        << "tab, path), that it stands in the index already, or why it was not read;\n"
        << "then a summary. --json gives\n"
        << "  {\"imported\": N, \"duplicates\": N, \"refused\": [{\"source\": \"f.vcf:12\",\n"
        << "   \"why\": \"...\"}], \"folders\": [{\"ref\": \"50-1\", \"folder\": \"...\"}]}\n"
        << "A card that cannot be read or made exits with 1 after the others are done.\n\n"
        << "export: the profiles of the folders that each REF names (a reference or a\n"
        << "folder path), with --children also of every folder below them, as vCard 4.0\n"
        << "(the default) or CSV on stdout.\n";
}

struct Refusal
{
    QString source, why;
};

// The cards of the files, each with its source; what could not be read in
// `refused`. False when a file could not be read at all.
bool readFiles(const QStringList& files, QList<Finding::SourcedCard>& cards,
               QList<Refusal>& refused, Context& context)
{
    bool allRead = true;
    for (const QString& file : files) {
        QByteArray bytes;
        if (!readInput(file, bytes, context)) {
            allRead = false;
            continue;
        }
        const Finding::CardsRead read = Finding::readCards(bytes);
        for (const Finding::ContactCard& card : read.cards)
            cards.append({QStringLiteral("%1:%2").arg(file).arg(card.line), card});
        for (const Finding::CardProblem& problem : read.problems)
            refused.append({QStringLiteral("%1:%2").arg(file).arg(problem.line), problem.why});
    }
    return allRead;
}

int importContacts(const QStringList& args, Context& context, const QString& usage)
{
    const Arguments parsed =
        parseArguments(args, {QStringLiteral("--json"), QStringLiteral("--allow-duplicates")}, 1,
                       QStringLiteral("contacts import needs a file"), context, usage, {}, 1 << 20);
    if (parsed.status != Ok)
        return parsed.status;
    if (!openSettings(context) || !preparePaths())
        return Failed;

    QList<Finding::SourcedCard> cards;
    QList<Refusal> refused;
    const bool allRead = readFiles(parsed.positional, cards, refused, context);

    Finding::ImportOptions options;
    options.allowDuplicates = parsed.has("--allow-duplicates");
    options.defaultCountry =
        Global::GetRegistryData(QStringLiteral("Config"), QStringLiteral("LocalCountry"),
                                {.defaultValue = QStringLiteral("United Kingdom")})
            .toString();
    ProgressLine progress(context.err);
    options.progress = [&](int done, int total) {
        progress.setValue(done * 100 / std::max(1, total));
    };
    const Finding::ImportReport report = Finding::importContacts(cards, options);
    progress.finish();
    if (report.stopped)
        return Failed;

    QList<std::pair<QString, QString>> folders;
    const bool json = parsed.has("--json");
    for (const Finding::ImportOutcome& outcome : report.outcomes) {
        folders << outcome.folders;
        switch (outcome.kind) {
        case Finding::ImportOutcome::Made:
            for (const auto& [ref, folder] : outcome.folders) {
                if (!json)
                    context.out << outcome.source << "\t" << ref << "\t" << folder << "\n";
            }
            break;
        case Finding::ImportOutcome::Duplicate:
            if (!json)
                context.out << outcome.source << "\t"
                            << consoleText(Global::ResolveRes(
                                   AlreadyIndexed,
                                   {outcome.company.isEmpty() || outcome.company == outcome.name
                                        ? outcome.name
                                        : Global::ResolveRes(NameAndCompany,
                                                             {outcome.name, outcome.company})}))
                            << "\n";
            break;
        case Finding::ImportOutcome::NotMade:
            // The message that said why has gone to stderr.
            refused.append({outcome.source, Global::ResolveRes(FoldersNotMade)});
            break;
        }
    }
    if (json) {
        context.out << "{\"imported\": " << report.made << ", \"duplicates\": " << report.duplicates
                    << ", \"refused\": [";
        for (qsizetype i = 0; i < refused.size(); ++i)
            context.out << (i ? ", " : "") << "{\"source\": " << jsonString(refused[i].source)
                        << ", \"why\": " << jsonString(refused[i].why) << "}";
        context.out << "], \"folders\": [";
        for (qsizetype i = 0; i < folders.size(); ++i)
            context.out << (i ? ", " : "") << "{\"ref\": " << jsonString(folders[i].first)
                        << ", \"folder\": " << jsonString(folders[i].second) << "}";
        context.out << "]}\n";
    } else {
        for (const Refusal& refusal : std::as_const(refused))
            context.out << refusal.source << "\t" << consoleText(refusal.why) << "\n";
        context.out << consoleText(Global::ResolveRes(
                           ImportSummary, {report.made, report.duplicates, refused.size()}))
                    << "\n";
    }
    for (const QString& note : report.notes)
        context.err << "vantix: " << consoleText(note) << "\n";
    for (const QString& line : report.tasks.lines)
        context.err << "vantix: " << consoleText(line) << "\n";
    context.out.flush();
    const bool tasksDone = !report.tasksRun || (!report.tasks.busy && !report.tasks.failed);
    if (!allRead || !refused.isEmpty() || !report.incomplete.isEmpty() || !tasksDone)
        return Failed;
    return finish(context);
}

bool hasProfile(const QString& folder)
{
    return QFileInfo::exists(Platform::findNoCase(folder, Indexing::ProfileName));
}

// The folders below `folder` that hold a profile, depth first in name order.
void addChildren(const QString& folder, QStringList& folders)
{
    const QStringList names =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (name.startsWith(Platform::UnfinishedFolderPrefix))
            continue;
        const QString child = folder + QLatin1Char('/') + name;
        if (hasProfile(child))
            folders << child;
        addChildren(child, folders);
    }
}

int exportContacts(const QStringList& args, Context& context, const QString& usage)
{
    const Arguments parsed = parseArguments(
        args, {QStringLiteral("--vcard"), QStringLiteral("--csv"), QStringLiteral("--children")}, 1,
        QStringLiteral("contacts export needs a reference"), context, usage, {}, 1 << 20);
    if (parsed.status != Ok)
        return parsed.status;
    if (parsed.has("--vcard") && parsed.has("--csv"))
        return usageError(context, QStringLiteral("--vcard and --csv exclude each other"), usage);
    if (!openSettings(context) || !preparePaths())
        return Failed;

    QStringList folders;
    bool allFound = true;
    const auto fail = [&](const QString& why) {
        context.err << "vantix: " << consoleText(why) << "\n";
        allFound = false;
    };
    for (const QString& ref : parsed.positional) {
        // The look-up stops at the deepest folder it reaches: only the
        // folder of the reference itself will do.
        const QString folder = Global::ResolveFolderRef(ref);
        if (folder.isEmpty() || !QFileInfo(folder).isDir() ||
            (!QDir::isAbsolutePath(ref) && Global::folderReference(folder) != ref)) {
            fail(Global::ResolveRes(NoSuchReference, {ref}));
            continue;
        }
        const bool own = hasProfile(folder);
        if (own)
            folders << folder;
        if (parsed.has("--children"))
            addChildren(folder, folders);
        else if (!own)
            fail(Global::ResolveRes(NoProfile, {folder}));
    }
    QList<Finding::ContactCard> cards;
    for (const QString& folder : std::as_const(folders))
        cards << Finding::profileCard(
            Routines_ProfileFile::ReadProfile(folder + QLatin1Char('/') + Indexing::ProfileName));
    context.out << (parsed.has("--csv") ? Finding::writeCsvCards(cards)
                                        : Finding::writeVCards(cards));
    context.out.flush();
    if (!allFound)
        return Failed;
    return finish(context);
}

} // namespace

int contactsCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(ContactsUsage);
    if (args.isEmpty() || wantsHelp(args)) {
        printHelp(context.out);
        return args.isEmpty() ? Usage : Ok;
    }
    const QString action = args[0];
    if (action == QLatin1String("import"))
        return importContacts(args.mid(1), context, usage);
    if (action == QLatin1String("export"))
        return exportContacts(args.mid(1), context, usage);
    return usageError(context, QStringLiteral("unknown contacts action '%1'").arg(action), usage);
}

} // namespace Cli
