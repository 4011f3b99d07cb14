// SPDX-License-Identifier: GPL-3.0-or-later
#include "index/SearchKeys.h"

#include "TestSettings.h"
#include "index/Packing.h"

#include <gtest/gtest.h>

using namespace Indexing;

TEST(CalculateCell, GivesEachOfTheFirstThreeCharactersItsGroup)
{
    struct Case
    {
        QString key;
        Cell cell;
    };
    const Case cases[] = {
        {QStringLiteral("SMITH"), {16, 11, 8}},
        {QStringLiteral("EVANS"), {20, 14, 1}},
        {QStringLiteral("O"), {12, 9, 9}}, // padded with K
        {QStringLiteral("01234"), {13, 2, 3}},
        {QStringLiteral("*ab"), {9, 9, 9}}, // outside the table, and lower case
        {QStringLiteral("ÀÃß"), {1, 2, 16}},
        {QStringLiteral("Ł×Ý"), {9, 19, 20}}, // beyond Latin-1
        {QString(), {9, 9, 9}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cellOf(c.key), c.cell) << c.key.toStdString();
        QString key = c.key;
        qint16 c1 = 0, c2 = 0, c3 = 0;
        CalculateCell(key, c1, c2, c3);
        EXPECT_EQ((Cell{c1, c2, c3}), c.cell);
    }
    QString key;
    qint16 c1 = 16, c2 = 11, c3 = 1;
    CalculateCell(key, c1, c2, c3, true);
    EXPECT_EQ(key, QString::fromUtf16(u"Sß\0\0M9ÔÕAÀÁ\0", 12));
}

TEST(KeyWords, SplitsValuesIntoStoredWordsAndMatchTexts)
{
    Testing::TestSettings settings;
    struct Case
    {
        QString value;
        int index;
        int kind;
        QString match;
        QStringList words;
    };
    const Case cases[] = {
        {QStringLiteral("Smith & Sons Ltd"),
         NameIndex,
         4,
         QStringLiteral("SMITHSONSLTD"),
         {QStringLiteral("SMITH"), QStringLiteral("SONS")}},
        {QStringLiteral("J R R Tolkien"),
         NameIndex,
         4,
         QStringLiteral("JRRTOLKIEN"),
         {QStringLiteral("JRR"), QStringLiteral("TOLKIEN")}},
        // Companies in the Name index also answer to their initials.
        {QStringLiteral("Acme Widgets plc"),
         NameIndex,
         3,
         QStringLiteral("ACMEWIDGETSPLCAWP"),
         {QStringLiteral("ACME"), QStringLiteral("WIDGETS"), QStringLiteral("AWP")}},
        {QStringLiteral("Acme Widgets plc"),
         PcodeIndex,
         3,
         QStringLiteral("ACMEWIDGETSPLC"),
         {QStringLiteral("ACME"), QStringLiteral("WIDGETS")}},
        {QStringLiteral("Acme"), NameIndex, 3, QStringLiteral("ACME"), {QStringLiteral("ACME")}},
        {QStringLiteral("LS1 4AB"),
         PcodeIndex,
         3,
         QStringLiteral("LS14AB"),
         {QStringLiteral("LS1"), QStringLiteral("4AB")}},
        {QStringLiteral("0113-496 0000"),
         TelNumIndex,
         4,
         QStringLiteral("01134960000"),
         {QStringLiteral("0113496"), QStringLiteral("0000")}},
        {QStringLiteral("Ltd UK"), NameIndex, 4, QStringLiteral("LTDUK"), {}},
        // The characters that mark an entry's parts never reach it.
        {QStringLiteral("Bad\x01Name\x02"),
         NameIndex,
         4,
         QStringLiteral("BADNAME"),
         {QStringLiteral("BADNAME")}},
    };
    for (const Case& c : cases) {
        const KeyWords got = keyWords(c.value, c.index, c.kind);
        EXPECT_EQ(got.match, c.match) << c.value.toStdString();
        EXPECT_EQ(got.words, c.words) << c.value.toStdString();
    }
}

TEST(GetIndexedFields, ListsTheFourFieldsWithTheirNumbers)
{
    EXPECT_EQ(
        GetIndexedFields(),
        (QStringList{QStringLiteral("Name|1"), QStringLiteral("Postcode|2"),
                     QStringLiteral("Phone/Fax/E-mail|3"), QStringLiteral("User-defined 1|4")}));
}
