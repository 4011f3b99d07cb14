// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

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
