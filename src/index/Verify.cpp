// SPDX-License-Identifier: GPL-3.0-or-later
#include "Verify.h"

#include "shared/Values.h"

#include <QtEndian>

#include <cstring>

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

void walkCell(const IndexSource& source, Cell cell, IndexSummary& summary)
{
    const CellHead head = findCell(source, cell);
    if (head.damage) {
        summary.damage << *head.damage;
        return;
    }
    if (head.first == -1)
        return;
    ++summary.cells;
    ChainWalker walker(source, head.first, cell);
    EntryStream stream;
    const auto count = [&](const Entry&) { ++summary.entries; };
    IndexRecord record;
    while (walker.next(record)) {
        stream.add(record, record.NextRecord == -1);
        stream.take(count);
    }
    stream.take(count, true);
    summary.records += walker.recordsRead();
    // A chain that breaks off leaves an entry cut short: the chain's damage
    // says it all.
    if (walker.damage())
        summary.damage << *walker.damage();
    else if (const int damaged = stream.damagedEntries())
        damage(summary, QStringLiteral("Cell %1-%2-%3 holds %4 damaged %5.")
                            .arg(cell.c1)
                            .arg(cell.c2)
                            .arg(cell.c3)
                            .arg(damaged)
                            .arg(QLatin1String(damaged == 1 ? "entry" : "entries")));
}

} // namespace

IndexSummary summarizeIndex(const IndexSource& source)
{
    IndexSummary summary;
    if (!checkIndexHeader(source, summary))
        return summary;

    // A bad table pointer is said once for the table, not once for each of
    // the cells below it; the cells under good tables are walked whole.
    const Table root = readTable(source, RootPosition);
    if (!root.problem.isEmpty()) {
        damage(summary, QStringLiteral("The file ends before its root table."));
        return summary;
    }
    for (int i = 1; i <= TableEntries; ++i) {
        const Table second = readTable(source, root.entries[i - 1]);
        if (!second.problem.isEmpty()) {
            damage(summary,
                   QStringLiteral("Entry %1 of the root table %2.").arg(i).arg(second.problem));
            continue;
        }
        for (int j = 1; j <= TableEntries; ++j) {
            const Table third = readTable(source, second.entries[j - 1]);
            if (!third.problem.isEmpty()) {
                damage(summary,
                       QStringLiteral("Entry %1 of table %2 %3.").arg(j).arg(i).arg(third.problem));
                continue;
            }
            for (int k = 1; k <= TableEntries; ++k)
                walkCell(source, Cell{qint16(i), qint16(j), qint16(k)}, summary);
        }
    }
    return summary;
}

} // namespace Indexing
