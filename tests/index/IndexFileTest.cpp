// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/IndexFile.h"

#include "DataFileTesting.h"
#include "index/IndexWriter.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/Verify.h"

#include <QtEndian>

using namespace Indexing;
using Platform::MsgAnswer;
using Platform::MsgIcon;

namespace {

const Cell SomeCell{16, 11, 8};

QByteArray entryOf(qsizetype length, char fill = 'X', const QString& ref = QStringLiteral("10"))
{
    qint16 flags = 3;
    const QByteArray head = makeEntry(QStringLiteral("SMITH"), KwPack(ref, flags), QByteArray());
    return head + QByteArray(length - head.size(), fill);
}

qint32 int32At(const QByteArray& bytes, qint64 position)
{
    return qFromLittleEndian<qint32>(bytes.constData() + position - 1);
}

// The cell's records and its entries, read back as a search reads them.
struct Walked
{
    QList<IndexRecord> records;
    QList<QByteArray> entries;
    std::optional<IndexDamage> damage;
};

Walked walk(const QByteArray& bytes, Cell cell = SomeCell)
{
    Walked walked;
    const BytesSource source(bytes);
    const CellHead head = findCell(source, cell);
    walked.damage = head.damage;
    if (head.first == -1)
        return walked;
    ChainWalker walker(source, head.first, cell);
    EntryStream stream;
    IndexRecord record;
    const auto take = [&](const Entry& e) {
        walked.entries << QByteArray(1, EntryStart) + e.match.toByteArray() + MatchEnd +
                              e.packedRef.toByteArray() + e.packedDisplay.toByteArray();
    };
    while (walker.next(record)) {
        walked.records << record;
        stream.add(record, record.NextRecord == -1);
        stream.take(take);
    }
    stream.take(take, true);
    walked.damage = walker.damage();
    return walked;
}

} // namespace

TEST(IndexFile, AnEmptyIndexLaysOutEveryTableAndHoldsNoCell)
{
    const QByteArray bytes = emptyIndexBytes();
    ASSERT_EQ(bytes.size(), EmptyIndexSize);
    EXPECT_EQ(bytes.left(15), QByteArray::fromHex("5a757820496e646578 4260e53b 0000"));
    for (int i = 1; i <= 20; ++i) {
        const qint64 second = 96 + 1680 * (i - 1);
        EXPECT_EQ(int32At(bytes, 16 + 4 * (i - 1)), second);
        for (int j = 1; j <= 20; ++j)
            EXPECT_EQ(int32At(bytes, second + 4 * (j - 1)), second + 80 * j);
    }
    EXPECT_EQ(bytes.count('\xff'), 400 * 80);
    const CellHead head = findCell(BytesSource(bytes), SomeCell);
    EXPECT_EQ(head.first, -1);
    EXPECT_FALSE(head.damage);
}

TEST(IndexFile, TheFirstEntryOfACellStartsItsRecordAtTheEndOfTheFile)
{
    MemoryIndex index;
    const QByteArray entry = entryOf(40);
    storeEntry(index, SomeCell, entry);
    const QByteArray& bytes = index.bytes();
    ASSERT_EQ(bytes.size(), EmptyIndexSize + RecordSize);
    const qint64 third = 96 + 1680 * 15 + 80 * 11;
    EXPECT_EQ(int32At(bytes, third + 4 * 7), EmptyIndexSize + 1);
    const QByteArray record = bytes.mid(EmptyIndexSize);
    EXPECT_EQ(record.left(14), QByteArray::fromHex("a0830000 01000000 ffffffff 2800"));
    EXPECT_EQ(record.mid(14), entry + QByteArray(1024 - 40, ' '));
}

TEST(IndexFile, EntriesGoOnOverAsManyRecordsAsTheyNeedAndReadBackWhole)
{
    struct Case
    {
        const char* what;
        QList<qsizetype> lengths;
        QList<qint16> used; // of each record, in chain order
    };
    const Case cases[] = {
        {"fits exactly", {1000, 24}, {1024}},
        {"split across two", {1000, 100}, {1000, 76}},
        {"a first entry longer than a record", {1500}, {0, 476}},
        {"longer than the room and two records", {1000, 2100}, {1000, 0, 0, 28}},
        {"an exact record after a full one", {1024, 1024}, {1024, 1024}},
    };
    for (const Case& c : cases) {
        MemoryIndex memory;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Name.bin"));
        Testing::writeBytes(path, emptyIndexBytes());
        auto file = Platform::File::open(path, Platform::File::Binary | Platform::File::Read |
                                                   Platform::File::Write);
        FileStorage onDisk(file);
        QList<QByteArray> entries;
        char fill = 'a';
        for (const qsizetype length : c.lengths) {
            entries << entryOf(length, fill++, QStringLiteral("20-1"));
            storeEntry(memory, SomeCell, entries.last());
            storeEntry(onDisk, SomeCell, entries.last());
        }
        file.close();
        EXPECT_EQ(Testing::fileBytes(path), memory.bytes()) << c.what;

        const Walked walked = walk(memory.bytes());
        EXPECT_FALSE(walked.damage) << c.what;
        EXPECT_EQ(walked.entries, entries) << c.what;
        QList<qint16> used;
        for (const IndexRecord& record : walked.records)
            used << record.Used;
        EXPECT_EQ(used, c.used) << c.what;
        ASSERT_FALSE(walked.records.isEmpty());
        EXPECT_EQ(walked.records.first().Count, walked.records.size()) << c.what;
    }
}

TEST(IndexFile, AByteOneOrTwoInsideAPackedReferenceIsNoEntryMark)
{
    MemoryIndex index;
    QList<QByteArray> entries;
    for (const char* ref : {"10", "20", "1", "2-10"}) {
        qint16 flags = 4;
        entries << makeEntry(QStringLiteral("SMITH"), KwPack(QString::fromLatin1(ref), flags),
                             Zip(QStringLiteral("Smith\x01Leeds")));
        storeEntry(index, SomeCell, entries.last());
    }
    EXPECT_TRUE(entries[0].contains("\x02\x14\x01"));
    EXPECT_EQ(walk(index.bytes()).entries, entries);

    // Bytes that start no entry are skipped and counted.
    EntryStream stream;
    IndexRecord record;
    record.Text = "junk" + entries[1] + QByteArray(1024, ' ');
    record.Used = static_cast<qint16>(4 + entries[1].size());
    stream.add(record, true);
    int seen = 0;
    stream.take([&](const Entry& e) { seen += e.match == "SMITH"; }, true);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(stream.damagedEntries(), 1);
}

TEST(IndexFile, ADamagedChainEndsTheWalkWithItsDamage)
{
    MemoryIndex index;
    for (int i = 0; i < 3; ++i)
        storeEntry(index, SomeCell, entryOf(1000));
    const QByteArray good = index.bytes();
    const qint64 first = EmptyIndexSize + 1;
    const qint64 third = 96 + 1680 * 15 + 80 * 11;
    const auto with = [&](qint64 position, QByteArray bytes) {
        QByteArray damaged = good;
        damaged.replace(position - 1, bytes.size(), bytes);
        return damaged;
    };
    const auto int32 = [](qint32 value) {
        QByteArray bytes(4, '\0');
        qToLittleEndian<qint32>(value, bytes.data());
        return bytes;
    };
    struct Case
    {
        const char* what;
        QByteArray bytes;
        const char* says;
    };
    const Case cases[] = {
        {"next record outside the file", with(first + 8, int32(90000000)), "outside the file"},
        {"next record at zero", with(first + 8, int32(0)), "outside the file"},
        {"negative next record", with(first + 8, int32(-7)), "outside the file"},
        {"a chain that loops back", with(first + RecordSize + 8, int32(first)), "loops back"},
        {"a chain that loops back to its middle",
         with(first + 2 * RecordSize + 8, int32(first + RecordSize)), "loops back"},
        {"a record over the one before", with(first + 8, int32(first + 500)), "overlap"},
        {"Used above 1024", with(first + 12, QByteArray::fromHex("0108")), "claims 2049"},
        {"a count that disagrees", with(first + 4, int32(9)), "counts 9"},
        {"a file cut short", good.left(good.size() - 10), "cut short"},
        {"a cell outside the file", with(third + 28, int32(good.size() + 5)), "outside the file"},
        {"a table outside the file", with(16 + 4 * 15, int32(-1)), "outside the file"},
    };
    for (const Case& c : cases) {
        const Walked walked = walk(c.bytes);
        ASSERT_TRUE(walked.damage) << c.what;
        EXPECT_TRUE(walked.damage->description.contains(QLatin1String(c.says)))
            << c.what << ": " << walked.damage->description.toStdString();
        EXPECT_LE(walked.records.size(), 4) << c.what;
    }
}

TEST(IndexFile, AnEntryOverManyRecordsIsNotSearchedAgainForEachOfThem)
{
    constexpr qsizetype Long = 300 * RecordTextSize;
    qint16 flags = 3;
    const QByteArray ref = KwPack(QStringLiteral("10"), flags);
    const struct
    {
        const char* what;
        QByteArray entry;
        int entries; // read whole
        int damaged;
    } cases[] = {
        {"a display that runs on", makeEntry(QStringLiteral("SMITH"), ref, QByteArray(Long, 'x')),
         1, 0},
        {"a match text that runs on", makeEntry(QString(Long, u'S'), ref, "Smith"), 1, 0},
        {"a match text and a display that run on",
         makeEntry(QString(Long / 2, u'S'), ref, QByteArray(Long / 2, 'x')), 1, 0},
        {"a match text that never ends", QByteArray(1, EntryStart) + QByteArray(Long, 'S'), 0, 1},
    };
    for (const auto& c : cases) {
        MemoryIndex index;
        storeEntry(index, SomeCell, c.entry);
        const BytesSource source(index.bytes());
        ChainWalker walker(source, findCell(source, SomeCell).first, SomeCell);
        EntryStream stream;
        int entries = 0;
        const auto take = [&](const Entry& e) {
            entries +=
                e.match.size() + e.packedRef.size() + e.packedDisplay.size() + 2 == c.entry.size();
        };
        IndexRecord record;
        while (walker.next(record)) {
            stream.add(record, record.NextRecord == -1);
            stream.take(take);
        }
        stream.take(take, true);
        ASSERT_GE(walker.recordsRead(), 300) << c.what;
        EXPECT_EQ(entries, c.entries) << c.what;
        EXPECT_EQ(stream.damagedEntries(), c.damaged) << c.what;
        // Each byte a few times at most, not once for every record after it.
        EXPECT_LE(stream.bytesScanned(), 3 * c.entry.size()) << c.what;
    }
}

TEST(IndexFile, AnAddRefusesToWriteWhereDamageLeadsItOverTheTablesOrOutOfTheFile)
{
    MemoryIndex index;
    storeEntry(index, SomeCell, entryOf(40));
    const QByteArray good = index.bytes();
    const qint64 first = EmptyIndexSize + 1;
    const qint64 cellEntry = 96 + 1680 * 15 + 80 * 11 + 4 * 7;
    const auto with = [&](qint64 position, qint32 value) {
        QByteArray damaged = good;
        qToLittleEndian<qint32>(value, damaged.data() + position - 1);
        return damaged;
    };
    const struct
    {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"Tail at a second-level table", with(first, 96)},
        {"Tail inside the root table", with(first, RootPosition + 40)},
        {"Tail over the end of the tables", with(first, EmptyIndexSize - 500)},
        {"Tail over the end of the file", with(first, qint32(good.size()) - 500)},
        {"the cell's first record inside the tables", with(cellEntry, 96 + 1680 * 3)},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Name.bin"));
    for (const auto& c : cases) {
        Testing::writeBytes(path, c.bytes);
        auto file = Platform::File::open(path, Platform::File::Binary | Platform::File::Read |
                                                   Platform::File::Write);
        FileStorage storage(file);
        try {
            storeEntry(storage, SomeCell, entryOf(100));
            ADD_FAILURE() << c.what << ": stored";
        } catch (const Platform::RunTimeError& error) {
            EXPECT_EQ(error.number(), Platform::RunTimeError::SubscriptOutOfRange) << c.what;
            EXPECT_TRUE(error.description().startsWith("The index is damaged: the chain of cell "
                                                       "16-11-8 leads to byte"))
                << c.what << ": " << error.description().toStdString();
        }
        file.close();
        EXPECT_EQ(Testing::fileBytes(path), c.bytes) << c.what;
    }
}

// Taking a folder out of a cell leaves the cell as if the folder's entries
// had never been stored there, and the file without a record that nothing
// leads to: another cell's records at the end of the file move into the
// places given back.
TEST(IndexFile, TakingAFolderOutLeavesItsCellAsIfItsEntriesHadNeverBeenStored)
{
    const struct
    {
        const char* what;
        QList<std::pair<qsizetype, const char*>> entries; // length and reference
    } cases[] = {
        {"none of its entries", {{300, "20"}, {300, "30"}}},
        {"its only entry", {{40, "10"}}},
        {"one between others", {{600, "20"}, {600, "10"}, {600, "30"}}},
        {"one over three records, and another", {{2100, "10"}, {500, "20"}, {300, "10"}}},
        {"the last, after a full record", {{1024, "20"}, {100, "10"}}},
    };
    // The folder's reference as stored with another folder kind.
    qint16 flags = 4;
    const QByteArray folder = KwPack(QStringLiteral("10"), flags);
    const Cell otherCell{1, 1, 1};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Name.bin"));
    for (const auto& c : cases) {
        Testing::writeBytes(path, emptyIndexBytes());
        auto file = Platform::File::open(path, Platform::File::Binary | Platform::File::Read |
                                                   Platform::File::Write);
        FileStorage onDisk(file);
        MemoryIndex withOtherCell;
        MemoryIndex fresh;
        QList<QByteArray> kept;
        char fill = 'a';
        for (const auto& [length, ref] : c.entries) {
            const QByteArray entry = entryOf(length, fill++, QString::fromLatin1(ref));
            storeEntry(onDisk, SomeCell, entry);
            storeEntry(withOtherCell, SomeCell, entry);
            if (qstrcmp(ref, "10") != 0) {
                storeEntry(fresh, SomeCell, entry);
                kept << entry;
            }
        }
        takeOutFolder(onDisk, {SomeCell}, folder);
        closeGaps(onDisk);
        file.close();
        EXPECT_EQ(Testing::fileBytes(path), fresh.bytes()) << c.what;

        const QByteArray other = entryOf(1500, 'z', QStringLiteral("40"));
        storeEntry(withOtherCell, otherCell, other);
        takeOutFolder(withOtherCell, {SomeCell, otherCell, SomeCell}, folder);
        closeGaps(withOtherCell);
        const IndexSummary summary = summarizeIndex(BytesSource(withOtherCell.bytes()));
        EXPECT_TRUE(summary.damage.isEmpty())
            << c.what << ": " << summary.damage.value(0).description.toStdString();
        EXPECT_EQ(walk(withOtherCell.bytes()).entries, kept) << c.what;
        EXPECT_EQ(walk(withOtherCell.bytes(), otherCell).entries, QList<QByteArray>{other});
        EXPECT_EQ(withOtherCell.bytes().size(), fresh.bytes().size() + 2 * RecordSize) << c.what;
    }
}

using OpenIndexTest = Testing::DataFileTest;

TEST_F(OpenIndexTest, ChecksTheHeaderAndTheMaintenanceFlag)
{
    const QString pcode = path("Pcode.bin");
    EXPECT_FALSE(OpenIndex(pcode).usable()); // missing: quietly nothing
    EXPECT_TRUE(host.boxes.isEmpty());

    Testing::writeBytes(pcode, emptyIndexBytes());
    OpenOutcome opened = OpenIndex(pcode);
    ASSERT_TRUE(opened.usable());
    opened.file.close();

    sub_LockForMaintenance(pcode, MaintenanceFlag);
    EXPECT_EQ(Testing::fileBytes(pcode).mid(13, 2), QByteArray("\xff\xff"));
    const OpenOutcome quiet = openIndexForReading(pcode, true);
    EXPECT_FALSE(quiet.usable());
    EXPECT_TRUE(quiet.locked);
    EXPECT_TRUE(quiet.message.contains(QLatin1String("'Postcode' index")));
    EXPECT_TRUE(host.boxes.isEmpty());
    host.expectBox(MsgAnswer::Ok, QStringLiteral("The 'Postcode' index is undergoing maintenance"));
    EXPECT_FALSE(OpenIndex(pcode).usable());
    EXPECT_EQ(host.boxes.last().icon, MsgIcon::Information);
    EXPECT_EQ(host.boxes.last().title, QStringLiteral("File in use"));

    sub_LockForMaintenance(pcode, 0);
    EXPECT_EQ(Testing::fileBytes(pcode), emptyIndexBytes());

    // Another version and another magic are both "not a valid Index file",
    // even when quiet.
    for (const QByteArray& header :
         {QByteArray::fromHex("5a757820496e646578 a69bc43b"), QByteArray("Zux Indey")}) {
        QByteArray bytes = emptyIndexBytes();
        bytes.replace(0, header.size(), header);
        Testing::writeBytes(pcode, bytes);
        host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid"));
        EXPECT_FALSE(OpenIndex(pcode, true).usable());
        host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid"));
        sub_LockForMaintenance(pcode, MaintenanceFlag);
        EXPECT_EQ(Testing::fileBytes(pcode), bytes);
    }
}
