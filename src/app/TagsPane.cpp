// SPDX-License-Identifier: GPL-3.0-or-later
#include "TagsPane.h"

#include "TagMarkSelections.h"
#include "linking/CommentTags.h"
#include "linking/TagLinker.h"
#include "linking/TagMatching.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include <algorithm>

namespace App {
namespace {

enum Column
{
    LineColumn,
    TagColumn,
    FieldColumn,
    ColumnCount
};

} // namespace

TagListModel::TagListModel(const Linking::TagLinker& linker, QObject* parent)
    : QAbstractTableModel(parent), m_linker(&linker)
{
    connect(&linker, &QObject::destroyed, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&linker, &Linking::TagLinker::tagMarksReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&linker, &Linking::TagLinker::tagMarksChanged, this, [this](const QList<int>& marks) {
        if (marks.isEmpty())
            return;
        const auto [first, last] = std::minmax_element(marks.cbegin(), marks.cend());
        emit dataChanged(index(*first, 0), index(*last, ColumnCount - 1));
    });
}

int TagListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_linker ? 0 : int(m_linker->tagMarks().marks().size());
}

int TagListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TagListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_linker || index.row() >= m_linker->tagMarks().marks().size())
        return {};
    const QList<Linking::TagMark>& marks = m_linker->tagMarks().marks();
    const Linking::TagMark& mark = marks[index.row()];
    const auto tag = [&] {
        return QStringView(m_linker->sourceText()).sliced(mark.at.start, mark.at.length);
    };
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == LineColumn)
            return mark.line;
        if (index.column() == TagColumn)
            return Linking::tagOnOneLine(tag());
        if (index.column() == FieldColumn)
            return mark.field;
        break;
    case Qt::ToolTipRole:
        if (index.column() == TagColumn)
            return tag().toString();
        break;
    case Qt::BackgroundRole:
        if (index.column() == TagColumn)
            return TagMarkSelections::colourOf(mark.state);
        break;
    case Qt::ForegroundRole:
        // The marks' colours are light: the text on them stays dark in any
        // theme.
        if (index.column() == TagColumn)
            return QColor(Qt::black);
        break;
    default:
        break;
    }
    return {};
}

QVariant TagListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Linking::columnTitle(section);
}

TagsPane::TagsPane(Linking::TagLinker& linker, QWidget* parent)
    : QTreeView(parent), m_linker(linker), m_model(linker)
{
    setObjectName(QStringLiteral("pnl_Tags"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setModel(&m_model);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(LineColumn, QHeaderView::ResizeToContents);
    setColumnWidth(TagColumn, 160);
    connect(this, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { m_linker.selectMark(index.row()); });
    connect(this, &QTreeView::activated, this,
            [this](const QModelIndex& index) { m_linker.selectMark(index.row()); });
    connect(&linker, &Linking::TagLinker::selectedTagChanged, this, &TagsPane::followSelection);
}

void TagsPane::followSelection()
{
    // The tag selected in the source, wherever it was selected from.
    const Linking::Selection selection = m_linker.sourceSelection();
    const QList<Linking::TagMark>& marks = m_linker.tagMarks().marks();
    const auto mark = std::lower_bound(
        marks.cbegin(), marks.cend(), selection.start,
        [](const Linking::TagMark& m, qsizetype start) { return m.at.start < start; });
    if (m_linker.selectedTag().isEmpty() || mark == marks.cend() || mark->at != selection) {
        clearSelection();
        return;
    }
    const QModelIndex row = m_model.index(int(mark - marks.cbegin()), TagColumn);
    const QSignalBlocker blocker(this);
    setCurrentIndex(row);
    scrollTo(row);
}

} // namespace App
