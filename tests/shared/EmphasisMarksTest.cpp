// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/EmphasisMarks.h"

#include "shared/Messages.h"

#include <gtest/gtest.h>

using namespace Global;
using Kind = EmphasisRun::Kind;

namespace {

EmphasisRun text(const char* value, bool bold = false, int colour = 0)
{
    EmphasisRun run;
    run.text = QString::fromUtf8(value);
    run.bold = bold;
    run.colour = colour;
    return run;
}

EmphasisRun step(Kind kind)
{
    EmphasisRun run;
    run.kind = kind;
    return run;
}

} // namespace

TEST(EmphasisMarks, FieldRowReadsAsThreeLinesOfTwoColumns)
{
    const QString row = ResolveRes(
        9305, {QStringLiteral("Name"), QStringLiteral("John"), QStringLiteral("<!--n-->")});
    const QList<EmphasisRun> runs = parseEmphasis(row);
    const QList<EmphasisRun> expected = {text("Field:"),
                                         step(Kind::ColumnStep),
                                         text("Name", true),
                                         step(Kind::ColumnStep),
                                         step(Kind::NewLine),
                                         text("Sample:"),
                                         step(Kind::ColumnStep),
                                         text("John"),
                                         step(Kind::ColumnStep),
                                         step(Kind::NewLine),
                                         text("Tag link:"),
                                         step(Kind::ColumnStep),
                                         text("<!--n-->", false, 1)};
    EXPECT_EQ(runs, expected);

    const QList<EmphasisLine> lines = emphasisLines(runs);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 3); // the trailing step leaves an empty cell
    EXPECT_EQ(lines[2].size(), 2);
    EXPECT_EQ(lines[2][1], (EmphasisCell{text("<!--n-->", false, 1)}));
    EXPECT_EQ(plainEmphasisText(row),
              QStringLiteral("Field:\tName\t\nSample:\tJohn\t\nTag link:\t<!--n-->"));
}

TEST(EmphasisMarks, MarksOfEitherControlCharacter)
{
    // Marks are spelt out as u"\x01" u"B" so that no letter joins the escape.
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"\x1f"
         u"Bbold\x1f"
         u"b plain",
         "bold| plain"},
        {u"a\x01"
         u"Ib\x01"
         u"ic",
         "a|b|c"},
        {u"\x01"
         u"Uu\x01"
         u"u",
         "u"},
        {u"x\x01"
         u"Qy",
         "xy"},          // an unknown letter goes with its mark
        {u"x\x01", "x"}, // a mark with nothing after it
        {u"x\x01"
         u"Bb\x01"
         u"B",
         "x|b"}, // a switch that changes nothing splits nothing
        {u"\x02"
         u"Bkeep",
         "\x02"
         "Bkeep"}, // other control characters are text
        {u"", ""},
    };
    for (const auto& [input, pieces] : cases) {
        QStringList texts;
        for (const EmphasisRun& run : parseEmphasis(QString::fromUtf16(input)))
            texts << run.text;
        EXPECT_EQ(texts.join(u'|'), QString::fromUtf8(pieces))
            << QString::fromUtf16(input).toStdString();
    }

    const QList<EmphasisRun> styled = parseEmphasis(u"\x01"
                                                    u"B\x01"
                                                    u"I\x01"
                                                    u"U\x01"
                                                    u"9all\x01"
                                                    u"0\x01"
                                                    u"b\x01"
                                                    u"i\x01"
                                                    u"unone");
    ASSERT_EQ(styled.size(), 2);
    EXPECT_TRUE(styled[0].bold && styled[0].italic && styled[0].underline);
    EXPECT_EQ(styled[0].colour, 9);
    EXPECT_EQ(styled[1], text("none"));
}
