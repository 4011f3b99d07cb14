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
    QStringList positional;
    bool optionsEnd = false;
    for (const QString& arg : args) {
        if (!optionsEnd && arg == QLatin1String("--"))
            optionsEnd = true;
        else if (!optionsEnd && arg.startsWith(QLatin1String("--")))
            return usageError(context, QStringLiteral("unknown option %1").arg(arg), usage);
        else
            positional << arg;
    }
    if (positional.size() != 2)
        return usageError(context, QStringLiteral("unlink needs a document and a tag"), usage);
    const QString& tag = positional[1];
    if (Linking::selectedTag(tag).isEmpty())
        return usageError(context,
                          QStringLiteral("'%1' is not a comment tag: it must begin with \"<!--\" "
                                         "and end with \"-->\"")
                              .arg(tag),
                          usage);
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = documentAt(positional[0], context);
    if (!document)
        return Failed;
    Linking::removeLink(document->name, tag);
    return finish(context);
}

} // namespace Cli
