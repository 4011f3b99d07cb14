// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The comment tags ("<!--" to "-->") of a target document: which selection
// counts as a tag, and the steps to the previous and next one. Positions are
// those of the document's own text.
namespace Linking {

// A selection of the source: a 0-based start and a length.
struct Selection
{
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const Selection&) const = default;
};

// The selected-tag rule: the selected text when it begins with "<!--" and
// ends with "-->", otherwise empty.
QString selectedTag(QStringView selectedText);

// A step lands on each comment tag, from its "<!--" through the first "-->"
// after it, the whole tag (a "<!--" inside a comment is part of its text);
// after the last tag, on each "<!--" that no "-->" follows, selecting its
// five characters, which make no tag.
//
// The next tag's selection: the first that starts after the selection's
// start. Nothing when there is none (the caller beeps).
std::optional<Selection> nextTag(QStringView text, Selection current);
// The previous tag's selection: the last that starts before the
// selection's start (so a caret inside a tag gives that tag). Nothing when
// there is none.
std::optional<Selection> previousTag(QStringView text, Selection current);

// One comment tag of a document, as `vantix tags` lists them and the steps
// land on them (a "<!--" with no "-->" after it is not a tag), with
// the 1-based line of its start (CR LF, LF and CR each end a line).
struct CommentTag
{
    QString tag;
    int line = 0;
    qsizetype start = 0; // 0-based
};
QList<CommentTag> commentTags(QStringView text);

// A tag on one line, as lists show it: each line end (CR LF one) shows as
// `lineEnd`, a tab as a blank, other control characters as their pictures;
// the tag itself keeps them.
QString tagOnOneLine(QStringView tag, QChar lineEnd = QChar(0x23CE));

} // namespace Linking
