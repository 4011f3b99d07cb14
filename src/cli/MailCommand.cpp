// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/MailImport.h"
#include "shared/Paths.h"


namespace Cli {
namespace {

const char* const MailUsage = "Usage: vantix mail import JOBFOLDER SOURCE... [--json]\n";

void printHelp(QTextStream& out)
{
    out << MailUsage << "\n"
        << "Files e-mails in a job folder as the suite files those it receives: each\n"
        << "message becomes one \"E-Mails In\" event file (EMI_...emi) holding its decoded\n"
        << "subject and the rich text of its text (the text/plain part, or the text of\n"
        << "an HTML-only message), dated by its Date header (its arrival where it has\n"
        << "none). The file's name carries a hash of the Message-ID (of the whole\n"
        << "message where it has none), so importing the same mailbox again writes\n"
        << "nothing new.\n\n"
        << "JOBFOLDER is a folder, or the reference of a folder of the filing tree.\n"
        << "Each SOURCE is an .eml file, a Maildir (its cur and new folders), an mbox\n"
        << "file, or - for one message on stdin.\n\n"
        << "Prints a line a message (imported, already there, or refused and why) and a\n"
        << "summary. With --json, one object:\n"
        << "  {\"imported\": N, \"existing\": N, \"refused\": [{\"source\": ..., \"why\": "
           "...}]}\n\n"
        << "A message that cannot be read is refused and the others go on; the status is\n"
        << "then 1. No event file is ever left half written.\n";
}

void printLine(const Linking::MailOutcome& outcome, QTextStream& out)
{
    const QString subject =
        outcome.subject.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(outcome.subject);
    switch (outcome.kind) {
    case Linking::MailOutcome::Imported:
        out << "imported  " << outcome.source << subject << " -> " << outcome.file;
        if (!outcome.why.isEmpty())
            out << " (" << outcome.why << ")";
        break;
    case Linking::MailOutcome::Existing:
        out << "existing  " << outcome.source << subject << " (" << outcome.file << ")";
        break;
    case Linking::MailOutcome::Refused:
        out << "refused   " << outcome.source << ": " << outcome.why;
        break;
    }
    out << "\n";
}

void printJson(const Linking::MailImportSummary& summary, QTextStream& out)
{
    out << "{\"imported\": " << summary.imported << ", \"existing\": " << summary.existing
        << ", \"refused\": [";
    for (qsizetype i = 0; i < summary.refused.size(); ++i)
        out << (i ? ", " : "") << "{\"source\": " << jsonString(summary.refused[i].source)
            << ", \"why\": " << jsonString(summary.refused[i].why) << "}";
    out << "]}\n";
}

int importMail(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(MailUsage);
    const Arguments parsed =
        parseArguments(args, {QStringLiteral("--json")}, 2,
                       QStringLiteral("mail import needs a job folder and at least one source"),
                       context, usage, {}, std::numeric_limits<qsizetype>::max());
    if (parsed.status != Ok)
        return parsed.status;
    const QString folder = jobFolder(parsed.positional[0], context);
    if (folder.isEmpty())
        return Failed;

    const bool json = parsed.has("--json");
    Linking::MailImporter importer(folder);
    importer.onMessage = [&](const Linking::MailOutcome& outcome) {
        if (!json) {
            printLine(outcome, context.out);
            context.out.flush();
        }
    };
    for (const QString& source : parsed.positional.mid(1)) {
        if (source == QLatin1String("-")) {
            QByteArray bytes;
            if (readInput(source, bytes, context))
                importer.importMessage(bytes, QStringLiteral("-"), QDateTime::currentDateTimeUtc());
            else
                importer.importMessage({}, QStringLiteral("-"), {}); // refused: nothing read
        } else {
            importer.importSource(source);
        }
    }

    const Linking::MailImportSummary& summary = importer.summary();
    if (json)
        printJson(summary, context.out);
    else
        context.out << summary.imported << " imported, " << summary.existing << " already there, "
                    << summary.refused.size() << " refused\n";
    context.out.flush();
    return summary.refused.isEmpty() ? finish(context) : Failed;
}

} // namespace

int mailImport(const QStringList& args, Context& context)
{
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    if (args.value(0) == QLatin1String("import"))
        return importMail(args.mid(1), context);
    return usageError(context, QStringLiteral("mail knows only import"), QLatin1String(MailUsage));
}

} // namespace Cli
