// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/CommentTags.h"
#include "linking/TagLinks.h"
#include "linking/TagMatching.h"
#include "shared/Messages.h"

#include <QSet>

namespace Cli {
namespace {

const char* const LinkUsage = "Usage: vantix link DOCUMENT TAG FIELD [--replace]\n"
                              "       vantix link DOCUMENT --matching --folder JOBFOLDER "
                              "[--dry-run] [--json]\n";

void printHelp(QTextStream& out)
{
    out << LinkUsage << "\n"
        << "Links the comment tag TAG of the HTML document DOCUMENT to the form field\n"
        << "FIELD, as the Link button does: the link is kept in the settings under the\n"
        << "document's key (its file name in search-key form), so documents of the same\n"
        << "name share their links. TAG is the whole comment, from \"<!--\" to \"-->\".\n\n"
        << "A tag can be linked to one field only, and the settings take tags that differ\n"
        << "only in case (\"<!-- Name -->\", \"<!-- NAME -->\") for one tag. When it is\n"
        << "linked to another field already, in any case, the link is refused with the\n"
        << "program's question on stderr and the status is 1, unless --replace is given;\n"
        << "the tag is then kept as TAG writes it. Linking a tag again to the field it\n"
        << "has changes nothing. A tag that DOCUMENT does not hold is linked all the\n"
        << "same, with a note on stderr.\n\n"
        << "With --matching, links by name as Link matching tags does: every tag of\n"
        << "DOCUMENT that is not linked and whose text inside \"<!--\" and \"-->\" is the\n"
        << "name of a field of the job folder JOBFOLDER, compared without regard to\n"
        << "case, blanks, \"_\" and \"-\" (a field spelt as the tag first, else the first\n"
        << "such field met), is linked to that field, all in one write of the settings.\n"
        << "Tags linked already, to any field, are left alone. Each pair is printed as\n"
        << "its line, the tag and the field; --dry-run prints them and writes nothing.\n"
        << "With --json, one object:\n"
        << "  {\"key\": \"MYPAGEHTM\", \"dryRun\": false, \"pairs\": [{\"tag\": ...,\n"
        << "   \"field\": ..., \"line\": N}]}\n";
}

int linkMatching(const Arguments& parsed, Context& context, const QString& usage)
{
    if (parsed.positional.size() != 1)
        return usageError(context, QStringLiteral("link --matching needs one document"), usage);
    if (!parsed.given.contains(QStringLiteral("--folder")))
        return usageError(context, QStringLiteral("link --matching needs --folder JOBFOLDER"),
                          usage);
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = readDocument(parsed.positional[0], context);
    if (!document)
        return Failed;
    const std::optional<Linking::ScanResult> scan = scanFolder(parsed.value("--folder"), context);
    if (!scan)
        return Failed;
    QSet<QString> fields;
    for (const Linking::FieldRow& row : scan->rows)
        fields.insert(row.fieldName);
    Linking::TagMarks marks;
    marks.setText(document->text);
    marks.update(Linking::storedLinks(document->name), fields);
    QList<Linking::MatchPair> pairs = Linking::matchingPairs(document->text, marks, scan->rows);
    const bool dryRun = parsed.has("--dry-run");
    if (!dryRun)
        pairs = Linking::linkPairs(document->name, pairs);

    QTextStream& out = context.out;
    if (parsed.has("--json")) {
        out << "{\n  \"key\": " << jsonString(document->key)
            << ",\n  \"dryRun\": " << (dryRun ? "true" : "false") << ",\n  \"pairs\": [";
        for (qsizetype i = 0; i < pairs.size(); ++i)
            out << (i ? ",\n    " : "\n    ") << "{\"tag\": " << jsonString(pairs[i].tag)
                << ", \"field\": " << jsonString(pairs[i].field) << ", \"line\": " << pairs[i].line
                << "}";
        out << (pairs.isEmpty() ? "]\n}\n" : "\n  ]\n}\n");
        return finish(context);
    }
    for (const Linking::MatchPair& pair : pairs)
        out << QString::number(pair.line).rightJustified(6) << "  "
            << Linking::tagOnOneLine(pair.tag) << "  ->  " << pair.field << "\n";
    out << pairs.size() << (dryRun ? " tag(s) would be linked.\n" : " tag(s) linked.\n");
    return finish(context);
}

} // namespace

int linkCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(LinkUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed =
        parseArguments(args,
                       {QStringLiteral("--replace"), QStringLiteral("--matching"),
                        QStringLiteral("--dry-run"), QStringLiteral("--json")},
                       1, QStringLiteral("link needs a document, a tag and a field"), context,
                       usage, {QStringLiteral("--folder")}, 3);
    if (parsed.status != Ok)
        return parsed.status;
    if (parsed.has("--matching")) {
        if (parsed.has("--replace"))
            return usageError(context, QStringLiteral("--matching never replaces a link"), usage);
        return linkMatching(parsed, context, usage);
    }
    if (parsed.positional.size() != 3)
        return usageError(context, QStringLiteral("link needs a document, a tag and a field"),
                          usage);
    for (const char* option : {"--dry-run", "--json", "--folder"}) {
        if (parsed.given.contains(QLatin1String(option)))
            return usageError(
                context, QLatin1String(option) + QStringLiteral(" goes with --matching"), usage);
    }
    const QStringList& positional = parsed.positional;
    const bool replace = parsed.has("--replace");
    const QString& tag = positional[1];
    const QString& field = positional[2];
    if (Linking::selectedTag(tag).isEmpty())
        return notATag(tag, context, usage);
    if (field.isEmpty())
        return usageError(context, QStringLiteral("the field name is empty"), usage);
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = readDocument(positional[0], context);
    if (!document)
        return Failed;
    if (!document->text.contains(tag))
        context.err << "vantix: note: \"" << document->path << "\" does not hold the tag " << tag
                    << "\n";

    const QString linked = Linking::storedField(document->name, tag);
    if (linked == field)
        return finish(context);
    if (!linked.isEmpty() && !replace) {
        context.err << consoleText(Global::ResolveRes(9321, {tag, linked, field})) << "\n"
                    << "vantix: not linked; --replace links it to '" << field << "'\n";
        return Failed;
    }
    Linking::storeLink(document->name, tag, field);
    return finish(context);
}

} // namespace Cli
