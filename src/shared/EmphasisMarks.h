// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// The inline emphasis marks of list and balloon texts: a control character
// (code 1 or 31) followed by one letter or digit. B/b, I/i and U/u switch
// bold, italic and underline on and off, t steps to the next column, n
// starts a new line, a digit picks a colour (0 the text's own). A mark with
// any other letter is dropped with its letter.
namespace Global {

struct EmphasisRun
{
    enum class Kind
    {
        Text,
        ColumnStep,
        NewLine
    };
    Kind kind = Kind::Text;
    QString text; // Text runs only, never empty
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int colour = 0;
    bool operator==(const EmphasisRun&) const = default;
};

// The runs of a marked text: each stretch of one format is one Text run,
// each column step and new line a run of its own.
QList<EmphasisRun> parseEmphasis(QStringView text);

// The text without its marks: a column step as a tab, a new line as LF.
QString plainEmphasisText(QStringView text);

// A line of runs cut into its columns at the column steps.
using EmphasisCell = QList<EmphasisRun>;
using EmphasisLine = QList<EmphasisCell>;
// The runs by line, each line by column (a line always has one cell at
// least, possibly empty).
QList<EmphasisLine> emphasisLines(const QList<EmphasisRun>& runs);

} // namespace Global
