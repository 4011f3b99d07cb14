// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagStates.h"

#include "platform/Text.h"
#include "shared/Messages.h"

#include <QHash>

#include <algorithm>

namespace Linking {

void TagMarks::setText(QStringView text)
{
    m_marks.clear();
    for (const CommentTag& tag : commentTags(text))
        m_marks.append({{tag.start, tag.tag.size()}, tag.line, Platform::foldCase(tag.tag)});
}

QList<int> TagMarks::update(const QList<StoredLink>& links,
                            const std::optional<QSet<QString>>& fields)
{
    // Of several stored links of one tag (in different cases), the last
    // listed is the one the store gives.
    QHash<QString, QString> fieldOf;
    for (const StoredLink& link : links)
        fieldOf.insert(Platform::foldCase(link.tag), link.field);
    QList<int> changed;
    for (qsizetype i = 0; i < m_marks.size(); ++i) {
        TagMark& mark = m_marks[i];
        const QString field = fieldOf.value(mark.key);
        TagState state = TagState::Unlinked;
        if (!field.isEmpty())
            state = fields && !fields->contains(field) ? TagState::MissingField : TagState::Linked;
        if (state != mark.state || field != mark.field) {
            mark.state = state;
            mark.field = field;
            changed.append(int(i));
        }
    }
    return changed;
}

TagCounts TagMarks::counts() const
{
    TagCounts counts;
    QSet<QString> seen;
    for (const TagMark& mark : m_marks) {
        if (seen.contains(mark.key))
            continue;
        seen.insert(mark.key);
        ++counts.tags;
        switch (mark.state) {
        case TagState::Linked:
            ++counts.linked;
            break;
        case TagState::Unlinked:
            ++counts.unlinked;
            break;
        case TagState::MissingField:
            ++counts.missing;
            break;
        }
    }
    return counts;
}

std::optional<Selection> TagMarks::nextUnlinked(Selection current) const
{
    const TagMark* first = nullptr;
    for (const TagMark& mark : m_marks) {
        if (mark.state != TagState::Unlinked)
            continue;
        if (mark.at.start > current.start)
            return mark.at;
        if (!first)
            first = &mark;
    }
    return first ? std::optional(first->at) : std::nullopt;
}

std::optional<Selection> TagMarks::tagAround(qsizetype position) const
{
    // Marks are in document order and never overlap: the one that may hold
    // the position is the last that starts before it.
    const auto after =
        std::lower_bound(m_marks.cbegin(), m_marks.cend(), position,
                         [](const TagMark& mark, qsizetype p) { return mark.at.start < p; });
    if (after == m_marks.cbegin())
        return std::nullopt;
    const Selection at = std::prev(after)->at;
    if (position < at.start + at.length)
        return at;
    return std::nullopt;
}

QString tagCountsText(const TagCounts& counts)
{
    return Global::ResolveRes(9324, {counts.tags, counts.linked, counts.unlinked, counts.missing});
}

QString stateName(TagState state)
{
    switch (state) {
    case TagState::Linked:
        return QStringLiteral("linked");
    case TagState::Unlinked:
        return QStringLiteral("unlinked");
    case TagState::MissingField:
        break;
    }
    return QStringLiteral("missing-field");
}

} // namespace Linking
