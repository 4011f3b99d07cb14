// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/CommentTags.h"
#include "linking/TagLinks.h"
#include "platform/Text.h"

#include <QHash>

#include <algorithm>

namespace Cli {
namespace {

const char* const TagsUsage = "Usage: vantix tags DOCUMENT [--json]\n";

void printHelp(QTextStream& out)
{
    out << TagsUsage << "\n"
        << "Lists every comment tag of the HTML document DOCUMENT in order: each span\n"
        << "from a \"<!--\" to the next \"-->\" (a \"<!--\" inside a comment is part of it, and\n"
        << "one with no \"-->\" after it is no tag), with the line it starts on (CR LF, LF\n"
        << "and CR each end a line) and the form field it is linked to. Links are kept\n"
        << "by the document's file name, so documents of the same name share them.\n\n"
        << "With --json, one object:\n"
        << "  {\"key\": \"MYPAGEHTM\", \"tags\": [{\"tag\": ..., \"line\": N, \"field\": ...}]}\n"
        << "with an empty field for a tag that is not linked.\n";
}

// A tag on one line: its line ends show as the return symbol.
QString oneLine(const QString& tag)
{
    QString line;
    line.reserve(tag.size());
    for (qsizetype i = 0; i < tag.size(); ++i) {
        const QChar c = tag[i];
        if (c == u'\r' && i + 1 < tag.size() && tag[i + 1] == u'\n')
            continue;
        if (c == u'\r' || c == u'\n')
            line += QChar(0x23CE);
        else if (c.unicode() < 0x20 && c != u'\t')
            line += QChar(char16_t(0x2400 + c.unicode()));
        else
            line += c;
    }
    return line;
}

} // namespace

int tagsCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(TagsUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed =
        parseArguments(args, {QStringLiteral("--json")}, 1,
                       QStringLiteral("tags needs one document"), context, usage);
    if (parsed.status != Ok)
        return parsed.status;
    const QString& path = parsed.positional[0];
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = readDocument(path, context);
    if (!document)
        return Failed;

    // One read of the branch; tags compare as the store compares names.
    QHash<QString, QString> fields;
    for (const Linking::StoredLink& link : Linking::storedLinks(document->name))
        fields.insert(Platform::foldCase(link.tag), link.field);
    const QList<Linking::CommentTag> tags = Linking::commentTags(document->text);
    auto fieldOf = [&](const Linking::CommentTag& tag) {
        return fields.value(Platform::foldCase(tag.tag));
    };

    QTextStream& out = context.out;
    if (parsed.has("--json")) {
        out << "{\n  \"key\": " << jsonString(document->key) << ",\n  \"tags\": [";
        for (qsizetype i = 0; i < tags.size(); ++i)
            out << (i ? ",\n    " : "\n    ") << "{\"tag\": " << jsonString(tags[i].tag)
                << ", \"line\": " << tags[i].line << ", \"field\": " << jsonString(fieldOf(tags[i]))
                << "}";
        out << (tags.isEmpty() ? "]\n}\n" : "\n  ]\n}\n");
        return finish(context);
    }

    out << "Document key: " << document->key << "\n";
    if (tags.isEmpty()) {
        out << "No comment tags in \"" << path << "\".\n";
        return finish(context);
    }
    qsizetype width = 5;
    for (const Linking::CommentTag& tag : tags)
        width = std::max(width, std::min<qsizetype>(fieldOf(tag).size(), 24));
    out << "\n"
        << QStringLiteral("Line").rightJustified(6) << "  "
        << QStringLiteral("Field").leftJustified(width) << "  Tag\n";
    int unlinked = 0;
    for (const Linking::CommentTag& tag : tags) {
        const QString field = fieldOf(tag);
        unlinked += field.isEmpty();
        out << QString::number(tag.line).rightJustified(6) << "  "
            << (field.isEmpty() ? QStringLiteral("*") : field).leftJustified(width) << "  "
            << oneLine(tag.tag) << "\n";
    }
    out << "\n"
        << tags.size() << " tag(s), " << tags.size() - unlinked << " linked, " << unlinked
        << " not linked (marked *).\n";
    return finish(context);
}

} // namespace Cli
