// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Index identities and the two packings that index entries use.
namespace Indexing {

// Index numbers 1 to 4.
enum IndexNumber : qint16
{
    NameIndex = 1,
    PcodeIndex = 2,
    TelNumIndex = 3,
    UD1Index = 4
};

// The file name of an index number ("Name", "Pcode", "TelNum", "UD1"); any
// other number gives "".
QString IndexTitle(int number);
// The title of an index file ("Postcode" for ".../Pcode.bin"): the base
// name, lower-cased, matched against the file names without regard to case;
// the lower-cased base name itself when none matches.
QString IndexTitle(const QString& fileName);
// The index number of a file name or base name ("pcode.bin" gives 2); 0 when
// none.
int indexNumber(const QString& fileName);
// The path of an index: `folder`, "/", the file name of IndexTitle(number),
// ".bin".
QString indexPath(const QString& folder, int number);

// The display text packed for an entry: its Windows-1252 bytes through
// KwZip. Empty in, empty out.
QByteArray Zip(const QString& text);
// The inverse, reading up to the first byte 1; bytes that are not a packing
// come back as they are (decoded), cut before their first `terminator`.
QString UnZip(QByteArrayView packed, char terminator = 0);

// Packs a reference of digits, hyphens and blanks, four bits a character,
// behind a header byte: bits 0-2 the flags, bits 3-7 the number of bytes
// that follow. A character outside "0123456789- " packs as 15 and is lost.
// `Flags` 0 is replaced by the folder kind of the reference's folder
// (FileInfo.inf's first field) when that folder can be found.
QByteArray KwPack(const QString& digits, qint16& Flags);
// The inverse: the characters, trimmed; `Flags` (0 to 7) and `Length` (the
// bytes the packed value takes, header included). Bytes cut short give what
// they hold; `Length` still says what the header claims.
QString KwUnPack(QByteArrayView packed, qint16& Flags, int& Length);

} // namespace Indexing
