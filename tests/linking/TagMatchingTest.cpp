// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/TagMatching.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "linking/TagLinker.h"
#include "linking/TagLinks.h"

#include <gtest/gtest.h>

namespace {

using namespace Linking;

const QString Page = QStringLiteral("quote.htm");

QList<FieldRow> fieldRows(const QStringList& names)
{
    QList<FieldRow> rows;
    for (const QString& name : names)
        rows.append({name, QStringLiteral("sample"), QString()});
    return rows;
}

QList<MatchPair> pairsOf(const QString& text, const QStringList& fields,
                         const std::optional<QSet<QString>>& folderFields = std::nullopt)
{
    TagMarks marks;
    marks.setText(text);
    marks.update(storedLinks(Page), folderFields);
    return matchingPairs(text, marks, fieldRows(fields));
}

QStringList described(const QList<MatchPair>& pairs)
{
    QStringList out;
    for (const MatchPair& pair : pairs)
        out << pair.tag + QStringLiteral(" = ") + pair.field;
    return out;
}

TEST(MatchName, LeavesOutCaseBlanksUnderscoresAndHyphens)
{
    const struct
    {
        const char16_t* text;
        const char16_t* name;
    } cases[] = {
        {u"Delivery_Date", u"DELIVERYDATE"},
        {u" delivery - date ", u"DELIVERYDATE"},
        {u"\r\n  e_mail\t\r\n", u"EMAIL"},
        {u"Straße", u"STRAßE"}, // one character for one: the length stays
        {u"name (optional)", u"NAME(OPTIONAL)"},
        {u" _-_ ", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchName(QString::fromUtf16(c.text)), QString::fromUtf16(c.name))
            << QString::fromUtf16(c.text).toStdString();
    EXPECT_EQ(tagInside(u"<!-- name -->"), u" name ");
    EXPECT_EQ(tagInside(u"<!---->"), u"");
    EXPECT_TRUE(tagInside(u"<!-->").isEmpty()); // its "--" is the opening's and the closing's
    EXPECT_TRUE(tagInside(u"name").isEmpty());
}

TEST(MatchingPairs, PairsTagsThatAreNotLinkedWithTheFieldsOfTheirNames)
{
    Testing::TestSettings settings;
    storeLink(Page, QStringLiteral("<!-- phone -->"), QStringLiteral("Telephone"));
    storeLink(Page, QStringLiteral("<!-- Notes -->"), QStringLiteral("Gone"));
    const QString text = QStringLiteral("<!-- Name --><p><!-- delivery date -->\n"
                                        "<!-- PHONE --><!-- notes --><!-- Name -->\n"
                                        "<!-- name --><!-- nothing --><!-- E-Mail -->"
                                        "<!-- --><!--> <!-- email > only when given -->");
    const QList<MatchPair> pairs = pairsOf(
        text, {"phone", "notes", "name", "E_mail", "Name", "Delivery_Date", "e-mail", "nothing2"},
        QSet<QString>{"Telephone"});
    // Linked tags, in any case and to a field the folder lacks too, are left
    // alone; a tag offered once however often it stands, in any case; of the
    // fields of one name the one spelt as the tag, else the first.
    EXPECT_EQ(described(pairs),
              (QStringList{"<!-- Name --> = Name", "<!-- delivery date --> = Delivery_Date",
                           "<!-- E-Mail --> = E_mail"}));
    EXPECT_EQ(pairs[0].at, (Selection{0, 13}));
    EXPECT_EQ(pairs[2].line, 3);
    EXPECT_TRUE(pairsOf(text, {}).isEmpty());
}

TEST(LinkPairs, StoresTheKeptPairsInOneWriteAndNeverMovesALink)
{
    Testing::TestSettings settings;
    storeLink(Page, QStringLiteral("<!-- NAME -->"), QStringLiteral("Surname"));
    const QList<MatchPair> pairs{{"<!-- name -->", "name", 1, {}},
                                 {"<!-- email -->", "email", 2, {}},
                                 {"<!-- EMAIL -->", "Email2", 3, {}}};
    const QList<MatchPair> kept = linkPairs(Page, pairs);
    EXPECT_EQ(described(kept), QStringList{"<!-- email --> = email"});
    EXPECT_EQ(storedField(Page, QStringLiteral("<!-- name -->")), QStringLiteral("Surname"));
    EXPECT_EQ(storedField(Page, QStringLiteral("<!-- email -->")), QStringLiteral("email"));
    EXPECT_EQ(storedLinks(Page).size(), 2);
}

TEST(MatchList, OffersEveryPairTickedAndGivesTheTickedOnes)
{
    MatchList list;
    int announced = -1;
    QObject::connect(&list, &MatchList::tickedCountChanged, [&](int count) { announced = count; });
    list.setPairs(
        {{"<!-- a -->", "A", 1, {}}, {"<!-- b\r\n -->", "B", 2, {}}, {"<!-- c -->", "C", 9, {}}});
    EXPECT_EQ(announced, 3);
    EXPECT_EQ(list.data(list.index(1, MatchList::TagColumn), Qt::DisplayRole).toString(),
              QString::fromUtf16(u"<!-- b\u23CE -->"));
    EXPECT_EQ(list.data(list.index(2, MatchList::LineColumn), Qt::DisplayRole).toInt(), 9);
    EXPECT_EQ(list.headerData(MatchList::FieldColumn, Qt::Horizontal, Qt::DisplayRole),
              QStringLiteral("Field"));

    // The view's tick goes through setData.
    EXPECT_TRUE(
        list.setData(list.index(1, MatchList::LineColumn), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(announced, 2);
    EXPECT_EQ(described(list.tickedPairs()), (QStringList{"<!-- a --> = A", "<!-- c --> = C"}));
    list.setAllTicked(false);
    EXPECT_EQ(list.tickedCount(), 0);
    EXPECT_TRUE(list.tickedPairs().isEmpty());
}

TEST(MatchingInTheLinker, ATagSelectedFindsTheFieldOfItsNameAndOkLinksThePairs)
{
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    TagLinker linker;
    const QString text = QStringLiteral("<!-- Name --> <!-- e-mail --> <!-- phone -->");
    linker.setRows(fieldRows({"Email", "Name", "Phone"}));
    linker.setSource(Page, text);
    storeLink(Page, QStringLiteral("<!-- phone -->"), QStringLiteral("Email"));
    linker.loadTagLinks();

    linker.sourceSelectionChanged({14, 15}); // "<!-- e-mail -->"
    EXPECT_EQ(linker.currentRow(), 0);
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Email"));
    // A tag linked to another field keeps showing that field's row.
    linker.sourceSelectionChanged({30, 14});
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Email"));
    EXPECT_EQ(linker.currentRow(), 0);

    QList<int> changedMarks;
    QObject::connect(&linker, &TagLinker::tagMarksChanged,
                     [&](const QList<int>& marks) { changedMarks = marks; });
    const QList<MatchPair> pairs = linker.matchingPairs();
    EXPECT_EQ(described(pairs), (QStringList{"<!-- Name --> = Name", "<!-- e-mail --> = Email"}));
    linker.linkPairs(pairs);
    EXPECT_EQ(linker.rows()[1].tagLink, QStringLiteral("<!-- Name -->"));
    EXPECT_EQ(changedMarks, (QList<int>{0, 1}));
    EXPECT_EQ(linker.tagMarks().counts().unlinked, 0);
    EXPECT_TRUE(linker.matchingPairs().isEmpty());
}

} // namespace
