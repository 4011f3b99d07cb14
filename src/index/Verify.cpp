// SPDX-License-Identifier: GPL-3.0-or-later
#include "Verify.h"

#include "shared/Values.h"

#include <QtEndian>

#include <cstring>
#include <map>

namespace Indexing {
namespace {

qint32 int32At(const QByteArray& bytes, qint64 offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// The 20 entries of the table at `position`, or why it cannot be read. The
// whole table must lie inside the file, after the header.
struct Table
{
    QList<qint32> entries;
    QString problem;
};

Table readTable(const IndexSource& source, qint64 position)
{
    Table table;
    if (position < RootPosition)
        table.problem = QStringLiteral("points at byte %1, before the tables start").arg(position);
    else if (position + TableSize - 1 > source.size())
        table.problem = QStringLiteral("points at byte %1, outside the file of %2 bytes")
                            .arg(position)
                            .arg(source.size());
    if (!table.problem.isEmpty())
        return table;
    const QByteArray bytes = source.read(position, TableSize);
    if (bytes.size() < TableSize) {
        table.problem = QStringLiteral("points at byte %1, where the file ends").arg(position);
        return table;
    }
    for (int k = 0; k < TableEntries; ++k)
        table.entries << int32At(bytes, qint64(k) * 4);
    return table;
}

void damage(IndexSummary& summary, const QString& description)
{
    summary.damage << IndexDamage{description};
}

// The header; false when the rest of the file cannot be read as an index.
bool checkIndexHeader(const IndexSource& source, IndexSummary& summary)
{
    const QByteArray magic(IndexFileKind.magic);
    const qint64 headerSize = RootPosition - 1;
    const QByteArray header = source.read(1, headerSize);
    if (!header.startsWith(magic.left(header.size())) || header.isEmpty()) {
        damage(summary, QStringLiteral("Not an index file: it does not begin with \"%1\".")
                            .arg(QLatin1String(magic)));
        return false;
    }
    if (header.size() < headerSize) {
        damage(
            summary,
            QStringLiteral("The file ends inside its header, after %1 bytes.").arg(header.size()));
        return false;
    }
    float version = 0;
    std::memcpy(&version, header.constData() + magic.size(), sizeof version);
    summary.version = qFromLittleEndian(version);
    summary.flag = qFromLittleEndian<qint16>(header.constData() + FlagPosition - 1);
    if (summary.version != IndexFileKind.version) {
        damage(summary, QStringLiteral("An index of version %1; this program reads version %2.")
                            .arg(Global::floatText(summary.version),
                                 Global::floatText(IndexFileKind.version)));
        return false;
    }
    summary.headerGood = true;
    if (summary.flag != 0 && summary.flag != MaintenanceFlag)
        damage(
            summary,
            QStringLiteral("The maintenance flag holds %1, neither 0 nor -1.").arg(summary.flag));
    return true;
}

// The cells whose chains run into another cell's chain at one record.
struct CrossLink
{
    Cell owner;
    QList<Cell> cells;
};

class IndexWalk
{
public:
    IndexWalk(const IndexSource& source, IndexSummary& summary)
        : m_source(source), m_summary(summary)
    {}
    void run();

private:
    void walkCell(Cell cell);
    void reportCrossLinks();

    const IndexSource& m_source;
    IndexSummary& m_summary;
    FileMap m_map;
    std::map<qint64, CrossLink> m_crossLinks; // by the record where they meet
};

void IndexWalk::run()
{
    // Every table first, so that a record over any of them is seen. A bad
    // table pointer is said once for the table, not once for each of the
    // cells below it; the cells under good tables are walked whole.
    const Table root = readTable(m_source, RootPosition);
    if (!root.problem.isEmpty()) {
        damage(m_summary, QStringLiteral("The file ends before its root table."));
        return;
    }
    m_map.addTable(RootPosition);
    struct Third
    {
        qint16 i, j;
        Table table;
    };
    QList<Third> thirds;
    for (int i = 1; i <= TableEntries; ++i) {
        const qint64 secondAt = root.entries[i - 1];
        const Table second = readTable(m_source, secondAt);
        if (!second.problem.isEmpty()) {
            damage(m_summary,
                   QStringLiteral("Entry %1 of the root table %2.").arg(i).arg(second.problem));
            continue;
        }
        m_map.addTable(secondAt);
        for (int j = 1; j <= TableEntries; ++j) {
            const qint64 thirdAt = second.entries[j - 1];
            Table third = readTable(m_source, thirdAt);
            if (!third.problem.isEmpty()) {
                damage(m_summary,
                       QStringLiteral("Entry %1 of table %2 %3.").arg(j).arg(i).arg(third.problem));
                continue;
            }
            m_map.addTable(thirdAt);
            thirds.append({qint16(i), qint16(j), std::move(third)});
        }
    }
    for (const Third& third : thirds) {
        for (int k = 1; k <= TableEntries; ++k) {
            if (third.table.entries[k - 1] != -1)
                walkCell(Cell{third.i, third.j, qint16(k)});
        }
    }
    reportCrossLinks();

    // A rebuilt file that came out longer than its tables and records.
    if (m_source.size() >= m_map.end())
        damage(m_summary, QStringLiteral("The file runs on for %1 bytes after the last table or "
                                         "record that its tables lead to (from byte %2).")
                              .arg(m_source.size() - m_map.end() + 1)
                              .arg(m_map.end()));
}

void IndexWalk::walkCell(Cell cell)
{
    const CellHead head = findCell(m_source, cell);
    if (head.damage) {
        m_summary.damage << *head.damage;
        return;
    }
    ++m_summary.cells;
    ChainWalker walker(m_source, head.first, cell, &m_map);
    EntryStream stream;
    int strayKinds = 0;
    const auto count = [&](const Entry& entry) {
        ++m_summary.entries;
        strayKinds += !isIndexedKind(entry.folderKind());
    };
    IndexRecord record;
    while (walker.next(record)) {
        stream.add(record, record.NextRecord == -1);
        stream.take(count);
    }
    stream.take(count, true);
    m_summary.records += walker.recordsRead();
    // A chain that breaks off leaves an entry cut short: the chain's damage
    // says it all.
    if (const auto& link = walker.crossLink()) {
        CrossLink& joined = m_crossLinks[link->position];
        joined.owner = link->cell;
        joined.cells << cell;
    } else if (walker.damage()) {
        m_summary.damage << *walker.damage();
    } else if (const int damaged = stream.damagedEntries() + strayKinds) {
        damage(m_summary, QStringLiteral("Cell %1 holds %2 damaged %3.")
                              .arg(cellName(cell))
                              .arg(damaged)
                              .arg(QLatin1String(damaged == 1 ? "entry" : "entries")));
    }
}

// Once for each record where chains meet, however many cells run into it.
void IndexWalk::reportCrossLinks()
{
    constexpr qsizetype Named = 3;
    for (const auto& [position, link] : m_crossLinks) {
        QStringList names;
        for (qsizetype i = 0; i < std::min(Named, link.cells.size()); ++i)
            names << cellName(link.cells[i]);
        const QString who =
            link.cells.size() == 1
                ? QStringLiteral("The chain of cell %1 runs").arg(names[0])
                : QStringLiteral("The chains of %1 cells (%2%3) run")
                      .arg(link.cells.size())
                      .arg(names.join(QLatin1String(", ")),
                           QLatin1String(link.cells.size() > Named ? " and others" : ""));
        damage(m_summary, QStringLiteral("%1 into the chain of cell %2 at byte %3.")
                              .arg(who, cellName(link.owner))
                              .arg(position));
    }
}

} // namespace

IndexSummary summarizeIndex(const IndexSource& source)
{
    IndexSummary summary;
    if (checkIndexHeader(source, summary))
        IndexWalk(source, summary).run();
    return summary;
}

} // namespace Indexing
