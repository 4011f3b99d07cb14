// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/PackedRecord.h"

#include "RecordSamples.h"

#include <gtest/gtest.h>

using namespace DataFiles;

namespace {

struct Inner
{
    static constexpr const char* RecordName = "Inner";
    QString text;
    qint16 number = 0;
    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.text);
        v(2, nullptr, r.number);
    }
    bool operator==(const Inner&) const = default;
};

// One field of every kind the encoding has.
struct Probe
{
    static constexpr const char* RecordName = "Probe";
    qint16 flag = 0;
    QString text;
    FixedText<4> fixed;
    Bytes<3> block;
    qint32 count = 0;
    float version = 0;
    double date = 0;
    std::array<Inner, 2> pair{};
    DynArray<QString> list;
    DynArray<Inner> nested;
    template <class Self, class V>
    static void fields(Self& r, V&& v)
    {
        v(1, nullptr, r.flag);
        v(2, nullptr, r.text);
        v(3, nullptr, r.fixed);
        v(4, nullptr, r.block);
        v(5, nullptr, r.count);
        v(6, nullptr, r.version);
        v(7, nullptr, r.date);
        v(8, nullptr, r.pair);
        v(9, nullptr, r.list);
        v(10, nullptr, r.nested);
    }
    bool operator==(const Probe&) const = default;
};

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

Probe readProbe(const QByteArray& bytes, ReadResult* result = nullptr)
{
    Probe probe;
    const ReadResult r = readRecord(bytes, 1, probe);
    if (result)
        *result = r;
    return probe;
}

} // namespace

TEST(PackedRecord, WritesEveryKindLittleEndianWithoutPadding)
{
    Probe probe;
    probe.flag = -1;
    probe.text =
        QStringLiteral("\u20ACa\u0109"); // the euro sign is 80; a character without a byte is "?"
    probe.fixed.text = QStringLiteral("ab"); // padded with blanks
    probe.block.data = {1, 2, 3};
    probe.count = 0x01020304;
    probe.version = 0.013f;
    probe.date = 2.5;
    probe.pair[1] = {QStringLiteral("x"), 7};
    probe.list.allocated = true; // dimensioned, no elements
    probe.list.lbound = 1;
    probe.nested.items = {{QStringLiteral("y"), -2}};

    const QByteArray expected = hex("ffff"                                  // flag
                                    "0300 80613f"                           // text
                                    "61622020"                              // fixed text
                                    "010203"                                // block
                                    "04030201"                              // count
                                    "f4 fd 54 3c"                           // 0.013f
                                    "0000000000000440"                      // 2.5
                                    "0000 0000   0100 78 0700"              // pair
                                    "0100 00000000 01000000"                // list: 1 dim, 0 from 1
                                    "0100 01000000 00000000 0100 79 feff"); // nested
    EXPECT_EQ(recordBytes(probe).toHex(' ').toStdString(), expected.toHex(' ').toStdString());

    ReadResult result;
    Probe back = readProbe(expected, &result);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.next, expected.size() + 1);
    EXPECT_EQ(back.text, QStringLiteral("\u20ACa?"));
    EXPECT_EQ(back.fixed.value(), QStringLiteral("ab"));
    back.text = probe.text;
    back.fixed = probe.fixed;
    back.fixed.text = QStringLiteral("ab");
    EXPECT_EQ(Fixtures::leavesOf(back), Fixtures::leavesOf(probe));
    EXPECT_EQ(back, probe);
}

TEST(PackedRecord, ReadAndWrittenAgainIsTheSameBytes)
{
    // A dimensioned list without elements and an unallocated one differ in
    // their bytes, and lower bounds stay as they were.
    for (const int variant : {0, 1, 2}) {
        Probe probe = Fixtures::sampleRecord<Probe>(variant * 10);
        if (variant == 1) {
            probe.list.items.clear();
            probe.nested = {};
        }
        if (variant == 2)
            probe.nested.lbound = -3;
        const QByteArray bytes = recordBytes(probe);
        EXPECT_EQ(recordBytes(readProbe(bytes)), bytes) << variant;
    }
}

TEST(PackedRecord, TextsAndFixedTextsAreCutToWhatTheirWidthHolds)
{
    Probe probe;
    probe.text = QString(70'000, u'x');
    probe.fixed.text = QStringLiteral("abcdef");
    const QByteArray bytes = recordBytes(probe);
    EXPECT_EQ(bytes.mid(2, 2), hex("ffff"));
    const Probe back = readProbe(bytes);
    EXPECT_EQ(back.text.size(), 65'535);
    EXPECT_EQ(back.fixed.text, QStringLiteral("abcd"));
}

TEST(PackedRecord, AFileThatEndsEarlyGivesTheFieldsSoFarAndNothingAfter)
{
    const Probe full = Fixtures::sampleRecord<Probe>();
    const QByteArray bytes = recordBytes(full);
    const QStringList fullLeaves = Fixtures::leavesOf(full);
    qint64 lastEnd = 0;
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        ReadResult result;
        const Probe part = readProbe(bytes.left(length), &result);
        ASSERT_FALSE(result.complete) << length;
        EXPECT_GE(result.endLeaf, lastEnd) << length;
        lastEnd = result.endLeaf;
        const QStringList leaves = Fixtures::leavesOf(part);
        for (qsizetype i = 0; i < leaves.size(); ++i) {
            if (i < result.endLeaf)
                EXPECT_EQ(leaves[i], fullLeaves[i]) << length << " leaf " << i;
            else
                EXPECT_TRUE(Fixtures::isEmptyLeaf(leaves[i])) << length << " leaf " << i;
        }
    }
}

TEST(PackedRecord, LengthsAndCountsBeyondTheFileEndItThere)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        qint64 endLeaf;
    };
    const QByteArray head = hex("0100"); // flag
    const QByteArray afterText = head + hex("0000 20202020 000000 00000000 00000000 "
                                            "0000000000000000 0000 0000 0000 0000");
    const Case cases[] = {
        {"text length past the end", head + hex("0500 6162"), 1},
        {"element count past the end", afterText + hex("0100 a0860100 00000000 0000"), 11},
        {"array header cut short", afterText + hex("0100 0100"), 11},
        {"element cut short", afterText + hex("0100 02000000 01000000 0100 61 0200"), 13},
    };
    for (const Case& c : cases) {
        ReadResult result;
        const Probe probe = readProbe(c.bytes, &result);
        EXPECT_FALSE(result.complete) << c.name;
        EXPECT_EQ(result.endLeaf, c.endLeaf) << c.name;
        EXPECT_EQ(probe.flag, 1) << c.name;
        EXPECT_TRUE(probe.text.isEmpty()) << c.name;
    }
}

TEST(PackedRecord, CountsNoFileCanHoldAreDamage)
{
    const QByteArray before = hex("0000 0000 20202020 000000 00000000 00000000 0000000000000000 "
                                  "0000 0000 0000 0000");
    const char* headers[] = {
        "0200 01000000 00000000",           // two dimensions: our lists have one
        "3d00 01000000 00000000",           // 61 dimensions
        "ffff",                             // a negative dimension count
        "0100 00000080 00000000",           // 2^31 elements
        "0100 ffffffff 00000000",           // -1 elements
        "0100 02000000 ffffff7f 0000 0000", // an upper bound past 2^31 - 1
    };
    for (const char* header : headers) {
        const QByteArray bytes = before + hex(header) + QByteArray(64, '\0');
        try {
            readProbe(bytes);
            ADD_FAILURE() << header;
        } catch (const RecordDamage& damage) {
            EXPECT_EQ(damage.number(), Platform::RunTimeError::SubscriptOutOfRange);
            EXPECT_EQ(damage.leaf(), 11) << header;
        }
    }
}
