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

// Gives `stop` every place that a step lands on, from `from` on and
// starting before `until`, in order, until it returns false: each comment
// tag, from its "<!--" through its "-->" (a "<!--" inside a comment is part
// of its text, as HTML reads it), then each "<!--" that no "-->" follows, as
// five characters. `stop` takes the selection and whether it is a whole tag.
// `from` must lie outside every comment: the start, or the end of a "-->"
// (see outsideFrom).
template <typename Stop>
void forEachStop(QStringView text, qsizetype from, qsizetype until, Stop stop)
{
    const QStringView openings = text.first(std::min(until + TagOpen.size() - 1, text.size()));
    bool closed = true; // false once a "<!--" is met that no "-->" follows
    for (qsizetype open = openings.indexOf(TagOpen, from); open >= 0;) {
        const qsizetype end = closed ? tagEnd(text, open) : -1;
        closed = end >= 0;
        if (!stop(closed ? Selection{open, end - open} : unclosedAt(text, open), closed))
            return;
        open = openings.indexOf(TagOpen, closed ? end : open + 1);
    }
}

// Where a walk may start so as to meet every stop from `limit` on: the end
// of the last "-->" that ends at or before `limit`, or the start. Just after
// any "-->" the text is outside every comment: a comment open before it ends
// with it at the latest, and no "<!--" overlaps it. So a step reads the
// text from the tag before the caret on, not from the start.
qsizetype outsideFrom(QStringView text, qsizetype limit)
{
    const qsizetype last = std::min(limit, text.size()) - TagClose.size();
    if (last < 0)
        return 0;
    const qsizetype close = text.lastIndexOf(TagClose, last);
    return close < 0 ? 0 : close + TagClose.size();
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
    const qsizetype after = std::max<qsizetype>(current.start, 0) + 1; // the first start wanted
    std::optional<Selection> found;
    forEachStop(text, outsideFrom(text, after), text.size(), [&](Selection at, bool) {
        if (at.start >= after)
            found = at;
        return !found;
    });
    return found;
}

std::optional<Selection> previousTag(QStringView text, Selection current)
{
    // Back from the caret one stretch between two "-->" at a time: a tag
    // that starts in a stretch ends in it.
    for (qsizetype before = std::min(current.start, text.size()); before > 0;) {
        const qsizetype from = outsideFrom(text, before - 1);
        std::optional<Selection> found;
        forEachStop(text, from, before, [&](Selection at, bool) {
            found = at;
            return true;
        });
        if (found)
            return found;
        before = from;
    }
    return std::nullopt;
}

QList<CommentTag> commentTags(QStringView text)
{
    QList<CommentTag> tags;
    int line = 1;
    qsizetype counted = 0; // line ends are counted up to here
    forEachStop(text, 0, text.size(), [&](Selection at, bool closed) {
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

QString tagOnOneLine(QStringView tag, QChar lineEnd)
{
    QString line;
    line.reserve(tag.size());
    for (qsizetype i = 0; i < tag.size(); ++i) {
        const QChar c = tag[i];
        if (c == u'\r' && i + 1 < tag.size() && tag[i + 1] == u'\n')
            continue;
        if (c == u'\r' || c == u'\n')
            line += lineEnd;
        else if (c == u'\t')
            line += u' ';
        else if (c.unicode() < 0x20)
            line += QChar(char16_t(0x2400 + c.unicode()));
        else
            line += c;
    }
    return line;
}

} // namespace Linking
