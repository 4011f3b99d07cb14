// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/StringTable.h"

#include "shared/Messages.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace Resources {
extern const char* const StringsText;
}

using Global::StringTable;

namespace {

StringTable parse(const char* text, QStringList* errors)
{
    return StringTable::parse(QByteArrayView(text), errors);
}

} // namespace

TEST(StringTable, ReadsEscapesAndSkipsCommentsAndBlankLines)
{
    QStringList errors;
    const StringTable table = parse(
        "# heading\n\n1\ta\\r\\nb\\tc\\0d\\\\e\\x1Ff\\x01\n2\t trailing blank \r\n3\t\n", &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(table.text(1), QStringLiteral("a\r\nb\tc") + QChar(0) + QStringLiteral("d\\e") +
                                 QChar(31) + QStringLiteral("f") + QChar(1));
    EXPECT_EQ(table.text(2), QStringLiteral(" trailing blank "));
    EXPECT_EQ(table.text(3), QString());
    EXPECT_FALSE(table.text(4).has_value());
}

TEST(StringTable, NamesEveryBadLineAndKeepsTheGoodOnes)
{
    QStringList errors;
    const StringTable table =
        parse("1\tgood\nx\tno number\n2\tbad \\q escape\n3\tbad \\x4 hex\n4\tends \\\n1\ttwice\n",
              &errors);
    ASSERT_EQ(errors.size(), 5);
    EXPECT_TRUE(errors[0].startsWith(u"line 2:"));
    EXPECT_TRUE(errors[4].contains(u"twice"));
    EXPECT_EQ(table.numbers(), QList<int>{1});
    EXPECT_EQ(table.text(1), QStringLiteral("good"));
}

// The table that ships: it must read without a fault, and every inclusion
// in it must name a string that exists.
TEST(StringTable, ProgramTableIsWhole)
{
    QStringList errors;
    StringTable::parse(QByteArrayView(Resources::StringsText), &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    const StringTable& table = StringTable::instance();
    ASSERT_GT(table.numbers().size(), 150);
    const QRegularExpression inclusion(QStringLiteral("\\|[!\u00A1](\\d+)"));
    for (const int number : table.numbers()) {
        auto matches = inclusion.globalMatch(*table.text(number));
        while (matches.hasNext()) {
            const int included = matches.next().captured(1).toInt();
            EXPECT_TRUE(table.text(included).has_value())
                << "string " << number << " includes missing string " << included;
        }
    }
    for (int tweak = 31001; tweak <= 31084; ++tweak)
        EXPECT_EQ(table.require(tweak).count(u','), 4) << "tweak " << tweak;
    EXPECT_EQ(table.text(50), QStringLiteral("Vantix"));
}
