// SPDX-License-Identifier: GPL-3.0-or-later
#include "frm_MatchTags.h"

#include "shared/Messages.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

namespace Str {
enum : int
{
    Ok = 400,
    Cancel = 401,
    Title = 9360,
    Prompt = 9362,
    Ticked = 9364,
};
}

} // namespace

frm_MatchTags::frm_MatchTags(QList<Linking::MatchPair> pairs, QWidget* parent)
    : QDialog(parent), m_list(this)
{
    setObjectName(QStringLiteral("frm_MatchTags"));
    setWindowTitle(Global::ResolveRes(Str::Title).section(QLatin1Char(','), 0, 0));
    m_list.setPairs(std::move(pairs));

    lbl_Prompt = new QLabel(Global::ResolveRes(Str::Prompt), this);
    lbl_Prompt->setWordWrap(true);
    list_Pairs = new QTreeView(this);
    list_Pairs->setObjectName(QStringLiteral("list_Pairs"));
    list_Pairs->setRootIsDecorated(false);
    // A page may offer tens of thousands of pairs: rows of one height are
    // laid out without measuring each.
    list_Pairs->setUniformRowHeights(true);
    list_Pairs->setAlternatingRowColors(true);
    list_Pairs->setModel(&m_list);
    list_Pairs->header()->setStretchLastSection(true);
    list_Pairs->header()->setSectionResizeMode(Linking::MatchList::LineColumn,
                                               QHeaderView::ResizeToContents);
    list_Pairs->setColumnWidth(Linking::MatchList::TagColumn, 260);
    lbl_Ticked = new QLabel(this);
    lbl_Ticked->setObjectName(QStringLiteral("lbl_Ticked"));

    but_Box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    but_Box->button(QDialogButtonBox::Ok)->setText(Global::ResolveRes(Str::Ok));
    but_Box->button(QDialogButtonBox::Cancel)->setText(Global::ResolveRes(Str::Cancel));
    connect(but_Box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(but_Box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbl_Prompt);
    layout->addWidget(list_Pairs, 1);
    layout->addWidget(lbl_Ticked);
    layout->addWidget(but_Box);
    resize(560, 400);

    connect(&m_list, &Linking::MatchList::tickedCountChanged, this, &frm_MatchTags::showTicked);
    showTicked(m_list.tickedCount());
    list_Pairs->setFocus();
}

void frm_MatchTags::showTicked(int count)
{
    lbl_Ticked->setText(Global::ResolveRes(Str::Ticked, {count, m_list.pairs().size()}));
    but_Box->button(QDialogButtonBox::Ok)->setEnabled(count > 0);
}
