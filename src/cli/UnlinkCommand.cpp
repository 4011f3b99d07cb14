// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/CommentTags.h"
#include "linking/TagLinks.h"

namespace Cli {

int unlinkCommand(const QStringList& args, Context& context)
{
    const QString usage = QStringLiteral("Usage: vantix unlink DOCUMENT TAG\n");
    if (wantsHelp(args)) {
        context.out << usage << "\n"
                    << "Removes the link of the comment tag TAG of the HTML document DOCUMENT, as\n"
                    << "the Unlink button does. A tag without a link is left as it is. Only the\n"
                    << "document's name counts, so the links of a document that is gone can be\n"
                    << "removed too.\n";
        return Ok;
    }
    const Arguments parsed = parseArguments(
        args, {}, 2, QStringLiteral("unlink needs a document and a tag"), context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    const QStringList& positional = parsed.positional;
    const QString& tag = positional[1];
    if (Linking::selectedTag(tag).isEmpty())
        return notATag(tag, context, usage);
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = documentAt(positional[0]);
    if (!document)
        return Failed;
    Linking::removeLink(document->name, tag);
    return finish(context);
}

} // namespace Cli
