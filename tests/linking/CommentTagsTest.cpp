// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/CommentTags.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

namespace Linking {
void PrintTo(const Selection& s, std::ostream* os)
{
    *os << "(" << s.start << ", " << s.length << ")";
}
} // namespace Linking

namespace {

using namespace Linking;

enum Step
{
    Previous,
    Next
};

struct NavigationCase
{
    const char* what;
    const char16_t* text;
    Selection from;
    Step step;
    std::optional<Selection> to;
};

//                        0 2           14  16          28
const char16_t* const Two = u"ab<!-- one -->cd<!-- two -->ef";
constexpr Selection One{2, 12};
constexpr Selection Second{16, 12};

const NavigationCase NavigationCases[] = {
    {"caret after the last tag: no next", Two, {28, 0}, Next, std::nullopt},
    {"caret after the last tag: the last", Two, {28, 0}, Previous, Second},
    {"caret past the end of the text", Two, {40, 0}, Previous, Second},
    {"caret at the start of the first tag", Two, {2, 0}, Previous, std::nullopt},
    {"caret before the first tag", Two, {1, 0}, Previous, std::nullopt},
    {"caret at the start: the first tag", Two, {0, 0}, Next, One},
    {"caret at a tag's start: the one after", Two, {2, 0}, Next, Second},
    {"caret inside a tag: that tag", Two, {5, 0}, Previous, One},
    {"caret inside a tag: the next one", Two, {5, 0}, Next, Second},
    {"tag selected: the next one", Two, One, Next, Second},
    {"tag selected: not itself", Two, One, Previous, std::nullopt},
    {"second tag selected: the first", Two, Second, Previous, One},
    {"no comment at all", u"<p>plain</p>", {0, 0}, Next, std::nullopt},
    {"no comment at all, backwards", u"<p>plain</p>", {12, 0}, Previous, std::nullopt},
    {"empty text", u"", {0, 0}, Next, std::nullopt},
    {"a \">\" inside the comment: the whole comment",
     u"x<!-- a > b -->",
     {0, 0},
     Next,
     Selection{1, 14}},
    {"\"<!-->\" is five characters", u"x<!-->y", {0, 0}, Next, Selection{1, 5}},
    {"no \"-->\" after it: five characters", u"x<!-- a > b", {0, 0}, Next, Selection{1, 5}},
    {"no \"-->\" and the text ends first", u"x<!--", {0, 0}, Next, Selection{1, 4}},
    {"backwards onto an unclosed comment", u"<!--abc", {7, 0}, Previous, Selection{0, 5}},
    {"an unclosed comment after another", u"<!--a--><!--b<!--c", {8, 0}, Next, Selection{13, 5}},
    // Comments do not nest: a "<!--" inside one is no place to step to.
    {"over an opening inside a comment",
     u"<!-- a <!-- b --> <!-- c -->",
     {0, 0},
     Next,
     Selection{18, 10}},
    {"back from inside a comment past an opening in it",
     u"<!-- a <!-- b --> <!-- c -->",
     {12, 0},
     Previous,
     Selection{0, 17}},
};

TEST(CommentTags, PreviousAndNextStepAsTheButtonsDo)
{
    for (const NavigationCase& c : NavigationCases) {
        const auto step = c.step == Next ? nextTag : previousTag;
        EXPECT_EQ(step(c.text, c.from), c.to) << c.what;
    }
}

TEST(CommentTags, SelectedTextIsATagOnlyWhenItOpensAndClosesOne)
{
    const struct
    {
        const char16_t* selected;
        const char16_t* tag;
    } cases[] = {
        {u"<!-- Name -->", u"<!-- Name -->"},
        {u"<!-->", u"<!-->"},
        {u"<!--\r\n  spread -->", u"<!--\r\n  spread -->"},
        {u"<!-- a >", u""},
        {u"<!--", u""},
        {u"<!-- x -- >", u""},
        {u" <!-- x -->", u""},
        {u"<!-- x --> ", u""},
        {u"Name", u""},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(selectedTag(c.selected), QStringView(c.tag).toString())
            << QStringView(c.selected).toString().toStdString();
}

// A step selects what the marks and the list call a tag, so that every tag it
// lands on becomes the selected tag.
TEST(CommentTags, StepsLandOnEachListedTagWhole)
{
    const QStringView text = u"<p><!-- Email > shown only when given --></p>\r\n<!-- a <!-- b "
                             u"--> x --> <!-->\r\n<!--\r\n  spread\r\n--><!-- open > still";
    const QList<CommentTag> tags = commentTags(text);
    ASSERT_EQ(tags.size(), 4);
    Selection at;
    for (const CommentTag& tag : tags) {
        const std::optional<Selection> step = nextTag(text, at);
        ASSERT_TRUE(step) << tag.tag.toStdString();
        EXPECT_EQ(*step, (Selection{tag.start, tag.tag.size()}));
        EXPECT_EQ(selectedTag(text.sliced(step->start, step->length)), tag.tag);
        at = *step;
    }
    // And backwards from the end, the same tags after the unclosed one.
    at = *nextTag(text, at);
    EXPECT_EQ(text.sliced(at.start, at.length), u"<!-- ");
    EXPECT_EQ(nextTag(text, at), std::nullopt);
    for (qsizetype i = tags.size() - 1; i >= 0; --i) {
        at = previousTag(text, at).value_or(Selection{});
        EXPECT_EQ(at, (Selection{tags[i].start, tags[i].tag.size()})) << i;
    }
}

// The steps start reading at the last "-->" before the caret; they must land
// where a reading from the start of the text lands, whatever the text.
TEST(CommentTags, StepsLandWhereAReadingFromTheStartLands)
{
    const QStringList pieces{"<!--", "-->", ">", "-", "<", "!", "x", "<!-->", "\r\n"};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        QString text;
        for (int n = int(random() % 12); n > 0; --n)
            text += pieces[qsizetype(random() % pieces.size())];
        // Every stop, read from the start: each tag whole, then each "<!--" after the last.
        QList<Selection> stops;
        qsizetype from = 0;
        for (const CommentTag& tag : commentTags(text)) {
            stops.append({tag.start, tag.tag.size()});
            from = tag.start + tag.tag.size();
        }
        for (qsizetype open = text.indexOf(u"<!--", from); open >= 0;
             open = text.indexOf(u"<!--", open + 1))
            stops.append({open, std::min<qsizetype>(5, text.size() - open)});

        for (qsizetype caret = 0; caret <= text.size() + 1; ++caret) {
            std::optional<Selection> next;
            std::optional<Selection> previous;
            for (const Selection& stop : stops) {
                if (stop.start < caret)
                    previous = stop;
                else if (stop.start > caret && !next)
                    next = stop;
            }
            EXPECT_EQ(nextTag(text, {caret, 0}), next) << text.toStdString() << " @" << caret;
            EXPECT_EQ(previousTag(text, {caret, 0}), previous)
                << text.toStdString() << " @" << caret;
        }
    }
}

TEST(CommentTags, ListsEachTagWithTheLineItStartsOn)
{
    const QStringView text = u"<html>\r\n<!-- A -->\n<p><!-->\r<!-- B\r\nspans --> "
                             u"<!-- C <!-- D --> x --> y <!-- open";
    const QList<CommentTag> tags = commentTags(text);
    ASSERT_EQ(tags.size(), 4);
    const struct
    {
        const char16_t* tag;
        int line;
    } expected[] = {
        {u"<!-- A -->", 2},
        {u"<!-->", 3},
        {u"<!-- B\r\nspans -->", 4},
        // Comments do not nest: the inner opening is text of the outer one.
        {u"<!-- C <!-- D -->", 5},
    };
    for (qsizetype i = 0; i < tags.size(); ++i) {
        EXPECT_EQ(tags[i].tag, QStringView(expected[i].tag).toString()) << i;
        EXPECT_EQ(tags[i].line, expected[i].line) << i;
        EXPECT_EQ(text.sliced(tags[i].start).first(tags[i].tag.size()), tags[i].tag) << i;
    }
    EXPECT_TRUE(commentTags(u"").isEmpty());
    EXPECT_TRUE(commentTags(u"<!-- never closed").isEmpty());
    EXPECT_EQ(commentTags(u"\n\n\r\r\n<!---->").value(0).line, 5);
}

} // namespace
