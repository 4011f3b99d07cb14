// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/FilledPages.h"
#include "linking/Filling.h"
#include "linking/SourceText.h"
#include "platform/Text.h"
#include "shared/Messages.h"

namespace Cli {
namespace {

const char* const FillUsage =
    "Usage: vantix fill DOCUMENT --folder JOBFOLDER [--email N|NAME] [--json]\n"
    "       vantix fill DOCUMENT --folder JOBFOLDER --all [--out DIR] [--force]\n";

void printHelp(QTextStream& out)
{
    out << FillUsage << "\n"
        << "Shows the HTML document DOCUMENT as one form e-mail of the job folder\n"
        << "JOBFOLDER would fill it: each comment tag linked to a field that the e-mail\n"
        << "carries is replaced by the e-mail's value of that field, HTML-escaped; every\n"
        << "other byte is the document's own, in its own encoding. The document is only\n"
        << "read: without --all, the filled page goes to stdout and nothing is written.\n\n"
        << "--email N     the form e-mail by its number, 1 the newest (the default), in\n"
        << "              the order of the files' times\n"
        << "--email NAME  the form e-mail by its file name in the folder\n\n"
        << "With --json, one object in place of the page:\n"
        << "  {\"email\": \"its file name\", \"filled\": [{\"tag\": ..., \"field\": ...,\n"
        << "   \"value\": ...}], \"unlinked\": [tag, ...], \"missing\": [{\"tag\": ...,\n"
        << "   \"field\": ...}]}\n"
        << "each tag once; missing lists the linked tags whose field the e-mail lacks.\n\n"
        << "With --all, a page filled from each form e-mail of the folder is saved in\n"
        << "DIR (default: the mode's Mail-Merged folder; made when it is missing), named\n"
        << "after the e-mail and the document: \"EMAIL (DOCUMENT).EXT\". Each page saved\n"
        << "is printed; a page that is there already is left alone and named on stderr\n"
        << "unless --force replaces it. The document itself is never written.\n\n"
        << "The status is 1 when the document, the folder or an e-mail cannot be read,\n"
        << "or a page cannot be saved.\n";
}

// The form e-mail that --email names; nothing, after saying why.
std::optional<Linking::FormMail> chosenMail(const Linking::ScanResult& scan, const QString& choice,
                                            Context& context)
{
    if (scan.mails.isEmpty()) {
        context.err << "vantix: " << Global::ResolveRes(9333) << "\n";
        return std::nullopt;
    }
    bool number = false;
    const qsizetype n = choice.isEmpty() ? 1 : choice.toLongLong(&number);
    if (choice.isEmpty() || number) {
        if (n >= 1 && n <= scan.mails.size())
            return scan.mails[n - 1];
        context.err << "vantix: --email " << choice << ": the folder holds " << scan.mails.size()
                    << " form e-mail(s)\n";
        return std::nullopt;
    }
    const QString folded = Platform::foldCase(choice);
    for (const Linking::FormMail& mail : scan.mails) {
        if (Platform::foldCase(mail.file) == folded)
            return mail;
    }
    context.err << "vantix: --email " << choice << ": no form e-mail of that name in the folder\n";
    return std::nullopt;
}

void printJson(const QString& mail, const Linking::FilledDocument& filled, QTextStream& out)
{
    out << "{\n  \"email\": " << jsonString(mail) << ",\n  \"filled\": [";
    for (qsizetype i = 0; i < filled.filled.size(); ++i) {
        const Linking::FilledTag& tag = filled.filled[i];
        out << (i ? ",\n    " : "\n    ") << "{\"tag\": " << jsonString(tag.tag)
            << ", \"field\": " << jsonString(tag.field) << ", \"value\": " << jsonString(tag.value)
            << "}";
    }
    out << (filled.filled.isEmpty() ? "],\n" : "\n  ],\n") << "  \"unlinked\": [";
    for (qsizetype i = 0; i < filled.unlinked.size(); ++i)
        out << (i ? ", " : "") << jsonString(filled.unlinked[i]);
    out << "],\n  \"missing\": [";
    for (qsizetype i = 0; i < filled.missing.size(); ++i)
        out << (i ? ", " : "") << "{\"tag\": " << jsonString(filled.missing[i].tag)
            << ", \"field\": " << jsonString(filled.missing[i].field) << "}";
    out << "]\n}\n";
}

// Saves a page from each form e-mail: each page saved on stdout, each one
// left alone or not filled on stderr.
int fillAll(const Linking::PageSource& source, const QString& out, bool force, Context& context)
{
    const std::optional<QList<Linking::SavedPage>> pages =
        Linking::saveFilledPages(source, out, force);
    if (!pages)
        return Failed;
    int saved = 0;
    int leftAlone = 0;
    int notFilled = 0;
    for (const Linking::SavedPage& page : *pages) {
        switch (page.outcome) {
        case Linking::SavedPage::Saved:
            ++saved;
            context.out << page.path << "\n";
            break;
        case Linking::SavedPage::LeftAlone:
            ++leftAlone;
            context.err << "vantix: left alone, it is there already: " << page.path << "\n";
            break;
        case Linking::SavedPage::NotFilled:
            ++notFilled;
            context.err << "vantix: " << page.mail << ": " << page.why << "\n";
            break;
        }
    }
    context.err << saved << " page(s) saved in " << out << ", " << leftAlone << " left alone"
                << (leftAlone ? " (--force replaces them)" : "") << ", " << notFilled
                << " not filled\n";
    const int status = finish(context);
    return notFilled ? Failed : status;
}

} // namespace

int fillCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(FillUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed = parseArguments(
        args, {QStringLiteral("--json"), QStringLiteral("--all"), QStringLiteral("--force")}, 1,
        QStringLiteral("fill needs one document"), context, usage,
        {QStringLiteral("--folder"), QStringLiteral("--email"), QStringLiteral("--out")});
    if (parsed.status != Ok)
        return parsed.status;
    if (!parsed.has("--folder")) {
        context.err << "vantix: fill needs --folder JOBFOLDER\n" << usage;
        return Usage;
    }
    const bool all = parsed.has("--all");
    if (all && (parsed.has("--email") || parsed.has("--json")))
        return usageError(
            context, QStringLiteral("--all fills from every e-mail: no --email or --json"), usage);
    if (!all && (parsed.has("--out") || parsed.has("--force")))
        return usageError(context, QStringLiteral("--out and --force go with --all"), usage);
    if (parsed.has("--out") && parsed.value("--out").isEmpty())
        return usageError(context, QStringLiteral("--out needs a folder"), usage);
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = documentAt(parsed.positional[0]);
    if (!document)
        return Failed;
    QByteArray bytes;
    if (!readInput(document->path, bytes, context) ||
        !Linking::checkTextDocument(document->path, bytes))
        return Failed;
    const QString folder = jobFolder(parsed.value("--folder"), context);
    if (folder.isEmpty())
        return Failed;
    const std::optional<Linking::ScanResult> scan = scanFolder(folder, context);
    if (!scan)
        return Failed;
    if (all) {
        if (scan->mails.isEmpty()) {
            context.err << "vantix: " << Global::ResolveRes(9333) << "\n";
            return Failed;
        }
        const QString out =
            parsed.has("--out") ? parsed.value("--out") : Linking::defaultPagesFolder();
        if (out.isEmpty()) {
            context.err << "vantix: " << consoleText(Global::ResolveRes(9392)) << "\n";
            return Failed;
        }
        return fillAll({document->path, bytes, document->name, folder, scan->mails,
                        Linking::loadFormSubmissions()},
                       out, parsed.has("--force"), context);
    }
    const std::optional<Linking::FormMail> mail =
        chosenMail(*scan, parsed.value("--email"), context);
    if (!mail)
        return Failed;
    const std::optional<QList<Linking::FieldLine>> values = Linking::readFormFields(
        folder + QLatin1Char('/') + mail->file, Linking::loadFormSubmissions());
    if (!values) {
        context.err << "vantix: the e-mail \"" << mail->file << "\" cannot be read\n";
        return Failed;
    }
    const Linking::FilledDocument filled =
        Linking::fillDocument(bytes, Linking::storedLinks(document->name), *values);
    if (parsed.has("--json"))
        printJson(mail->file, filled, context.out);
    else
        writeRaw(context, filled.bytes);
    return finish(context);
}

} // namespace Cli
