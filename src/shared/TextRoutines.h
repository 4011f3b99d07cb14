// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The fast text routines that the converters and the index build on. Each
// takes a text and gives the new one; the lengths the callers used to cut
// their buffers to are simply the lengths of the results.
namespace Global {

// The separator between the items of a replacement table: find, separator,
// replacement, separator, find, ...
inline constexpr QChar ReplaceTableSeparator = QChar(1);

// Applies a replacement table: each pair in table order, over the whole text
// as the previous pairs left it, left to right, a replacement never searched
// again by its own pair. So with "&amp;" before "&lt;", "&amp;lt;" gives
// "<". An empty find does nothing; a find without its replacement (an odd
// number of items) is replaced by nothing. Every pass is linear, and runs of
// pairs that cannot see each other's results share one pass.
QString KwReplace(const QString& text, QStringView table);

// The text without its mark-up: every "<" up to the next ">" is removed; a
// "<" with no ">" after it stays, with the rest of the text.
QString KwStripHTML(const QString& text);

// Resolves numeric character references: "&#" and decimal digits, or "&#x"
// (or "&#X") and hexadecimal digits, closed by ";". The codes 128 to 159 are
// read as Windows-1252 bytes, as browsers read them. A reference without
// digits or without its ";", one that names 0, a surrogate or a code beyond
// U+10FFFF, stays as it is written. Named references are the callers' tables.
// With `escapeRtf`, a reference to a backslash or a brace gives that character
// escaped for RTF, so that the text of a page can never write RTF words.
QString KwConvertHTMLCodesToASCII(const QString& text, bool escapeRtf = false);

// Every run of blanks (code 32) becomes one blank.
QString KwLoseDblSpaces(const QString& text);

// Only the letters A to Z and a to z, at most `maxLength` of them.
QString KwKeepAtoZ(QStringView text, qsizetype maxLength);

// 1 when a font family of that name is installed (names compare without
// regard to case), 0 otherwise.
int KwFontExists(const QString& face);

// The packing alphabet of the contact index's display texts.
inline constexpr char KwZipAlphabet[] =
    "ABCDEFGHIJKLMNOPRSTWYabcdefghiklmnopqrstuvwxyz0123456789,.'-;: ";

// Packs 8-bit text for the contact index. Every text packs, and unpacks to
// exactly its own bytes; the packed form is at most twice as long as the
// text and never holds the bytes 0, 1 or 2, so a packed text can stand
// between the index's entry marks.
//
// The packing is a bit stream cut into 7-bit groups, each stored as a byte of
// 3 + its value (3 to 130). Each character of the text is one code, written
// most significant bit first:
//
//   6 bits   its place (0 to 62) in the alphabet, for the 63 characters of
//            `alphabet`
//   6 + 8    63, then the byte itself, for any other character
//
// The last group is filled with 1 bits. An unpacker stops when fewer than 6
// bits remain or when an escape lacks its 8, so the fill never reads as a
// character. A text of the alphabet thus packs to 6/7 of its length; a text
// of other characters to twice its length.
//
// `outputLength` is the room the caller gives (twice the text's length); the
// result is the packed text, or nothing when `alphabet` is not 63 distinct
// characters or the room is too small.
std::optional<QByteArray> KwZip(QByteArrayView text, qsizetype outputLength,
                                QByteArrayView alphabet = KwZipAlphabet);
// Unpacks what KwZip packed, up to the first byte 1 (the start of the next
// index entry) or the end. Nothing when the bytes are not a packing: a byte
// below 3 or above 130 before that end, or more than `outputLength`
// characters.
std::optional<QByteArray> KwUnZip(QByteArrayView packed, qsizetype outputLength,
                                  QByteArrayView alphabet = KwZipAlphabet);
// The same into `out`, whose room is used again (a search unpacks a text for
// every hit); false where KwUnZip gives nothing, `out` then undefined.
bool KwUnZipInto(QByteArray& out, QByteArrayView packed, qsizetype outputLength,
                 QByteArrayView alphabet = KwZipAlphabet);

// What KwFontExists asks. Only a GUI application has a font database: the
// programs that have one install its check (useFontDatabase, shared/Fonts.h),
// and without a check no font is installed. Fonts differ between machines, so
// tests put a fixed answer here. Gives back the previous check.
using FontCheck = std::function<bool(const QString& face)>;
FontCheck setFontCheck(FontCheck check);

} // namespace Global
