// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IndexFile.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// How values and clues become search keys and cells. The writer and the
// search use exactly these rules, so a word stored under a cell is always
// looked for under the same cell.
namespace Indexing {

// The cell of a key from its first three characters (padded with K): each
// character's group in the 20 groups of four of the cell table, K's group (9)
// for a character the table lacks. The key is expected in compact form.
Cell cellOf(QStringView key);
// Both directions of the suite's routine: forward sets the cells from Key;
// with Reverse, Key becomes the 12 characters of the cells' groups (code 0
// for the blanks of a group).
void CalculateCell(QString& Key, qint16& Cell1, qint16& Cell2, qint16& Cell3, bool Reverse = false);

// A value split for the index: its match text and the key words stored for
// it, in order (each stored once per occurrence).
struct KeyWords
{
    QString match;
    QStringList words;
};
// `index` is the index number; `kind` the folder kind (initials are added
// for company names in the Name index). The match text never holds the
// characters 0 to 2, which mark an entry's parts.
KeyWords keyWords(const QString& value, int index, int kind);

// The searchable fields as the finder lists them: "Name|1", "Postcode|2",
// "Phone/Fax/E-mail|3", "User-defined 1|4".
QStringList GetIndexedFields();

} // namespace Indexing
