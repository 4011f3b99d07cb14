// SPDX-License-Identifier: GPL-3.0-or-later
// Checking an index whole: a good image is clean with its counts, and each
// kind of damage is found without stopping the walk of the other cells.
#include "index/Verify.h"

#include "index/IndexWriter.h"
#include "index/Packing.h"
#include "index/SearchKeys.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

using namespace Indexing;

namespace {

// SMITHSON and the other SMI... names share the cell 16-11-8.
const Cell SmithCell{16, 11, 8};
const Cell EvansCell{20, 14, 1};

struct Image
{
    QByteArray bytes;
    int entries = 0;
    qint64 smithStream = 0; // bytes of the SMI cell's stream
};

// Enough long names in one cell for a chain of three records, and one name
// in a cell of its own.
Image goodImage()
{
    MemoryIndex index;
    qint16 kind = 1;
    const QByteArray ref = KwPack(QStringLiteral("12-3"), kind);
    Image image;
    const QString tail(150, QLatin1Char('x'));
    for (int n = 0; n < 14; ++n) {
        const QString value = QStringLiteral("Smith%1").arg(QChar(u'a' + n));
        const QString display = value + QChar(1) + tail;
        storeValue(index, NameIndex, value, display, ref, kind);
        image.smithStream +=
            makeEntry(keyWords(value, NameIndex, kind).match, ref, Zip(display)).size();
        ++image.entries;
    }
    storeValue(index, NameIndex, QStringLiteral("Evans"), QStringLiteral("Evans"), ref, kind);
    ++image.entries;
    image.bytes = index.bytes();
    return image;
}

qint64 thirdLevelEntry(Cell cell)
{
    // Where a new index keeps the entry of a cell.
    return 96 + 1680 * (cell.c1 - 1) + 80 * cell.c2 + 4 * (cell.c3 - 1);
}

void putInt32(QByteArray& bytes, qint64 position, qint32 value)
{
    qToLittleEndian(value, bytes.data() + position - 1);
}

void putInt16(QByteArray& bytes, qint64 position, qint16 value)
{
    qToLittleEndian(value, bytes.data() + position - 1);
}

QList<qint64> chainOf(const QByteArray& bytes, Cell cell)
{
    const BytesSource source(bytes);
    ChainWalker walker(source, findCell(source, cell).first, cell);
    QList<qint64> positions;
    IndexRecord record;
    while (walker.next(record))
        positions << walker.position();
    return positions;
}

QString damageText(const IndexSummary& summary)
{
    QStringList lines;
    for (const IndexDamage& d : summary.damage)
        lines << d.description;
    return lines.join(u'\n');
}

} // namespace

TEST(VerifyIndex, GoodImageIsCleanWithItsCounts)
{
    const Image image = goodImage();
    const QList<qint64> chain = chainOf(image.bytes, SmithCell);
    ASSERT_EQ(chain.size(), 3) << "the fixture needs a chain of three records";

    const IndexSummary summary = summarizeIndex(BytesSource(image.bytes));
    EXPECT_TRUE(summary.damage.isEmpty()) << damageText(summary).toStdString();
    EXPECT_TRUE(summary.headerGood);
    EXPECT_FLOAT_EQ(summary.version, 0.007f);
    EXPECT_EQ(summary.flag, 0);
    EXPECT_EQ(summary.cells, 2);
    EXPECT_EQ(summary.records, 4);
    EXPECT_EQ(summary.entries, image.entries);
    EXPECT_EQ((image.smithStream + RecordTextSize - 1) / RecordTextSize, 3);

    const IndexSummary empty = summarizeIndex(BytesSource(emptyIndexBytes()));
    EXPECT_TRUE(empty.headerGood);
    EXPECT_TRUE(empty.damage.isEmpty());
    EXPECT_EQ(empty.cells + empty.records + empty.entries, 0);

    // A locked index is not damaged.
    QByteArray locked = image.bytes;
    putInt16(locked, FlagPosition, MaintenanceFlag);
    const IndexSummary lockedSummary = summarizeIndex(BytesSource(locked));
    EXPECT_EQ(lockedSummary.flag, -1);
    EXPECT_TRUE(lockedSummary.damage.isEmpty());
}

TEST(VerifyIndex, EachDamageIsReportedAndTheOtherCellsAreStillWalked)
{
    const Image image = goodImage();
    const QList<qint64> chain = chainOf(image.bytes, SmithCell);
    ASSERT_EQ(chain.size(), 3);
    const qint64 first = chain[0], second = chain[1], last = chain[2];
    const qint64 cellEntry = thirdLevelEntry(SmithCell);

    struct Case
    {
        const char* name;
        std::function<void(QByteArray&)> damage;
        const char* names; // the cell, table or part that the report names
        bool headerGood;
    };
    const Case cases[] = {
        {"cell entry outside the file",
         [&](QByteArray& b) { putInt32(b, cellEntry, qint32(b.size() + 10)); }, "16-11-8", true},
        {"cell entry zero", [&](QByteArray& b) { putInt32(b, cellEntry, 0); }, "16-11-8", true},
        {"cell entry negative", [&](QByteArray& b) { putInt32(b, cellEntry, -7); }, "16-11-8",
         true},
        {"next record outside the file",
         [&](QByteArray& b) { putInt32(b, second + 8, qint32(b.size() + 1)); }, "16-11-8", true},
        {"next record zero", [&](QByteArray& b) { putInt32(b, first + 8, 0); }, "16-11-8", true},
        {"chain loops back", [&](QByteArray& b) { putInt32(b, last + 8, qint32(first)); },
         "16-11-8", true},
        {"Used above 1024", [&](QByteArray& b) { putInt16(b, second + 12, 1100); }, "16-11-8",
         true},
        {"Count disagrees", [&](QByteArray& b) { putInt32(b, first + 4, 7); }, "16-11-8", true},
        {"chain loops back to its middle",
         [&](QByteArray& b) { putInt32(b, last + 8, qint32(second)); }, "16-11-8", true},
        {"record over the tables", [&](QByteArray& b) { putInt32(b, second + 8, 96 + 1680 * 3); },
         "over the table at byte 5136", true},
        {"chains cross-linked",
         [&](QByteArray& b) { putInt32(b, thirdLevelEntry(EvansCell), qint32(second)); },
         "The chain of cell 20-14-1 runs into the chain of cell 16-11-8", true},
        // SMITHA's reference carries a folder kind that no folder has.
        {"stray folder kind",
         [&](QByteArray& b) { b[first + 21] = char((b[first + 21] & ~7) | 6); },
         "Cell 16-11-8 holds 1 damaged entry", true},
        // What a rebuild leaves when its new file keeps an old file's tail.
        {"stale bytes after the last record", [&](QByteArray& b) { b.append(400, ' '); },
         "runs on for 400 bytes", true},
        {"a stale record after the last",
         [&](QByteArray& b) { b.append(b.mid(first - 1, RecordSize)); }, "runs on for 1038 bytes",
         true},
        {"root entry outside the file",
         [&](QByteArray& b) { putInt32(b, RootPosition + 4 * 15, 1 << 30); }, "root table", true},
        {"second-level entry negative",
         [&](QByteArray& b) { putInt32(b, 96 + 1680 * 15 + 4 * 10, -1); }, "table 16", true},
        // The last record of the file is EVANS's.
        {"file cut short", [&](QByteArray& b) { b.chop(RecordSize / 2); }, "20-14-1", true},
        {"magic", [&](QByteArray& b) { b[4] = 'i'; }, "Zux Index", false},
        {"header cut short", [&](QByteArray& b) { b.truncate(12); }, "header", false},
        {"version", [&](QByteArray& b) { b[10] = char(b[10] + 1); }, "version", false},
    };
    for (const Case& c : cases) {
        QByteArray bytes = image.bytes;
        c.damage(bytes);
        const IndexSummary summary = summarizeIndex(BytesSource(bytes));
        const QString report = damageText(summary);
        EXPECT_TRUE(report.contains(QLatin1String(c.names)))
            << c.name << ": " << report.toStdString();
        // Said once, not once for every cell it touches.
        EXPECT_LE(summary.damage.size(), 2) << c.name << ": " << report.toStdString();
        EXPECT_EQ(summary.headerGood, c.headerGood) << c.name;
        if (c.headerGood) {
            // The other cell is still walked.
            EXPECT_GE(summary.cells, 1) << c.name;
            EXPECT_GE(summary.entries, 1) << c.name;
        } else {
            EXPECT_EQ(summary.cells, 0) << c.name;
        }
    }
}

TEST(VerifyIndex, AChainThatEveryCellLeadsToIsWalkedOnceAndReportedOnce)
{
    const Image image = goodImage();
    QByteArray bytes = image.bytes;
    const qint64 first = chainOf(bytes, SmithCell).first();
    for (qint16 i = 1; i <= TableEntries; ++i) {
        for (qint16 j = 1; j <= TableEntries; ++j) {
            for (qint16 k = 1; k <= TableEntries; ++k)
                putInt32(bytes, thirdLevelEntry(Cell{i, j, k}), qint32(first));
        }
    }
    const IndexSummary summary = summarizeIndex(BytesSource(bytes));
    EXPECT_EQ(summary.cells, 8000);
    EXPECT_EQ(summary.records, 3);
    const QString report = damageText(summary);
    EXPECT_TRUE(report.contains(
        QStringLiteral(
            "The chains of 7999 cells (1-1-2, 1-1-3, 1-1-4 and others) run into the chain of cell "
            "1-1-1 at byte %1.")
            .arg(first)))
        << report.toStdString();
    // Besides, EVANS's record is now out of reach at the file's end.
    EXPECT_EQ(summary.damage.size(), 2) << report.toStdString();
}
