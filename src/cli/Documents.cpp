// SPDX-License-Identifier: GPL-3.0-or-later
#include "Documents.h"

#include "linking/SourceText.h"
#include "linking/TagLinks.h"
#include "shared/Paths.h"

#include <QFileInfo>

namespace Cli {

std::optional<Document> documentAt(const QString& path)
{
    Document document;
    document.path = path;
    document.name = Linking::documentName(path);
    document.key = Linking::documentKey(document.name);
    if (!Linking::checkDocumentKey(document.name))
        return std::nullopt;
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
    std::optional<Document> document = documentAt(path);
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

// The job folder: a folder as given, or the folder of a filing-tree
// reference, which must name that folder and not only one above it.
QString jobFolder(const QString& given, Context& context)
{
    if (QFileInfo(given).isDir())
        return QFileInfo(given).absoluteFilePath();
    // A path that names no folder is not looked for in the filing tree.
    if (given.contains(QLatin1Char('/'))) {
        context.err << "vantix: no job folder \"" << given << "\"\n";
        return {};
    }
    if (!openSettings(context) || !preparePaths())
        return {};
    const QString path = Global::ResolveFolderRef(given);
    if (path.isEmpty() || Global::folderReference(path) != given) {
        context.err << "vantix: no job folder \"" << given << "\"\n";
        return {};
    }
    return path;
}

std::optional<Linking::ScanResult> scanFolder(const QString& given, Context& context)
{
    const QString folder = jobFolder(given, context);
    if (folder.isEmpty())
        return std::nullopt;
    std::optional<Linking::ScanResult> scan =
        Linking::scanJobFolder(folder, Linking::loadFormSubmissions());
    if (!scan)
        context.err << "vantix: no job folder \"" << given << "\"\n";
    return scan;
}

} // namespace Cli
