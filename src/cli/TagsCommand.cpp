// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cli.h"
#include "Documents.h"
#include "linking/CommentTags.h"
#include "linking/TagStates.h"

#include <QSet>

#include <algorithm>

namespace Cli {
namespace {

const char* const TagsUsage = "Usage: vantix tags DOCUMENT [--folder JOBFOLDER] [--json]\n";

void printHelp(QTextStream& out)
{
    out << TagsUsage << "\n"
        << "Lists every comment tag of the HTML document DOCUMENT in order: each span\n"
        << "from a \"<!--\" to the next \"-->\" (a \"<!--\" inside a comment is part of it, and\n"
        << "one with no \"-->\" after it is no tag), with the line it starts on (CR LF, LF\n"
        << "and CR each end a line) and the form field it is linked to. Links are kept\n"
        << "by the document's file name, so documents of the same name share them.\n\n"
        << "With --folder, the job folder JOBFOLDER is scanned as the main window scans\n"
        << "it, and a tag linked to a field that none of its form e-mails carries is\n"
        << "marked as such: that link will never be filled. The summary counts each tag\n"
        << "once, however often the document holds it (tags that differ only in case\n"
        << "are one link).\n\n"
        << "With --json, one object:\n"
        << "  {\"key\": \"MYPAGEHTM\", \"tags\": [{\"tag\": ..., \"line\": N, \"field\": ...,\n"
        << "   \"state\": \"linked\" | \"unlinked\" | \"missing-field\"}]}\n"
        << "with an empty field for a tag that is not linked.\n";
}

} // namespace

int tagsCommand(const QStringList& args, Context& context)
{
    const QString usage = QLatin1String(TagsUsage);
    if (wantsHelp(args)) {
        printHelp(context.out);
        return Ok;
    }
    const Arguments parsed = parseArguments(args, {QStringLiteral("--json")}, 1,
                                            QStringLiteral("tags needs one document"), context,
                                            usage, {QStringLiteral("--folder")});
    if (parsed.status != Ok)
        return parsed.status;
    const QString& path = parsed.positional[0];
    if (!openSettings(context))
        return Failed;
    const std::optional<Document> document = readDocument(path, context);
    if (!document)
        return Failed;
    std::optional<QSet<QString>> fields;
    if (parsed.given.contains(QStringLiteral("--folder"))) {
        const std::optional<Linking::ScanResult> scan =
            scanFolder(parsed.value("--folder"), context);
        if (!scan)
            return Failed;
        fields.emplace();
        for (const Linking::FieldRow& row : scan->rows)
            fields->insert(row.fieldName);
    }

    Linking::TagMarks marks;
    marks.setText(document->text);
    marks.update(Linking::storedLinks(document->name), fields);
    const QList<Linking::TagMark>& tags = marks.marks();
    const auto tagText = [&](const Linking::TagMark& mark) {
        return QStringView(document->text).sliced(mark.at.start, mark.at.length).toString();
    };

    QTextStream& out = context.out;
    if (parsed.has("--json")) {
        out << "{\n  \"key\": " << jsonString(document->key) << ",\n  \"tags\": [";
        for (qsizetype i = 0; i < tags.size(); ++i) {
            const Linking::TagMark& mark = tags[i];
            out << (i ? ",\n    " : "\n    ") << "{\"tag\": " << jsonString(tagText(mark))
                << ", \"line\": " << mark.line << ", \"field\": " << jsonString(mark.field)
                << ", \"state\": \"" << Linking::stateName(mark.state) << "\"}";
        }
        out << (tags.isEmpty() ? "]\n}\n" : "\n  ]\n}\n");
        return finish(context);
    }

    out << "Document key: " << document->key << "\n";
    if (tags.isEmpty()) {
        out << "No comment tags in \"" << path << "\".\n";
        return finish(context);
    }
    qsizetype width = 5;
    for (const Linking::TagMark& mark : tags)
        width = std::max(
            width,
            std::min<qsizetype>(
                mark.field.size() + 2 * (mark.state == Linking::TagState::MissingField), 24));
    out << "\n"
        << QStringLiteral("Line").rightJustified(6) << "  "
        << QStringLiteral("Field").leftJustified(width) << "  Tag\n";
    for (const Linking::TagMark& mark : tags) {
        QString field = mark.field;
        if (mark.state == Linking::TagState::Unlinked)
            field = QStringLiteral("*");
        else if (mark.state == Linking::TagState::MissingField)
            field += QStringLiteral(" !");
        out << QString::number(mark.line).rightJustified(6) << "  " << field.leftJustified(width)
            << "  " << Linking::tagOnOneLine(tagText(mark)) << "\n";
    }
    out << "\n"
        << Linking::tagCountsText(marks.counts())
        << " (* not linked, ! linked to a field that the job folder's forms lack).\n";
    return finish(context);
}

} // namespace Cli
