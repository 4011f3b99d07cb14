// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/Search.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "index/IndexWriter.h"
#include "index/OpenIndex.h"
#include "index/Packing.h"
#include "index/SearchKeys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gmock/gmock.h>

#include <optional>

using namespace Indexing;
using Platform::MsgAnswer;
using testing::ElementsAre;

namespace {

struct Value
{
    QString value;
    QString display; // "^" stands for the character 1
    QString ref;
    int kind = 1;
};

// Marks written readably: "^" for the character 1.
QString marks(QString text)
{
    return text.replace(QLatin1Char('^'), QChar(1));
}
QString readable(QString text)
{
    return text.replace(QChar(1), QLatin1Char('^'));
}

QByteArray indexBytes(int number, const QList<Value>& values)
{
    MemoryIndex index;
    for (const Value& v : values) {
        qint16 flags = qint16(v.kind);
        storeValue(index, number, v.value, marks(v.display), KwPack(v.ref, flags), v.kind);
    }
    return index.bytes();
}

qint32 int32At(const QByteArray& bytes, qint64 position)
{
    return qFromLittleEndian<qint32>(bytes.constData() + position - 1);
}
void setInt32At(QByteArray& bytes, qint64 position, qint32 value)
{
    qToLittleEndian(value, bytes.data() + position - 1);
}

// The positions of a cell's records, in chain order.
QList<qint64> chainOf(const QByteArray& bytes, Cell cell)
{
    const qint64 second = int32At(bytes, RootPosition + 4 * (cell.c1 - 1));
    const qint64 third = int32At(bytes, second + 4 * (cell.c2 - 1));
    QList<qint64> chain;
    for (qint64 at = int32At(bytes, third + 4 * (cell.c3 - 1)); at != -1 && chain.size() < 100;
         at = int32At(bytes, at + 8))
        chain.append(at);
    return chain;
}

// The third-level table entry that leads to a cell's first record.
qint64 cellEntryPosition(const QByteArray& bytes, Cell cell)
{
    const qint64 second = int32At(bytes, RootPosition + 4 * (cell.c1 - 1));
    const qint64 third = int32At(bytes, second + 4 * (cell.c2 - 1));
    return third + 4 * (cell.c3 - 1);
}

const Cell SmithCell{16, 11, 8};

// Values whose key words fall into the cell of SMITH, with references that
// pack into bytes holding 1 ("10") and 2 ("20-1").
const QList<Value> NameValues = {
    {"Smith", "Smith", "12-3", 3},
    {"Smith", "Smith", "99", 1}, // another folder of the same name
    {"Smithson", "Smithson^Leeds", "10", 4},
    {"Jones Smith", "Jones Smith^Bath", "20-1", 2},
    {"Smith Jones", "Smith Jones", "7", 1},
    {"Smirnov", "Smirnov", "5", 1}, // same cell, no SMITH
    {"Smith Smithson", "Smith Smithson", "8", 1},
    {"Mr Smithers", "Mr Smithers^York", "31", 4},
};

// Thirty values with long displays, so that the cell's entries run over
// several records and across their boundaries.
QList<Value> manyValues()
{
    QList<Value> values;
    for (int n = 1; n <= 30; ++n) {
        values.append({QStringLiteral("Smith %1").arg(n),
                       QStringLiteral("Smith %1^%2 Mill Lane, Little Hampton upon Severn, "
                                      "Worcestershire WR8 0AB")
                           .arg(n)
                           .arg(n * 7),
                       QString::number(n), 4});
    }
    return values;
}

class SearchTest : public testing::Test
{
protected:
    void SetUp() override { setIndexFolder(m_dir.path()); }
    void TearDown() override { setIndexFolder(QString()); }

    QString writeIndex(int number, const QByteArray& bytes)
    {
        const QString path = indexPath(m_dir.path(), number);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    SearchRequest request(const QString& clue, QList<qint16> fields = {NameIndex})
    {
        SearchRequest r;
        r.Fields = std::move(fields);
        r.Clue = clue;
        r.ResultsList = &list;
        r.HitLimit = -1;
        return r;
    }

    // Each row as "data | display", readable in a failure's message.
    std::vector<std::string> rowsOf() const
    {
        std::vector<std::string> rows;
        for (int i = 0; i < list.count(); ++i) {
            rows.push_back(
                (readable(list.row(i).data) + QStringLiteral(" | ") + readable(list.row(i).display))
                    .toStdString());
        }
        return rows;
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    QTemporaryDir m_dir;
    ResultsList list;
};

} // namespace

TEST(Results, KeptInDataOrderAndGatheredQuietlyWhileUpdatesAreOff)
{
    ResultsList list;
    int inserted = 0, resets = 0;
    QObject::connect(&list, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&list, &QAbstractItemModel::modelReset, [&] { ++resets; });

    list.addRow("b1", "B", 1);
    list.addRow("a", "A");
    list.addRow("b2", "B", 2); // after the equal one already there
    EXPECT_EQ(inserted, 3);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.data(list.index(0), Qt::DisplayRole).toString(), "a");
    EXPECT_EQ(list.data(list.index(2), ResultsList::ImageRole).toInt(), 2);

    list.setUpdatesEnabled(false);
    list.addRow("c", "C");
    list.addRow("b3", "B");
    list.addRow("0", "0");
    // Views still see what they were told of; the search counts every row.
    EXPECT_EQ(inserted, 3);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.count(), 6);

    list.setUpdatesEnabled(true);
    EXPECT_EQ(resets, 1);
    ASSERT_EQ(list.rowCount(), 6);
    QStringList order;
    for (int i = 0; i < list.count(); ++i)
        order.append(list.row(i).display);
    EXPECT_EQ(order, QStringList({"0", "a", "b1", "b2", "b3", "c"}));
    EXPECT_EQ(list.data(list.index(3), ResultsList::DataTextRole).toString(), "B");

    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
}

namespace {

QStringList displaysOf(const ResultsList& list)
{
    QStringList displays;
    for (int i = 0; i < list.count(); ++i)
        displays << (ResultsList::isDivider(list.row(i)) ? QStringLiteral("DIV")
                                                         : list.row(i).display);
    return displays;
}

} // namespace

// The rows found move up in their order above a divider; the rest keep
// theirs below it. A row found at the top stays there.
TEST(Results, RefineMovesTheRowsFoundAboveADividerAndReplacesAnEarlierOne)
{
    ResultsList list;
    for (int i = 0; i < 10; ++i)
        list.addRow(QStringLiteral("\x01"
                                   "Brow\x01"
                                   "b %1")
                        .arg(i),
                    QStringLiteral("%1").arg(i));
    int resets = 0;
    QObject::connect(&list, &QAbstractItemModel::modelReset, [&] { ++resets; });
    const auto rows = [](std::initializer_list<const char*> names) {
        QStringList out;
        for (const char* name : names)
            out << (qstrcmp(name, "DIV") == 0 ? QStringLiteral("DIV")
                                              : QStringLiteral("\x01"
                                                               "Brow\x01"
                                                               "b ") +
                                                    QLatin1String(name));
        return out;
    };
    list.addRow(QStringLiteral("Smith \x01"
                               "1Jo\x01"
                               "0nes"),
                QStringLiteral("99"));

    // Case and marks do not count: "SMITH JONES" finds the last row.
    struct Step
    {
        const char* text;
        int found;
        QStringList order;
    };
    const Step steps[] = {
        {"smith jones", 1,
         QStringList{QStringLiteral("Smith \x01"
                                    "1Jo\x01"
                                    "0nes"),
                     QStringLiteral("DIV")} +
             rows({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})},
        {"W 4", 1,
         rows({"4", "DIV"}) +
             QStringList{QStringLiteral("Smith \x01"
                                        "1Jo\x01"
                                        "0nes")} +
             rows({"0", "1", "2", "3", "5", "6", "7", "8", "9"})},
        {"row", 10,
         rows({"4", "0", "1", "2", "3", "5", "6", "7", "8", "9", "DIV"}) +
             QStringList{QStringLiteral("Smith \x01"
                                        "1Jo\x01"
                                        "0nes")}},
        {"nothing", 0,
         rows({"4", "0", "1", "2", "3", "5", "6", "7", "8", "9"}) +
             QStringList{QStringLiteral("Smith \x01"
                                        "1Jo\x01"
                                        "0nes")}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        EXPECT_EQ(list.refine(QString::fromLatin1(step.text)), step.found);
        EXPECT_EQ(displaysOf(list), step.order);
        EXPECT_EQ(list.rowCount(), list.count());
    }
    EXPECT_EQ(resets, std::ssize(steps));
}

// Rows 4 and 9 of 10 found: they stand at 0 and 1 with the divider at 2, and
// a second refine first takes that divider away.
TEST(Results, RefineOfRowsFourAndNineOfTen)
{
    ResultsList list;
    for (int i = 0; i < 10; ++i)
        list.addRow(i == 4 || i == 9 ? QStringLiteral("Leeds %1").arg(i)
                                     : QStringLiteral("York %1").arg(i),
                    QStringLiteral("%1").arg(i));
    EXPECT_EQ(list.refine(u"leeds"), 2);
    ASSERT_EQ(list.count(), 11);
    EXPECT_EQ(list.row(0).data, QStringLiteral("4"));
    EXPECT_EQ(list.row(1).data, QStringLiteral("9"));
    EXPECT_TRUE(ResultsList::isDivider(list.row(2)));
    EXPECT_EQ(list.row(2).image, ResultsList::DividerImage);
    EXPECT_EQ(list.refine(u"York 0"), 1);
    EXPECT_EQ(list.count(), 11);
    EXPECT_EQ(list.row(0).data, QStringLiteral("0"));
    EXPECT_TRUE(ResultsList::isDivider(list.row(1)));
}

TEST_F(SearchTest, RowsRankedMarkedAndInOrder)
{
    writeIndex(NameIndex, indexBytes(NameIndex, NameValues));
    SearchRequest r = request(QStringLiteral("smith"));
    r.ShowIcons = true;
    r.SearchTime = -1;
    Find(r);

    // One row per folder: Smith Smithson's two words give one row, the two
    // folders called Smith two; Smirnov lacks the clue.
    EXPECT_THAT(rowsOf(),
                ElementsAre("000SMITH^12-3 | ^B^1Smith^0^t^b^y(12-3)",
                            "000SMITH^99 | ^B^1Smith^0^t^b^y(99)",
                            "003SMITHJONES^7 | ^B^1Smith^0 Jones^t^b^y(7)",
                            "003SMITHSMITHSON^8 | ^BSmith ^1Smith^0son^t^b^y(8)",
                            "005JONESSMITH^20-1 | ^BJones ^1Smith^0^t^b^yBath   ^b^y(20-1)",
                            "007SMITHSON^10 | ^B^1Smith^0son^t^b^yLeeds   ^b^y(10)",
                            "052MRSMITHERS^31 | ^BMr ^1Smith^0ers^t^b^yYork   ^b^y(31)"));
    EXPECT_EQ(list.row(0).image, 3);
    EXPECT_EQ(list.row(4).image, 2);
    EXPECT_EQ(r.Hits, 7);
    EXPECT_EQ(r.Traffic, 240 + 1038);
    EXPECT_GE(r.SearchTime, 0);
    EXPECT_EQ(r.HitLimit, -1);
    EXPECT_TRUE(list.updatesEnabled());
    EXPECT_TRUE(r.skipped.isEmpty());
    EXPECT_TRUE(host.boxes.isEmpty());

    // The same clue spelt otherwise, and a kind left out; without pictures.
    r = request(QStringLiteral(" S-mi'th "));
    r.TypeFlags = {true, false, true, true};
    Find(r);
    EXPECT_EQ(r.Hits, 6);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_FALSE(list.row(i).data.contains(QStringLiteral("20-1")));
        EXPECT_EQ(list.row(i).image, 0);
    }

    // Three letters find every word of the cell that starts with them.
    r = request(QStringLiteral("smi"));
    Find(r);
    EXPECT_EQ(r.Hits, 8);
}

TEST_F(SearchTest, ShortCluesArePaddedWithKForTheCell)
{
    writeIndex(NameIndex, indexBytes(NameIndex, NameValues));
    writeIndex(PcodeIndex, indexBytes(PcodeIndex, {{"SK7 4PQ", "SK7 4PQ^Smith", "12-3", 3},
                                                   {"SW1A 1AA", "SW1A 1AA^Smith", "12-3", 3},
                                                   {"SK7 1AA", "SK7 1AA^Old Sk Lane", "5", 3}}));
    SearchRequest r = request(QStringLiteral("s"));
    Find(r);
    EXPECT_EQ(r.Hits, 0); // SMITH is not under the cell of SKK
    EXPECT_EQ(r.Traffic, 240);

    r = request(QStringLiteral("sk"), {NameIndex, PcodeIndex});
    Find(r);
    // A word of the further line that starts with the clue keeps the first
    // line from being highlighted.
    EXPECT_THAT(rowsOf(), ElementsAre("007SK71AA^5 | ^BSK7 1AA^t^b^yOld Sk Lane   ^b^y(5)",
                                      "007SK74PQ^12-3 | ^B^1SK^07 4PQ^t^b^ySmith   ^b^y(12-3)"));
}

// A name typed in another script is given its Latin form in the suite's
// files; a clue typed the same way finds it there.
TEST_F(SearchTest, AClueInAnyScriptFindsTheLatinFormOfTheName)
{
    writeIndex(NameIndex, indexBytes(NameIndex, {{"L\u00f3dz Ltd", "L\u00f3dz Ltd", "1", 1},
                                                 {"Omega Ltd", "Omega Ltd", "2", 1},
                                                 {"Ivan Petrov", "Ivan Petrov", "3", 1}}));
    const struct
    {
        const char16_t* clue;
        const char* found;
    } cases[] = {{u"\u0141\u00f3d\u017a", "003L\u00d3DZLTD^1 | ^B^1L\u00f3dz^0 Ltd^t^b^y(1)"},
                 {u"\u03a9mega", "003OMEGALTD^2 | ^B^1Omega^0 Ltd^t^b^y(2)"},
                 {u"\u0418\u0432\u0430\u043d", "003IVANPETROV^3 | ^B^1Ivan^0 Petrov^t^b^y(3)"}};
    for (const auto& c : cases) {
        SearchRequest r = request(QString::fromUtf16(c.clue));
        Find(r);
        EXPECT_THAT(rowsOf(), ElementsAre(c.found));
    }
}

TEST_F(SearchTest, RowsAreRankedWithTheDroppedCharactersSkippedAndTheClueGapsKept)
{
    writeIndex(PcodeIndex, indexBytes(PcodeIndex, {{"LS10 1AB", "LS10 1AB^Smith", "1", 3},
                                                   {"LS1 0NG", "LS1 0NG^Jones", "2", 3},
                                                   {"LS10 9ZZ", "LS10 9ZZ^Brown", "3", 3},
                                                   {"LS1 0AB", "LS1 0AB^Evans", "4", 3}}));
    const struct
    {
        const char* clue;
        std::vector<std::string> rows; // data text and the highlighted display
    } cases[] = {
        // The blank typed puts the LS1 0 rows above the LS10 ones.
        {"LS1 0",
         {"007LS10AB^4 | ^B^1LS1 0^0AB^t^b^yEvans   ^b^y(4)",
          "007LS10NG^2 | ^B^1LS1 0^0NG^t^b^yJones   ^b^y(2)",
          "039LS101AB^1 | ^B^1LS10^0 1AB^t^b^ySmith   ^b^y(1)",
          "039LS109ZZ^3 | ^B^1LS10^0 9ZZ^t^b^yBrown   ^b^y(3)"}},
        {"LS10",
         {"003LS101AB^1 | ^B^1LS10^0 1AB^t^b^ySmith   ^b^y(1)",
          "003LS109ZZ^3 | ^B^1LS10^0 9ZZ^t^b^yBrown   ^b^y(3)",
          "007LS10AB^4 | ^B^1LS1 0^0AB^t^b^yEvans   ^b^y(4)",
          "007LS10NG^2 | ^B^1LS1 0^0NG^t^b^yJones   ^b^y(2)"}},
        {"ls10ng", {"000LS10NG^2 | ^B^1LS1 0NG^0^t^b^yJones   ^b^y(2)"}},
    };
    for (const auto& c : cases) {
        SearchRequest r = request(QString::fromLatin1(c.clue), {PcodeIndex});
        Find(r);
        EXPECT_EQ(rowsOf(), c.rows) << c.clue;
    }
}

TEST_F(SearchTest, AClueOfNothingButDroppedCharactersFindsNothing)
{
    writeIndex(NameIndex, indexBytes(NameIndex, NameValues));
    list.addRow("old", "old");
    SearchRequest r = request(QStringLiteral(" -.,'"));
    r.SearchTime = 4.5;
    r.Traffic = 99;
    Find(r);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(r.Hits, 0);
    EXPECT_EQ(r.Traffic, 0);
    EXPECT_EQ(r.SearchTime, 4.5);
    EXPECT_TRUE(list.updatesEnabled());
    EXPECT_TRUE(host.pointers.isEmpty()); // no busy pointer
}

TEST_F(SearchTest, EntriesAcrossRecordsAndOneLongerThanARecordAreFound)
{
    QList<Value> values = manyValues();
    QString note;
    for (int i = 0; note.size() < 1500; ++i)
        note += QStringLiteral("Field %1, Orchard Way; ").arg(i);
    values.append({"Smith", "Smith^" + note, "77", 1});
    values.append({"Smithy", "Smithy", "78", 1});
    const QByteArray bytes = indexBytes(NameIndex, values);
    const qsizetype records = chainOf(bytes, SmithCell).size();
    ASSERT_GE(records, 4);
    writeIndex(NameIndex, bytes);

    QList<int> progress;
    SearchRequest r = request(QStringLiteral("Smith"));
    r.ShowProgress = true;
    r.ProgressBar = [&](int value) { progress.append(value); };
    Find(r);

    EXPECT_EQ(r.Hits, 32);
    EXPECT_EQ(r.Traffic, 240 + 1038 * records);
    // The long one ranks first: its ranked part is Smith alone.
    EXPECT_EQ(readable(list.row(0).display),
              "^B^1Smith^0^t^b^y" + note + QStringLiteral("   ^b^y(77)"));
    QStringList data;
    for (int i = 0; i < list.count(); ++i)
        data.append(readable(list.row(i).data));
    for (int n = 1; n <= 30; ++n)
        EXPECT_TRUE(data.contains(QStringLiteral("003SMITH%1^%1").arg(n))) << n;
    ASSERT_GE(progress.size(), 3);
    EXPECT_EQ(progress.first(), 0);
    EXPECT_EQ(progress.last(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(SearchTest, TheHitLimitAsksOnceAndNoEndsTheWholeSearch)
{
    writeIndex(NameIndex, indexBytes(NameIndex, manyValues()));
    writeIndex(PcodeIndex, indexBytes(PcodeIndex, manyValues()));
    SearchRequest r = request(QStringLiteral("smith"));
    Find(r);
    const qint32 oneIndex = r.Traffic;

    // Yes: asked once, then everything.
    host.expectBox(MsgAnswer::Yes, QStringLiteral("found over 5 matches for 'smith'"));
    r = request(QStringLiteral("smith"), {NameIndex, PcodeIndex});
    r.HitLimit = 5;
    Find(r);
    ASSERT_EQ(host.boxes.size(), 1);
    EXPECT_EQ(host.boxes[0].buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Information);
    EXPECT_EQ(host.boxes[0].title, "Please confirm");
    EXPECT_EQ(host.boxes[0].defaultButton, 1);
    EXPECT_EQ(r.Hits, 60); // each index gives its own rows

    // No: the rows so far, and the other index is not searched.
    host.expectBox(MsgAnswer::No);
    r = request(QStringLiteral("smith"), {NameIndex, PcodeIndex});
    r.HitLimit = 5;
    Find(r);
    EXPECT_GT(r.Hits, 5);
    EXPECT_LT(r.Hits, 30);
    EXPECT_LT(r.Traffic, oneIndex);
    EXPECT_TRUE(list.updatesEnabled());

    // A stop request ends it the same way, without a question.
    int asked = 0;
    r = request(QStringLiteral("smith"));
    r.stopRequested = [&] { return ++asked > 1; };
    Find(r);
    EXPECT_LT(r.Hits, 30);

    // No limit never asks; 0 stands for 200.
    r = request(QStringLiteral("smith"));
    Find(r);
    EXPECT_EQ(r.Hits, 30);
    r = request(QStringLiteral("smith"));
    r.HitLimit = 0;
    Find(r);
    EXPECT_EQ(r.HitLimit, 200);
    EXPECT_EQ(host.boxes.size(), 2);
}

TEST_F(SearchTest, AnIndexThatCannotBeOpenedIsSkippedAndTheSearchGoesOn)
{
    writeIndex(NameIndex, indexBytes(NameIndex, NameValues));
    const QString pcode = writeIndex(PcodeIndex, indexBytes(PcodeIndex, {}));
    sub_LockForMaintenance(pcode, MaintenanceFlag);
    writeIndex(UD1Index, "Not an index at all");

    host.expectBox(MsgAnswer::Ok, QStringLiteral("The 'Postcode' index is undergoing maintenance"));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("is not a valid Vantix Index file"));
    SearchRequest r =
        request(QStringLiteral("smith"), {PcodeIndex, TelNumIndex, UD1Index, NameIndex});
    Find(r);
    EXPECT_EQ(r.Hits, 7);
    ASSERT_EQ(r.skipped.size(), 3);
    EXPECT_EQ(r.skipped[0].index, "Pcode");
    EXPECT_TRUE(r.skipped[0].message.startsWith("The 'Postcode' index is undergoing"));
    EXPECT_EQ(r.skipped[1].index, "TelNum"); // missing: no message
    EXPECT_EQ(r.skipped[1].message, "");
    EXPECT_EQ(r.skipped[2].index, "UD1");
}

// An index whose maintenance flag is set is shut (914) only while a writer
// that works in place holds it: a rebuild that replaces it whole leaves the
// file on disk as it is, and a flag that nobody holds (the system drops the
// holds of a process that dies) was left by one that did not finish.
TEST_F(SearchTest, ALockedIndexIsSearchedUnlessAWriterInPlaceHoldsIt)
{
    QByteArray locked = indexBytes(NameIndex, NameValues);
    qToLittleEndian<qint16>(MaintenanceFlag, locked.data() + FlagPosition - 1);
    const QString name = writeIndex(NameIndex, locked);
    const QString note = QStringLiteral("The 'Name' index was left locked for maintenance, though "
                                        "nobody is working on it, so it was searched as it "
                                        "stands. A rebuild of the index frees it.");
    enum Holder
    {
        Nobody,
        Rebuild,
        WriterInPlace
    };
    const struct
    {
        Holder holder;
        int hits;
        QStringList notes;
    } cases[] = {{Nobody, 7, {note}}, {Rebuild, 7, {}}, {WriterInPlace, 0, {}}};
    for (const auto& c : cases) {
        std::optional<Platform::File> held;
        if (c.holder == Rebuild)
            held = Platform::File::claim(name);
        else if (c.holder == WriterInPlace)
            held = Platform::File::holdWritingInPlace(name);
        if (c.hits == 0)
            host.expectBox(MsgAnswer::Ok,
                           QStringLiteral("The 'Name' index is undergoing maintenance"));
        SearchRequest r = request(QStringLiteral("smith"));
        Find(r);
        EXPECT_EQ(r.Hits, c.hits) << c.holder;
        EXPECT_EQ(r.notes, c.notes) << c.holder;
        EXPECT_EQ(r.skipped.size(), c.hits == 0 ? 1 : 0) << c.holder;
    }
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), locked);
}

TEST_F(SearchTest, ADamagedIndexEndsItsSearchCleanlyWithOneReport)
{
    const QByteArray good = indexBytes(NameIndex, manyValues());
    const QList<qint64> chain = chainOf(good, SmithCell);
    ASSERT_GE(chain.size(), 3);
    // A clean index beside the damaged one is still searched.
    writeIndex(PcodeIndex, indexBytes(PcodeIndex, NameValues));
    writeIndex(NameIndex, good);
    SearchRequest whole = request(QStringLiteral("smith"));
    Find(whole);
    const std::vector<std::string> allRows = rowsOf();
    ASSERT_EQ(allRows.size(), 30);

    const struct
    {
        const char* name;
        std::function<void(QByteArray&)> damage;
        bool rowsBefore; // the damage lies after the first record
    } cases[] = {
        {"cell pointer outside the file",
         [&](QByteArray& b) { setInt32At(b, cellEntryPosition(b, SmithCell), b.size() + 5000); },
         false},
        {"negative table pointer", [&](QByteArray& b) { setInt32At(b, RootPosition + 60, -7); },
         false},
        {"chain loops back", [&](QByteArray& b) { setInt32At(b, chain[2] + 8, qint32(chain[0])); },
         true},
        {"next record outside the file",
         [&](QByteArray& b) { setInt32At(b, chain[1] + 8, qint32(b.size() + 1)); }, true},
        {"Used above 1024",
         [&](QByteArray& b) { qToLittleEndian<qint16>(2000, b.data() + chain[1] + 12 - 1); }, true},
        {"file cut short", [&](QByteArray& b) { b.truncate(chain[1] + 500); }, true},
        {"Count disagrees with the chain", [&](QByteArray& b) { setInt32At(b, chain[0] + 4, 99); },
         true},
        {"bytes before the first entry",
         [&](QByteArray& b) { b[qsizetype(chain[0] + 14 - 1)] = 'Q'; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = good;
        c.damage(bytes);
        writeIndex(NameIndex, bytes);
        host.boxes.clear();
        host.expectBox(MsgAnswer::Ok, QStringLiteral("The 'Name' index is damaged"));
        SearchRequest r = request(QStringLiteral("smith"), {NameIndex, PcodeIndex});
        Find(r);
        ASSERT_EQ(host.boxes.size(), 1);
        EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Exclamation);
        ASSERT_EQ(r.skipped.size(), 1);
        EXPECT_EQ(r.skipped[0].index, "Name");
        EXPECT_EQ(r.skipped[0].message, host.boxes[0].text);
        // The clean index's seven rows, and the damaged one's rows so far.
        std::vector<std::string> nameRows;
        for (const std::string& row : rowsOf()) {
            if (std::find(allRows.begin(), allRows.end(), row) != allRows.end())
                nameRows.push_back(row);
        }
        EXPECT_EQ(r.Hits - qsizetype(nameRows.size()), 7);
        if (c.rowsBefore) {
            EXPECT_GT(nameRows.size(), 0);
        }
        EXPECT_TRUE(list.updatesEnabled());
    }
}

TEST_F(SearchTest, AStrayFolderKindIsDamageOfItsIndexAndTheSearchGoesOn)
{
    // A folder kind that no folder has, between two sound entries of the
    // cell: the packed reference keeps three bits of it, so 8 is stored as
    // 0 and -1 as 7.
    writeIndex(PcodeIndex, indexBytes(PcodeIndex, NameValues));
    for (const int kind : {0, 5, 6, 8, -1}) {
        SCOPED_TRACE(kind);
        writeIndex(NameIndex, indexBytes(NameIndex, {{"Smith", "Smith", "12-3", 3},
                                                     {"Smithson", "Smithson", "4", kind},
                                                     {"Smithy", "Smithy", "5", 1}}));
        host.boxes.clear();
        host.expectBox(MsgAnswer::Ok, QStringLiteral("The 'Name' index is damaged"));
        SearchRequest r = request(QStringLiteral("smith"), {NameIndex, PcodeIndex});
        Find(r);
        ASSERT_EQ(host.boxes.size(), 1);
        EXPECT_TRUE(host.boxes[0].text.contains("Cell 16-11-8 holds damaged entries (1)."));
        ASSERT_EQ(r.skipped.size(), 1);
        EXPECT_EQ(r.skipped[0].index, "Name");
        EXPECT_EQ(r.skipped[0].message, host.boxes[0].text);
        // The Name index's sound rows on either side, and the whole of Pcode.
        EXPECT_EQ(r.Hits, 2 + 7);
        EXPECT_EQ(readable(list.row(0).data), "000SMITH^12-3");
        EXPECT_EQ(readable(list.row(0).display), "^B^1Smith^0^t^b^y(12-3)");
        const std::vector<std::string> rows = rowsOf();
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const std::string& row) {
            return row.starts_with("007SMITHY^5 |");
        }));
    }
}
