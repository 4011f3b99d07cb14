// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linking/TagMatching.h"

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QTreeView;

// Link matching tags: the pairs of tags and fields of the same names, each
// with a tick; OK links the ticked ones. Its state is the core's MatchList.
class frm_MatchTags : public QDialog
{
    Q_OBJECT

public:
    explicit frm_MatchTags(QList<Linking::MatchPair> pairs, QWidget* parent = nullptr);

    const Linking::MatchList& list() const { return m_list; }
    Linking::MatchList& list() { return m_list; }

    QLabel* lbl_Prompt = nullptr;
    QTreeView* list_Pairs = nullptr;
    QLabel* lbl_Ticked = nullptr;
    QDialogButtonBox* but_Box = nullptr;

private:
    void showTicked(int count);

    Linking::MatchList m_list;
};
