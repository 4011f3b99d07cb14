// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Global {

// The items of a delimited text, at most 60 ("a,b,c" and "a,b,c," both give
// three; an empty text none).
QStringList SplitList(const QString& text, const QString& delimiter = QStringLiteral(","));
// The same, each item read as a number (a text that is no number gives 0).
QList<double> SplitNumbers(const QString& text, const QString& delimiter = QStringLiteral(","));

// The search-key form of a text: the irrelevant characters (blank, ",.'-",
// the double quote, CR, LF and the tweak IrrelevantSearchLetters) dropped and
// the rest in upper case. In word mode blanks stay, and single letters that
// stand alone are joined ("J R R TOLKIEN" gives "JRR TOLKIEN").
QString MakeSearchKey(const QString& text, bool wordMode = false);
// The character that a search key holds for `c`, a character below U+0100,
// or -1 where keys drop it: the first character of MakeSearchKey(c).
int searchKeyOfLatin1(char16_t c);

// The width of a text in twips as it is shown; Global::widthIn (shared/Fonts.h)
// measures in a font.
using TextWidth = std::function<int(const QString& text)>;

// The arguments of FormatFilename after the path and the codes.
struct FilenameFormat
{
    QString base;             // "C": the part of the path to cut out
    std::optional<int> limit; // greatest length ("T", or any codes), width ("W", in twips)
    TextWidth width;          // "W": how wide a text is; without it "W" gives the whole path
    QString separator = QStringLiteral("/");
};

// The display form of a path, built piece by piece from the format codes:
// "D" drive, "P" folder part, "C" folder part less Base, "M" last folder's
// name, "L" parent folder, "N" name without extension, "X" extension, "G" the
// names as the file system stores them, "S" short form, "U" drop bracketed
// parts so far, "T"/"W" shortened to Limit characters or width; any other
// character stands for itself.
QString FormatFilename(const QString& path, const QString& codes,
                       const FilenameFormat& format = {});

// A file's size for people: "5,000 bytes", "19.5KB", "1.0MB". The size is
// `size` when given, else the file's length. `unit` "M" or "K" forces the unit.
QString FormatFileSize(const QString& path, std::optional<double> size = std::nullopt,
                       const QString& unit = QString());

// A text cut to at most `length` characters at a word's end where it can be,
// with "..." when `ellipsis`; with `stopAtLineBreak` only its first line.
QString TruncateText(const QString& text, int length, bool ellipsis = true,
                     bool stopAtLineBreak = true);

} // namespace Global
