// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagMatching.h"

#include "CommentTags.h"
#include "TagLinks.h"
#include "platform/Text.h"
#include "shared/Messages.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace Linking {
namespace {

constexpr QStringView TagOpen = u"<!--";
constexpr QStringView TagClose = u"-->";
// "Line", "Tag" and "Field", separated by the character with code 0.
constexpr int ColumnTitles = 9361;

bool leftOut(QChar c)
{
    return c.isSpace() || c == u'_' || c == u'-';
}

// The rows' fields by name: a tag finds the field spelt as it spells it
// (the blanks around it aside) or else the first whose name matches.
class FieldNames
{
public:
    explicit FieldNames(const QList<FieldRow>& rows)
    {
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QString name = matchName(rows[i].fieldName);
            if (name.isEmpty())
                continue;
            m_exact.insert(rows[i].fieldName, int(i));
            if (!m_matched.contains(name))
                m_matched.insert(name, int(i));
        }
    }

    bool isEmpty() const { return m_matched.isEmpty(); }

    int rowOf(QStringView tag) const
    {
        const QStringView inside = tagInside(tag);
        if (const auto exact = m_exact.constFind(inside.trimmed().toString());
            exact != m_exact.cend())
            return *exact;
        return m_matched.value(matchName(inside), -1);
    }

private:
    QHash<QString, int> m_exact;
    QHash<QString, int> m_matched;
};

} // namespace

QString matchName(QStringView text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        if (!leftOut(c))
            name += c;
    }
    return Platform::foldCase(name);
}

QStringView tagInside(QStringView tag)
{
    if (!tag.startsWith(TagOpen) || !tag.endsWith(TagClose) ||
        tag.size() < TagOpen.size() + TagClose.size())
        return {};
    return tag.sliced(TagOpen.size(), tag.size() - TagOpen.size() - TagClose.size());
}

int rowNamedLike(const QList<FieldRow>& rows, QStringView tag)
{
    return FieldNames(rows).rowOf(tag);
}

int rowStartingWith(const QList<FieldRow>& rows, QStringView typed, int from)
{
    const QString prefix = matchName(typed);
    if (prefix.isEmpty() || rows.isEmpty())
        return -1;
    const qsizetype count = rows.size();
    const qsizetype start = std::clamp<qsizetype>(from, 0, count - 1);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype row = (start + i) % count;
        if (matchName(rows[row].fieldName).startsWith(prefix))
            return int(row);
    }
    return -1;
}

QList<MatchPair> matchingPairs(QStringView text, const TagMarks& marks, const QList<FieldRow>& rows)
{
    const FieldNames names(rows);
    QList<MatchPair> pairs;
    if (names.isEmpty())
        return pairs;
    QSet<QString> offered; // tags as the store compares them
    for (const TagMark& mark : marks.marks()) {
        if (mark.state != TagState::Unlinked || offered.contains(mark.key))
            continue;
        const QStringView tag = text.sliced(mark.at.start, mark.at.length);
        const int row = names.rowOf(tag);
        if (row < 0)
            continue;
        offered.insert(mark.key);
        pairs.append({tag.toString(), rows[row].fieldName, mark.line, mark.at});
    }
    return pairs;
}

QList<MatchPair> linkPairs(const QString& displayName, const QList<MatchPair>& pairs)
{
    QSet<QString> linked;
    for (const StoredLink& link : storedLinks(displayName))
        linked.insert(Platform::foldCase(link.tag));
    QList<MatchPair> kept;
    QList<StoredLink> links;
    for (const MatchPair& pair : pairs) {
        const QString key = Platform::foldCase(pair.tag);
        if (pair.field.isEmpty() || linked.contains(key))
            continue;
        linked.insert(key);
        kept.append(pair);
        links.append({pair.tag, pair.field});
    }
    if (!storeLinks(displayName, links))
        return {};
    return kept;
}

MatchList::MatchList(QObject* parent) : QAbstractTableModel(parent) {}

void MatchList::setPairs(QList<MatchPair> pairs)
{
    beginResetModel();
    m_pairs = std::move(pairs);
    m_ticked = QList<bool>(m_pairs.size(), true);
    endResetModel();
    m_tickedCount = int(m_pairs.size());
    emit tickedCountChanged(m_tickedCount);
}

void MatchList::setTicked(int row, bool ticked)
{
    if (row < 0 || row >= m_ticked.size() || m_ticked[row] == ticked)
        return;
    m_ticked[row] = ticked;
    m_tickedCount += ticked ? 1 : -1;
    const QModelIndex cell = index(row, LineColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    emit tickedCountChanged(m_tickedCount);
}

void MatchList::setAllTicked(bool ticked)
{
    if (m_pairs.isEmpty())
        return;
    m_ticked.fill(ticked);
    m_tickedCount = ticked ? int(m_pairs.size()) : 0;
    emit dataChanged(index(0, LineColumn), index(int(m_pairs.size()) - 1, LineColumn),
                     {Qt::CheckStateRole});
    emit tickedCountChanged(m_tickedCount);
}

QList<MatchPair> MatchList::tickedPairs() const
{
    QList<MatchPair> ticked;
    for (qsizetype i = 0; i < m_pairs.size(); ++i) {
        if (m_ticked[i])
            ticked.append(m_pairs[i]);
    }
    return ticked;
}

int MatchList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_pairs.size());
}

int MatchList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MatchList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_pairs.size())
        return {};
    const MatchPair& pair = m_pairs[index.row()];
    if (role == Qt::CheckStateRole && index.column() == LineColumn)
        return m_ticked[index.row()] ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case LineColumn:
            return pair.line;
        case TagColumn:
            return tagOnOneLine(pair.tag);
        case FieldColumn:
            return pair.field;
        default:
            break;
        }
    }
    if (role == Qt::ToolTipRole && index.column() == TagColumn)
        return pair.tag;
    return {};
}

bool MatchList::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != LineColumn)
        return false;
    setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags MatchList::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == LineColumn)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant MatchList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnTitle(section);
}

QString columnTitle(int column)
{
    return Global::ResolveRes(ColumnTitles).split(QChar(0)).value(column);
}

} // namespace Linking
