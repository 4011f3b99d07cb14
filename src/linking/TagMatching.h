// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/FormSubmissions.h"
#include "linking/TagStates.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// Linking by name: a comment tag whose text names a field of the job folder
// ("<!-- delivery date -->" and the field "Delivery_Date") is offered for a
// link to that field, and the pairs the user keeps are linked in one write.
namespace Linking {

// A tag's text or a field's name as names are matched: case folded, and
// blanks (line ends among them), "_" and "-" left out. "<!-- E-mail -->"
// gives "EMAIL", as does the field "e_mail".
QString matchName(QStringView text);
// The text of a tag inside its "<!--" and "-->", as matchName takes it.
QStringView tagInside(QStringView tag);

// The row whose field has the tag's name: the field spelt exactly as the tag
// spells it (blanks around it aside), or else the first in the rows' order
// whose name matches; -1 when none has.
int rowNamedLike(const QList<FieldRow>& rows, QStringView tag);

// Type-ahead in the field list: the first row from `from` on (wrapping
// round) whose field name, as names are matched, begins with what was typed
// so far; -1 when none does.
int rowStartingWith(const QList<FieldRow>& rows, QStringView typed, int from);

// One link that linking by name offers.
struct MatchPair
{
    QString tag;   // as the document holds it (its first occurrence)
    QString field; // the row's field name
    int line = 0;  // where the tag first stands, from 1
    Selection at;  // ... in document positions
    bool operator==(const MatchPair&) const = default;
};

// The pairs of the tags that are not linked (each tag once, however often
// the document holds it) with the field of their name, in document order.
// Tags that are linked, to a field the rows show or not, are left alone.
QList<MatchPair> matchingPairs(QStringView text, const TagMarks& marks,
                               const QList<FieldRow>& rows);

// Stores the pairs as links of the document in one write of the settings
// (all or none), leaving out a tag that the store links to a field by now:
// linking by name never moves a link. Gives the pairs it stored.
QList<MatchPair> linkPairs(const QString& displayName, const QList<MatchPair>& pairs);

// The title of a column of the lists of tags ("Line", "Tag", "Field").
QString columnTitle(int column);

// The pairs offered, each with a tick that the user may take off (all
// ticked at first): the state of the dialog that shows them, as a table of
// the tag's line, the tag (one line of it) and the field.
class MatchList : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        LineColumn,
        TagColumn,
        FieldColumn,
        ColumnCount
    };

    explicit MatchList(QObject* parent = nullptr);

    void setPairs(QList<MatchPair> pairs);
    const QList<MatchPair>& pairs() const { return m_pairs; }
    bool isTicked(int row) const { return m_ticked.value(row); }
    void setTicked(int row, bool ticked);
    void setAllTicked(bool ticked);
    int tickedCount() const { return m_tickedCount; }
    QList<MatchPair> tickedPairs() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void tickedCountChanged(int count);

private:
    QList<MatchPair> m_pairs;
    QList<bool> m_ticked;
    int m_tickedCount = 0;
};

} // namespace Linking
