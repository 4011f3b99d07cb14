// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// Plain text, HTML and RTF conversion for the rich-text views.
namespace Routines_Converters {

// One font or colour of an RTF document, as the converters look them up.
struct RTFTableEntry
{
    QString Code;     // "f0" / "cf0" as read, "\f4" / "\cf3" when added by HTMLtoRTF
    QString OpenTag;  // <FONT FACE="name"> or <FONT COLOR="#RRGGBB">
    QString CloseTag; // </FONT>
    QString Value;    // the font's name, or the colour as RRGGBB

    bool operator==(const RTFTableEntry&) const = default;
};

// The fonts and colours that the last func_GetRTFTables read and that
// HTMLtoRTF extends; one pair for the whole program. FontTable[0] is an
// empty entry that is never a font, so RTF font k sits at index k + 1;
// colour k sits at index k.
extern QList<RTFTableEntry> FontTable;
extern QList<RTFTableEntry> ColourTable;

// The texts that open and close the program's RTF and HTML documents, built
// from the string table on first use and kept for the run.
const QString& RTFHeader();
const QString& RTFFooter();
const QString& HTMLHeader();
const QString& HTMLFooter();
// Builds the document texts again from the string table (start-up does this
// once the table is in place).
void buildDocumentTexts();

// The bits of TXTtoRTF's Flags.
namespace TxtFlags {
enum : int
{
    EscapeAndMarks = 1, // escape "\", "{", "}" and turn emphasis marks into RTF words
    LineBreaks = 2      // CR LF and tab become paragraph and tab words
};
}

// RTF body text (no document braces, no tables) for a text. Unless
// PlainOnly, an HTML document with a usable body goes to HTMLtoRTF instead.
// Emphasis marks (a control character other than tab, CR and LF, then one
// letter) become "\b ", "\b0 ", "\i ", "\i0 ", "\ul ", "\ul0 ", "\tab " for
// B, b, I, i, U, u, t; "n" becomes "\line "; any other letter is dropped
// with its mark.
QString TXTtoRTF(const QString& text, int Flags = 3, const QString& ParagraphExtra = QString(),
                 bool PlainOnly = false);

// The body of an HTML document, from its "<body" up to its "</body>", when
// the document is whole and its body passes the text check; else empty.
QString GetHTMLBody(const QString& text);

// RTF for a piece of HTML: bold, italic, underline, breaks and FONT face,
// colour and size; other tags go. With Wrap, a whole document whose tables
// hold the fonts and colours the HTML used, Prefix standing before the body.
// A fault (a 51st nested FONT, an empty SIZE) is reported and gives "".
QString HTMLtoRTF(const QString& html, bool Wrap = false, const QString& Prefix = QString());

// The readable text of a piece of HTML: mark-up removed, references resolved.
QString HTMLtoTXT(const QString& html);

// Fills FontTable and ColourTable from the font and colour table groups of
// an RTF text and gives the text without those groups. A fault (braces
// nested deeper than 11 in a table) is reported and gives "".
QString func_GetRTFTables(const QString& rtf);

} // namespace Routines_Converters
