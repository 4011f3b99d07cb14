// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// What the RTF reader gives the views: the text with one run for each stretch
// of one format, and the fonts and colours that the formats name. Reading needs
// no fonts; only filling a text document with the runs does (RtfDocument.cpp),
// so that part is built with the program's other users of Qt Gui.
namespace Routines_Converters::Rtf {

inline constexpr int DefaultCodePage = 1252;
inline constexpr int DefaultHalfPoints = 24; // 12 pt, what \plain gives

struct CharFormat
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1; // the document's default font
    int halfPoints = DefaultHalfPoints;
    int colour = 0;

    bool operator==(const CharFormat&) const = default;
};

inline size_t qHash(const CharFormat& f, size_t seed = 0)
{
    return qHashMulti(seed, f.bold, f.italic, f.underline, f.font, f.halfPoints, f.colour);
}

struct FontDef
{
    QString name;
    int codePage = 0; // 0: the document's
    bool fixedPitch = false;
};

// A colour table entry; one with no component given is the table's "auto".
struct Colour
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool given = false;
};

// What the document's header tells: fonts, colours and its code page.
struct Tables
{
    QHash<int, FontDef> fonts;
    QList<Colour> colours;
    int defaultFont = 0;
    int codePage = DefaultCodePage;
};

struct Run
{
    qsizetype start;
    qsizetype length;
    CharFormat format;
};

// The text holds QChar::ParagraphSeparator and QChar::LineSeparator for the
// breaks, as a text document does.
struct Runs
{
    QString text;
    std::vector<Run> runs;
    Tables tables;
};

bool isRtf(const QString& text);
// The runs of a text that isRtf.
Runs readRuns(const QString& rtf);

} // namespace Routines_Converters::Rtf
