// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/CommentTags.h"
#include "linking/TagLinks.h"
#include "shared/Messages.h"

namespace Cli {
namespace {

const char* const LinkUsage = "Usage: vantix link DOCUMENT TAG FIELD [--replace]\n";

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
        << "same, with a note on stderr.\n";
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
        parseArguments(args, {QStringLiteral("--replace")}, 3,
                       QStringLiteral("link needs a document, a tag and a field"), context, usage);
    if (parsed.status != Ok)
        return parsed.status;
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
