// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Cp1252 = Platform::Cp1252;

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = Cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1252::encode(text), all);
}

TEST(Cp1252, CharactersOfTheHighRange)
{
    EXPECT_EQ(Cp1252::toChar(0x80), QChar(0x20AC));
    EXPECT_EQ(Cp1252::toChar(0x9F), QChar(0x0178));
    EXPECT_EQ(Cp1252::toChar(0xA3), QChar(0x00A3));
    for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(Cp1252::toChar(undefined), QChar(undefined));
    EXPECT_EQ(Cp1252::encode(u"\u20AC\u2122\u00E9"), QByteArray("\x80\x99\xE9"));
    // What Windows-1252 lacks is written as "?".
    EXPECT_EQ(Cp1252::encode(u"a\u0100\u4E2D\U0001F600b"), QByteArray("a????b"));
    EXPECT_FALSE(Cp1252::canEncode(QChar(0x0100)));
}

TEST(Cp1252, TransliteratesOnlyWhatWindows1252Lacks)
{
    struct Case
    {
        const char16_t* given;
        const char* fitted;
        int unknown;
    };
    const Case cases[] = {
        {u"Zo\u00eb Zhang \u20ac", "Zo\u00eb Zhang \u20ac", 0}, // held as it is
        {u"\u03a9mega Ltd", "Omega Ltd", 0},                    // Greek
        {u"\u0141\u00f3d\u017a", "L\u00f3dz", 0},               // Polish: ó stays
        {u"\u010cesk\u00fd Krumlov", "Cesk\u00fd Krumlov", 0},  // Czech
        {u"\u0418\u0432\u0430\u043d", "Ivan", 0},               // Cyrillic
        {u"Rene\u0301", "Ren\u00e9", 0},                        // a combining accent
        {u"a\U0001F600b", "a?b", 1},                            // no form at all
    };
    for (const Case& c : cases) {
        int unknown = -1;
        EXPECT_EQ(Cp1252::transliterate(QStringView(c.given), &unknown),
                  QString::fromUtf8(c.fitted))
            << QString::fromUtf16(c.given).toStdString();
        EXPECT_EQ(unknown, c.unknown) << QString::fromUtf16(c.given).toStdString();
    }
    // Chinese comes out as syllables in Latin letters, nothing lost.
    int unknown = -1;
    const QString chinese = Cp1252::transliterate(u"\u4e2d\u6587", &unknown);
    EXPECT_EQ(unknown, 0);
    EXPECT_FALSE(chinese.isEmpty());
    EXPECT_TRUE(std::all_of(chinese.begin(), chinese.end(), Cp1252::canEncode));
}
