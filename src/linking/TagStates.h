// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/CommentTags.h"
#include "linking/TagLinks.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// What each comment tag of a document comes to: linked to a field, not
// linked, or linked to a field that the job folder's form e-mails do not
// carry (a link that will never be filled).
namespace Linking {

enum class TagState
{
    Linked,
    Unlinked,
    MissingField
};

// One comment tag of the document, where it stands (document positions).
struct TagMark
{
    Selection at;
    int line = 0; // the line it starts on, from 1
    QString key;  // the tag as the store compares it (case folded)
    TagState state = TagState::Unlinked;
    QString field; // the linked field, or empty
};

// Tags counted once each however often the document holds them, tags that
// differ only in case being one tag (as they are one link).
struct TagCounts
{
    int tags = 0;
    int linked = 0;
    int unlinked = 0;
    int missing = 0;
    bool operator==(const TagCounts&) const = default;
};

class TagMarks
{
public:
    // The tags of a new text, all of them not linked until `update`.
    void setText(QStringView text);
    // Each tag's state from the document's stored links and the fields of
    // the job folder (nothing when no folder has been scanned: then no link
    // counts as missing). Gives the indexes of the marks whose state or
    // field changed.
    QList<int> update(const QList<StoredLink>& links, const std::optional<QSet<QString>>& fields);

    const QList<TagMark>& marks() const { return m_marks; }
    TagCounts counts() const;
    // The first tag not linked after the start of `current`, wrapping to
    // the first of the text; nothing when every tag is linked.
    std::optional<Selection> nextUnlinked(Selection current) const;
    // The tag that `position` lies inside (after its first character and
    // before its end), or nothing.
    std::optional<Selection> tagAround(qsizetype position) const;

private:
    QList<TagMark> m_marks;
};

// The status bar's summary of the counts (string 9324).
QString tagCountsText(const TagCounts& counts);

// The name of a state as `vantix tags` writes it: "linked", "unlinked",
// "missing-field".
QString stateName(TagState state);

} // namespace Linking
