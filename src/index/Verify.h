// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IndexFile.h"

#include <QList>

// Checking an index file whole: every table, cell and chain.
namespace Indexing {

struct IndexSummary
{
    bool headerGood = false; // magic and version as this program writes them
    float version = 0;
    qint16 flag = 0;
    int cells = 0;   // cells that hold a chain
    int records = 0; // records walked
    int entries = 0; // entries in the chains' streams
    QList<IndexDamage> damage;
};

// Walks every cell of the index; damage never stops the walk of the others.
IndexSummary summarizeIndex(const IndexSource& source);

} // namespace Indexing
