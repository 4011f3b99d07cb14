// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommentTags.h"

#include <algorithm>

namespace Linking {
namespace {

constexpr QStringView TagOpen = u"<!--";
constexpr QStringView TagClose = u"-->";

} // namespace

QString selectedTag(QStringView selectedText)
{
    if (selectedText.startsWith(TagOpen) && selectedText.endsWith(TagClose))
        return selectedText.toString();
    return QString();
}

Selection tagSelectionAt(QStringView text, qsizetype p)
{
    const qsizetype start = std::clamp<qsizetype>(p - 1, 0, text.size());
    const qsizetype close = text.indexOf(u'>', start);
    if (close >= 0)
        return {start, close - start + 1};
    // Five characters, as far as the text goes: a selection never runs past
    // the end of the source.
    return {start, std::min<qsizetype>(5, text.size() - start)};
}

std::optional<Selection> nextTag(QStringView text, Selection current)
{
    const qsizetype from = std::max<qsizetype>(current.start, 0) + 1;
    if (from > text.size())
        return std::nullopt;
    const qsizetype found = text.indexOf(TagOpen, from);
    if (found < 0)
        return std::nullopt;
    return tagSelectionAt(text, found + 1);
}

std::optional<Selection> previousTag(QStringView text, Selection current)
{
    // The tag must start before the selection does.
    const qsizetype last = std::min(current.start, text.size()) - 1;
    if (last < 0)
        return std::nullopt;
    const qsizetype found = text.lastIndexOf(TagOpen, last);
    if (found < 0)
        return std::nullopt;
    return tagSelectionAt(text, found + 1);
}

QList<CommentTag> commentTags(QStringView text)
{
    QList<CommentTag> tags;
    int line = 1;
    qsizetype counted = 0; // line ends are counted up to here
    for (qsizetype open = text.indexOf(TagOpen); open >= 0;) {
        // "<!-->" closes itself, as it counts as a tag when selected.
        const qsizetype close = text.indexOf(TagClose, open + 2);
        if (close < 0)
            break;
        for (; counted < open; ++counted) {
            const QChar c = text[counted];
            if (c == u'\n' ||
                (c == u'\r' && (counted + 1 == text.size() || text[counted + 1] != u'\n')))
                ++line;
        }
        const qsizetype end = close + TagClose.size();
        tags.append({text.sliced(open, end - open).toString(), line, open});
        // A "<!--" inside a comment is part of its text, as HTML reads it.
        open = text.indexOf(TagOpen, end);
    }
    return tags;
}

} // namespace Linking
