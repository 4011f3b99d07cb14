// SPDX-License-Identifier: GPL-3.0-or-later
#include "Documents.h"

#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "shared/Formatting.h"

#include <QFileInfo>

namespace Cli {

std::optional<Document> documentAt(const QString& path, Context& context)
{
    Document document;
    document.path = path;
    document.name = Global::FormatFilename(path, QStringLiteral("NX"));
    document.key = Linking::documentKey(document.name);
    if (document.key.isEmpty()) {
        context.err << "vantix: the name of \"" << path
                    << "\" has no letter or digit to keep its links under\n";
        return std::nullopt;
    }
    return document;
}

std::optional<Document> readDocument(const QString& path, Context& context)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        context.err << "vantix: cannot read \"" << path
                    << "\": " << (info.isDir() ? "it is a folder" : "no such file") << "\n";
        return std::nullopt;
    }
    std::optional<Document> document = documentAt(path, context);
    if (!document)
        return std::nullopt;
    std::optional<QString> text = Linking::readDocument(path);
    if (!text) {
        context.err << "vantix: cannot read \"" << path << "\"\n";
        return std::nullopt;
    }
    if (text->contains(QChar(0)))
        context.err << "vantix: note: \"" << path << "\" does not look like a text document\n";
    document->text = std::move(*text);
    return document;
}

int notATag(const QString& tag, Context& context, const QString& usage)
{
    return usageError(context,
                      QStringLiteral("'%1' is not a comment tag: it must begin with \"<!--\" and "
                                     "end with \"-->\"")
                          .arg(tag),
                      usage);
}

} // namespace Cli
