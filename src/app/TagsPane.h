// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTreeView>

namespace Linking {
class TagLinker;
}

namespace App {

// Every comment tag of the document in order, as the linker marks them: its
// line, the tag (one line of it) on the colour of its state, and its field.
// Rows are read from the linker when they are drawn, so that a page of tens
// of thousands of tags costs nothing until it is scrolled to.
class TagListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TagListModel(const Linking::TagLinker& linker, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // The window's linker goes before the window's widgets do.
    QPointer<const Linking::TagLinker> m_linker;
};

// The tags pane beside the source: a click on a tag selects it there, and
// the row of the tag selected in the source becomes current.
class TagsPane : public QTreeView
{
    Q_OBJECT

public:
    TagsPane(Linking::TagLinker& linker, QWidget* parent = nullptr);

    TagListModel& tags() { return m_model; }

private:
    void followSelection();

    Linking::TagLinker& m_linker;
    TagListModel m_model;
};

} // namespace App
