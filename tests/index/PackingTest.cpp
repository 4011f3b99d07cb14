// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/Packing.h"

#include "shared/TextRoutines.h"

#include <QList>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Indexing;

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

} // namespace

TEST(KwZip, EveryTextRoundTripsWithinTwiceItsLengthAndNeverHoldsTheMarks)
{
    QRandomGenerator random(7);
    QList<QByteArray> texts{QByteArray(),
                            "A",
                            "Smith",
                            "Smith & Sons Ltd\x01Leeds",
                            QByteArray(40, '\x01'),
                            allBytes(),
                            QByteArray(Global::KwZipAlphabet)};
    for (int i = 0; i < 200; ++i) {
        QByteArray text(random.bounded(1, 64), '\0');
        for (char& ch : text)
            ch = static_cast<char>(random.bounded(256));
        texts << text;
    }
    for (const QByteArray& text : texts) {
        const auto packed = Global::KwZip(text, text.size() * 2);
        ASSERT_TRUE(packed) << text.toHex().constData();
        EXPECT_LE(packed->size(), text.size() * 2);
        for (const char ch : *packed)
            EXPECT_GT(static_cast<unsigned char>(ch), 2) << text.toHex().constData();
        EXPECT_EQ(Global::KwUnZip(*packed, packed->size() * 2), text);
        // The next entry's mark ends it.
        EXPECT_EQ(Global::KwUnZip(*packed + "\x01" + *packed, packed->size() * 4), text);
    }
    // Text of the alphabet packs smaller.
    EXPECT_EQ(Global::KwZip("Smith Jones", 22)->size(), 10);
}

TEST(KwZip, RefusesWhatIsNoPacking)
{
    EXPECT_FALSE(Global::KwZip("abc", 6, "ABC"));
    EXPECT_FALSE(Global::KwZip(allBytes(), 100));
    EXPECT_FALSE(Global::KwUnZip("\x83\xff", 10));
    EXPECT_FALSE(Global::KwUnZip(QByteArray(1, '\0'), 10));
}

TEST(Zip, PacksDisplayTextsAndUnZipFallsBackToTheTerminator)
{
    const QString display = QStringLiteral("Zoë Smith\x01Leeds");
    EXPECT_EQ(UnZip(Zip(display), '\x01'), display);
    EXPECT_TRUE(Zip(QString()).isEmpty());
    EXPECT_EQ(UnZip(QByteArray()), QString());
    // Bytes that are not a packing come back as they are, cut at the terminator.
    EXPECT_EQ(UnZip(QByteArray("\xe9t\xe9|more"), '|'), QStringLiteral("été"));
}

TEST(KwPack, PacksDigitsIntoHalfBytesBehindTheHeader)
{
    struct Case
    {
        const char* digits;
        qint16 flags;
        QByteArray packed;
    };
    const Case cases[] = {
        {"12", 3, QByteArray::fromHex("13 21 bb")},  // header 2 x 8 + 3, then 1,2 and 11,11
        {"123", 4, QByteArray::fromHex("14 21 b3")}, // 1,2 and 3,11
        {"10-20", 1, QByteArray::fromHex("19 01 2a b0")},
        {"1x", 2, QByteArray::fromHex("12 f1 bb")}, // x packs as 15
    };
    for (const Case& c : cases) {
        qint16 flags = c.flags;
        EXPECT_EQ(KwPack(QString::fromLatin1(c.digits), flags), c.packed) << c.digits;
        qint16 gotFlags = 0;
        int length = 0;
        const QString back = KwUnPack(c.packed + "tail", gotFlags, length);
        EXPECT_EQ(back, QString::fromLatin1(c.digits).remove(QLatin1Char('x'))) << c.digits;
        EXPECT_EQ(gotFlags, c.flags);
        EXPECT_EQ(length, c.packed.size());
    }
    qint16 flags = 1;
    EXPECT_TRUE(KwPack(QString(), flags).isEmpty());
    // A reference too long for the header is cut where the header ends.
    const QByteArray longest = KwPack(QString(80, QLatin1Char('7')), flags);
    int length = 0;
    EXPECT_EQ(longest.size(), 32);
    EXPECT_EQ(KwUnPack(longest, flags, length), QString(62, QLatin1Char('7')));
    EXPECT_EQ(length, 32);
}

TEST(IndexTitle, TurnsNumbersIntoFileNamesAndFilesIntoTitles)
{
    EXPECT_EQ(IndexTitle(2), QStringLiteral("Pcode"));
    EXPECT_EQ(IndexTitle(5), QString());
    EXPECT_EQ(IndexTitle(QStringLiteral("/idx/PCODE.bin")), QStringLiteral("Postcode"));
    EXPECT_EQ(IndexTitle(QStringLiteral("TelNum")), QStringLiteral("Phone/Fax/Email"));
    EXPECT_EQ(IndexTitle(QStringLiteral("/idx/Other.BIN")), QStringLiteral("other"));
    EXPECT_EQ(indexNumber(QStringLiteral("ud1.bin")), 4);
    EXPECT_EQ(indexPath(QStringLiteral("/idx"), 1), QStringLiteral("/idx/Name.bin"));
}
