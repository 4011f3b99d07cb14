// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/FormSubmissions.h"

#include <QList>
#include <QString>

// The links between a document's comment tags and form fields, kept in the
// settings branch "Tagmill\" followed by the document key.
namespace Linking {

// The display name of the document at `path`: its file name with its
// extension, as the document box shows it. A name without "." (mypage) is
// taken whole, where the file-name format "NX" would give nothing.
QString documentName(const QString& path);
// The document key: the display name (file name with extension) in
// search-key form, without "\". "my-page.htm" and "MY PAGE.HTM" both give
// "MYPAGEHTM", "a\b.htm" gives "ABHTM".
QString documentKey(const QString& displayName);
// "Tagmill\" followed by the document key.
QString linkSection(const QString& displayName);
// True when the document's name gives a key to keep its links under;
// otherwise says so in a message (9322) and gives false.
bool checkDocumentKey(const QString& displayName);

// A row as the field list shows it: string 9305 with the field name, the
// sample and the tag link.
QString rowText(const FieldRow& row);
// The line that the field list adds to a row: in how many of the folder's
// `forms` form e-mails the field is (string 9323), starting with its own
// column step and line break.
QString formsLine(int count, int forms);
// A row's tool tip: the field's distinct values, most frequent first, the
// first 20 of them, each with its count.
QString valuesToolTip(const FieldUse& use);

// The row whose field name is `field` (exact), or -1.
int rowOfField(const QList<FieldRow>& rows, const QString& field);
// The row whose tag link is `tag`, compared as the store compares names
// (case aside: "<!-- NAME -->" and "<!-- Name -->" are one link there), or
// -1. An empty tag finds none.
int rowOfTag(const QList<FieldRow>& rows, const QString& tag);

// Makes the rows show the document's stored links and nothing else: the
// tag links they had go, and the links are put in in the order of the
// branch's listing (so of several tags of one field the last listed shows).
// Gives the indexes of the rows it rewrote. Shows the busy pointer while it
// reads and puts the previous one back.
QList<int> loadTagLinks(QList<FieldRow>& rows, const QString& displayName);

// The stored links of a document: each tag with its field, in listing order.
struct StoredLink
{
    QString tag;
    QString field;
};
QList<StoredLink> storedLinks(const QString& displayName);
// The field the tag is stored with, in whatever case the tag was stored,
// or empty.
QString storedField(const QString& displayName, const QString& tag);
// Stores and deletes one link; also "SourceFile". A link stored for the tag
// before, in any case, is replaced: the tag keeps the case it has now and is
// listed last, as a link made for the first time is.
void storeLink(const QString& displayName, const QString& tag, const QString& field);
// Stores links as storeLink does, in one write of the settings: all of them
// or, when the write fails (after its message), none. Links without a tag or
// a field are left out.
bool storeLinks(const QString& displayName, const QList<StoredLink>& links);
void removeLink(const QString& displayName, const QString& tag);
void storeSourceFile(const QString& displayName, const QString& path);

} // namespace Linking
