// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/FormSubmissions.h"
#include "linking/TagLinks.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A target document filled from one form e-mail, as the page would be once
// it goes live: each linked tag replaced by the e-mail's value of its field.
// Nothing is written: the result is the caller's.
namespace Linking {

struct FilledTag
{
    QString tag;
    QString field;
    QString value; // as the e-mail gives it, not escaped
};

struct MissingTag
{
    QString tag;
    QString field;
};

struct FilledDocument
{
    // The document's bytes with every linked tag whose field the e-mail
    // carries replaced by the value, HTML-escaped, in the document's own
    // encoding; everything else is the document's own bytes.
    QByteArray bytes;
    // Each distinct tag once (tags that differ only in case are one link),
    // in the order of their first place in the document.
    QList<FilledTag> filled;
    QStringList unlinked;
    // Linked tags whose field the e-mail does not carry: left as they are.
    QList<MissingTag> missing;
};

// The value as HTML text: & < > " ' escaped.
QString escapeHtml(QStringView value);

// Fills the document's bytes (UTF-8 or Windows-1252, as decodeDocument reads
// them) from the links and one e-mail's field lines. A character that a
// Windows-1252 document cannot hold becomes a numeric character reference.
FilledDocument fillDocument(const QByteArray& document, const QList<StoredLink>& links,
                            const QList<FieldLine>& values);

} // namespace Linking
