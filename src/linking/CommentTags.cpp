// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommentTags.h"

#include <algorithm>

namespace Linking {
namespace {

constexpr QStringView TagOpen = u"<!--";
constexpr QStringView TagClose = u"-->";
// What a step selects of a "<!--" that no "-->" follows.
constexpr qsizetype UnclosedLength = 5;

// Where the tag whose "<!--" is at `open` ends: just after the first "-->"
// from its third character on ("<!-->" closes itself, as it counts as a tag
// when selected), or -1 when none follows.
qsizetype tagEnd(QStringView text, qsizetype open)
{
    const qsizetype close = text.indexOf(TagClose, open + 2);
    return close < 0 ? -1 : close + TagClose.size();
}

Selection unclosedAt(QStringView text, qsizetype open)
{
    // As far as the text goes: a selection never runs past its end.
    return {open, std::min(UnclosedLength, text.size() - open)};
}

// Gives `stop` every place that a step lands on, in order, until it
// returns false: each comment tag, from its "<!--" through its "-->" (a
// "<!--" inside a comment is part of its text, as HTML reads it), then each
// "<!--" that no "-->" follows, as five characters. `stop` takes the
// selection and whether it is a whole tag.
template <typename Stop>
void forEachStop(QStringView text, Stop stop)
{
    bool closed = true; // false once a "<!--" is met that no "-->" follows
    for (qsizetype open = text.indexOf(TagOpen); open >= 0;) {
        const qsizetype end = closed ? tagEnd(text, open) : -1;
        closed = end >= 0;
        if (!stop(closed ? Selection{open, end - open} : unclosedAt(text, open), closed))
            return;
        open = text.indexOf(TagOpen, closed ? end : open + 1);
    }
}

} // namespace

QString selectedTag(QStringView selectedText)
{
    if (selectedText.startsWith(TagOpen) && selectedText.endsWith(TagClose))
        return selectedText.toString();
    return QString();
}

std::optional<Selection> nextTag(QStringView text, Selection current)
{
    std::optional<Selection> found;
    forEachStop(text, [&](Selection at, bool) {
        if (at.start > current.start)
            found = at;
        return !found;
    });
    return found;
}

std::optional<Selection> previousTag(QStringView text, Selection current)
{
    std::optional<Selection> found;
    forEachStop(text, [&](Selection at, bool) {
        if (at.start >= current.start)
            return false;
        found = at;
        return true;
    });
    return found;
}

QList<CommentTag> commentTags(QStringView text)
{
    QList<CommentTag> tags;
    int line = 1;
    qsizetype counted = 0; // line ends are counted up to here
    forEachStop(text, [&](Selection at, bool closed) {
        if (!closed)
            return false;
        for (; counted < at.start; ++counted) {
            const QChar c = text[counted];
            if (c == u'\n' ||
                (c == u'\r' && (counted + 1 == text.size() || text[counted + 1] != u'\n')))
                ++line;
        }
        tags.append({text.sliced(at.start, at.length).toString(), line, at.start});
        return true;
    });
    return tags;
}

} // namespace Linking
