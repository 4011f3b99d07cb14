// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/Values.h"

#include "platform/RunTimeError.h"

#include <gtest/gtest.h>

using namespace Global;

TEST(Values, LeadingNumberOfAText)
{
    const std::pair<const char*, double> cases[] = {
        {"42", 42},    {"  -1", -1},     {"1 2 3", 123},   {"12abc", 12},
        {"abc", 0},    {"", 0},          {"3.25.5", 3.25}, {".5", 0.5},
        {"1E3", 1000}, {"2.5d-1", 0.25}, {"7e", 7},        {"+8", 8},
        {"&HFF", 255}, {"&HFFFF", -1},   {"&O17", 15},     {"&H7FFFFFFF", 2147483647},
        {"--1", 0},    {"0.013", 0.013}, {"\t\n9", 9},     {"1,000", 1},
    };
    for (const auto& [text, number] : cases)
        EXPECT_DOUBLE_EQ(val(QString::fromLatin1(text)), number) << text;
    EXPECT_THROW(val(u"1E999"), Platform::RunTimeError);
}

TEST(Values, NumbersAsTheirShortestText)
{
    const std::pair<double, const char*> doubles[] = {
        {0, "0"},
        {12, "12"},
        {-0.5, "-0.5"},
        {0.013, "0.013"},
        {1e15, "1E+15"},
        {123456789012345.0, "123456789012345"},
        {0.0001, "0.0001"},
        {0.000025, "2.5E-05"},
        {1.0 / 3, "0.333333333333333"},
    };
    for (const auto& [number, text] : doubles)
        EXPECT_EQ(numberText(number), QString::fromLatin1(text)) << text;
    EXPECT_EQ(floatText(0.013f), QStringLiteral("0.013"));
    EXPECT_EQ(floatText(0.007f), QStringLiteral("0.007"));
    EXPECT_EQ(floatText(1.0f / 3), QStringLiteral("0.33333334"));
    EXPECT_EQ(toText(QVariant(0.012f)), QStringLiteral("0.012"));
    EXPECT_EQ(toText(QVariant(true)), QStringLiteral("True"));
    EXPECT_EQ(toNumber(QVariant(QStringLiteral(" 12 px"))), 12);
    EXPECT_EQ(toNumber(QVariant(true)), -1);
}

TEST(Values, DisplayPatterns)
{
    const std::tuple<double, const char*, const char*> cases[] = {
        {0, "#,##0", "0"},
        {1234567, "#,##0", "1,234,567"},
        {-1234.5, "#,##0", "-1,235"},
        {999, "#,###,##0", "999"},
        {19.53125, "#,##0.0", "19.5"},
        {0.95367, "#,##0.0", "1.0"},
        {1234.56, "#,##0.0", "1,234.6"},
        {0.5, "0.0##", "0.5"},
        {1.23456, "0.0##", "1.235"},
        {2, "0.0##", "2.0"},
        {-0.0001, "0.0##", "0.0"},
    };
    for (const auto& [number, pattern, text] : cases)
        EXPECT_EQ(formatNumber(number, QString::fromLatin1(pattern)), QString::fromLatin1(text))
            << number << " " << pattern;
}

TEST(Values, DatesAsDayNumbers)
{
    EXPECT_EQ(dateToNumber(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0);
    EXPECT_DOUBLE_EQ(dateToNumber(QDateTime(QDate(2000, 1, 1), QTime(18, 0))), 36526.75);
    EXPECT_DOUBLE_EQ(dateToNumber(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    for (const double day : {0.0, 36526.75, -1.25, 46000.123456})
        EXPECT_NEAR(dateToNumber(numberToDate(day)), day, 1e-8) << day;
}
