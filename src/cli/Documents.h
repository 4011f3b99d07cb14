// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Cli.h"
#include "linking/FormSubmissions.h"

#include <optional>

namespace Cli {

// A target document as the link commands see it.
struct Document
{
    QString path;
    QString name; // the display name, file name and extension, that keys its links
    QString key;  // the document key
    QString text; // empty unless read
};

// The document at `path` without reading it; nothing, after the program's
// message on stderr, when its name gives no key to keep links under.
std::optional<Document> documentAt(const QString& path);
// The same, read whole; nothing, after saying why, when it cannot be read.
std::optional<Document> readDocument(const QString& path, Context& context);
// The job folder: a folder as given, or the folder of a filing-tree
// reference, which must name that folder; "" after saying so when there is
// none.
QString jobFolder(const QString& given, Context& context);
// The job folder (as jobFolder finds it) scanned as the main window scans
// it; nothing, after saying so, when there is no such folder.
std::optional<Linking::ScanResult> scanFolder(const QString& given, Context& context);
// The usage error of a TAG argument that is no whole comment tag.
int notATag(const QString& tag, Context& context, const QString& usage);

} // namespace Cli
