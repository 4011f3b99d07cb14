// SPDX-License-Identifier: GPL-3.0-or-later
#include "linking/TagLinker.h"

#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "linking/TagLinks.h"
#include "shared/Settings.h"

#include <gtest/gtest.h>

namespace {

using namespace Linking;
using Platform::MsgAnswer;

const QString Page = QStringLiteral("my-page.htm");
const QString T1 = QStringLiteral("<!-- one -->");
const QString T2 = QStringLiteral("<!-- two -->");
const QString T3 = QStringLiteral("<!-- three -->");
//                             0     6           18 19          31
const QString Source = QStringLiteral("<html><!-- one --> <!-- two --> <!-- three --></html>");

QString stored(const QString& tag, const QString& document = Page)
{
    return storedField(document, tag);
}

class Linker : public testing::Test
{
protected:
    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    TagLinker linker;
    QStringList seen; // every signal, in order

    Linker()
    {
        QObject::connect(&linker, &TagLinker::rowChanged,
                         [this](int row) { seen << QStringLiteral("row %1").arg(row); });
        QObject::connect(&linker, &TagLinker::currentRowChanged,
                         [this](int row) { seen << QStringLiteral("current %1").arg(row); });
        QObject::connect(&linker, &TagLinker::selectedFieldChanged,
                         [this](const QString& f) { seen << QStringLiteral("field ") + f; });
        QObject::connect(&linker, &TagLinker::selectedTagChanged,
                         [this](const QString& t) { seen << QStringLiteral("tag ") + t; });
        QObject::connect(&linker, &TagLinker::canLinkChanged, [this](bool on) {
            seen << QStringLiteral("canLink %1").arg(on ? "on" : "off");
        });
        QObject::connect(&linker, &TagLinker::sourceSelectionRequested, [this](Selection s) {
            seen << QStringLiteral("select %1 %2").arg(s.start).arg(s.length);
        });
        linker.setRows({{QStringLiteral("Name"), QStringLiteral("Ann"), QString()},
                        {QStringLiteral("Email"), QStringLiteral("a@b.c"), QString()},
                        {QStringLiteral("Phone"), QStringLiteral("0113"), QString()}});
        linker.setSource(Page, Source);
        seen.clear();
    }

    void selectTag(const QString& tag)
    {
        linker.sourceSelectionChanged({Source.indexOf(tag), tag.size()});
    }

    // Selects the tag in the source and links it to the field of `row`.
    void linkTo(const QString& tag, int row)
    {
        linker.rowClicked(row);
        selectTag(tag);
        linker.rowClicked(row);
        selectTag(tag);
        linker.link();
    }

    static QStringList tagLinksOf(const QList<FieldRow>& rows)
    {
        QStringList links;
        for (const FieldRow& row : rows)
            links << row.tagLink;
        return links;
    }
    QStringList tagLinks() const { return tagLinksOf(linker.rows()); }
    // The tag links that the same rows, empty, get from the store.
    QStringList storedTagLinks() const
    {
        QList<FieldRow> rows = linker.rows();
        for (FieldRow& row : rows)
            row.tagLink.clear();
        Linking::loadTagLinks(rows, linker.documentName());
        return tagLinksOf(rows);
    }
};

TEST_F(Linker, SelectingARowAndATagEnablesTheButtons)
{
    linker.rowClicked(1);
    selectTag(T1);
    EXPECT_EQ(seen, (QStringList{"current 1", "field Email", "tag <!-- one -->", "canLink on"}));
    EXPECT_TRUE(linker.canLink());

    // The view's echo of the same selection, and the same text again, change nothing.
    seen.clear();
    selectTag(T1);
    linker.rowClicked(1);
    EXPECT_TRUE(seen.isEmpty()) << seen.join(u", ").toStdString();

    // Text that is not a tag empties the selected tag.
    linker.sourceSelectionChanged({0, 6});
    EXPECT_EQ(seen, (QStringList{"tag ", "canLink off"}));
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Email"));
}

TEST_F(Linker, LinkingATagToAnotherFieldAsksFirst)
{
    linkTo(T1, 0);
    EXPECT_EQ(tagLinks(), (QStringList{T1, "", ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));

    // Selecting the tag brings its row back; choosing Email and answering No changes nothing.
    linker.sourceSelectionChanged({0, 0});
    linker.rowClicked(1);
    selectTag(T1);
    EXPECT_EQ(linker.currentRow(), 0);
    linker.rowClicked(1);
    host.expectBox(MsgAnswer::No,
                   QStringLiteral("The tag '<!-- one -->' is already linked to the 'Name' "
                                  "field, and you cannot link the same tag to two different "
                                  "fields.\r\n\r\nDo you want to delete the link to 'Name' "
                                  "and establish a new link to 'Email'?"));
    linker.link();
    EXPECT_EQ(host.boxes.value(0).title, QStringLiteral("Warning!"));
    EXPECT_EQ(host.boxes.value(0).buttons, Platform::MsgButtons::YesNo);
    EXPECT_EQ(tagLinks(), (QStringList{T1, "", ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));

    host.expectBox(MsgAnswer::Yes, QStringLiteral("new link to 'Email'"));
    seen.clear();
    linker.link();
    EXPECT_EQ(seen, (QStringList{"row 0", "row 1"}));
    EXPECT_EQ(tagLinks(), (QStringList{"", T1, ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Email"));
}

TEST_F(Linker, LinkingTheRowToTheTagItShowsAsksWithTheSameFieldTwice)
{
    linkTo(T1, 0);
    host.expectBox(MsgAnswer::Yes,
                   QStringLiteral("link to 'Name' and establish a new link to 'Name'"));
    linker.link();
    EXPECT_EQ(tagLinks(), (QStringList{T1, "", ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));
}

TEST_F(Linker, TwoTagsOfOneFieldBothStayInTheStore)
{
    // With nothing stored, the pointer that was showing comes back.
    host.setPointer(Platform::Pointer::IBeam);
    linker.loadTagLinks();
    EXPECT_EQ(host.pointers,
              (QList<int>{Platform::Pointer::IBeam, Platform::Pointer::ArrowHourglass,
                          Platform::Pointer::IBeam}));

    linkTo(T1, 0);
    linkTo(T2, 0);
    EXPECT_EQ(tagLinks(), (QStringList{T2, "", ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));
    EXPECT_EQ(stored(T2), QStringLiteral("Name"));

    // A reload shows the one listed last; other values and unknown fields are passed over.
    storeSourceFile(Page, QStringLiteral("/site/my-page.htm"));
    Global::SaveRegistryData(linkSection(Page), QStringLiteral("<!-- gone -->"),
                             QStringLiteral("Fax"));
    Global::SaveRegistryData(linkSection(Page), QStringLiteral("<!-- x"), QStringLiteral("Phone"));
    linker.setRows({{QStringLiteral("Email"), QString(), QString()},
                    {QStringLiteral("Phone"), QString(), QString()},
                    {QStringLiteral("Name"), QString(), QString()}});
    seen.clear();
    linker.loadTagLinks();
    EXPECT_EQ(seen, QStringList{"row 2"});
    EXPECT_EQ(tagLinks(), (QStringList{"", "", T2}));
    EXPECT_EQ(host.pointer(), Platform::Pointer::IBeam);
}

TEST_F(Linker, UnlinkDeletesTheSelectedTagsLinkWhateverTheRowShows)
{
    linkTo(T3, 0);
    linkTo(T1, 0);
    linkTo(T2, 1);
    // Row 1 stays current when a tag that no row shows is selected; its
    // own link stays.
    linker.rowClicked(1);
    selectTag(T3);
    EXPECT_EQ(linker.currentRow(), 1);
    linker.unlink();
    EXPECT_EQ(tagLinks(), (QStringList{T1, T2, ""}));
    EXPECT_EQ(stored(T3), QString());
    EXPECT_EQ(stored(T2), QStringLiteral("Email"));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));
}

TEST_F(Linker, TheRowsShowWhatTheStoreHoldsForTheOpenDocument)
{
    linkTo(T1, 0);
    linkTo(T2, 1);

    // Unlink of a tag that another row shows clears that row, not the
    // current one (a row without a link leaves the selected tag alone).
    linker.rowClicked(2);
    selectTag(T2);
    linker.rowClicked(2);
    EXPECT_EQ(linker.currentRow(), 2);
    EXPECT_EQ(linker.selectedTag(), T2);
    linker.unlink();
    EXPECT_EQ(tagLinks(), (QStringList{T1, "", ""}));
    EXPECT_EQ(storedTagLinks(), tagLinks());

    // A field's other link shows once the one shown is gone.
    linkTo(T3, 0);
    EXPECT_EQ(tagLinks(), (QStringList{T3, "", ""}));
    selectTag(T3);
    linker.unlink();
    EXPECT_EQ(tagLinks(), (QStringList{T1, "", ""}));
    // Linked again, a tag is the one its row shows after a reload too.
    linkTo(T3, 0);
    linkTo(T1, 0);
    EXPECT_EQ(storedTagLinks(), (QStringList{T1, "", ""}));

    // Another document: none of the first one's links stay in the rows, and
    // linking its tags asks about nothing.
    linker.setSource(QStringLiteral("other.htm"), Source);
    linker.loadTagLinks();
    EXPECT_EQ(tagLinks(), (QStringList{"", "", ""}));
    linkTo(T1, 1);
    EXPECT_EQ(tagLinks(), (QStringList{"", T1, ""}));
    EXPECT_EQ(stored(T1), QStringLiteral("Name"));
    EXPECT_EQ(stored(T1, QStringLiteral("other.htm")), QStringLiteral("Email"));
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(Linker, ATagIsOneLinkWhateverItsCase)
{
    const QString name = QStringLiteral("<!-- Name -->");
    const QString upper = QStringLiteral("<!-- NAME -->");
    const QString source = QStringLiteral("<p>") + name + upper + QStringLiteral("</p>");
    linker.setSource(Page, source);
    const auto select = [&](const QString& tag) {
        linker.sourceSelectionChanged({source.indexOf(tag), tag.size()});
    };
    linker.rowClicked(0);
    select(name);
    linker.link();

    // The other spelling shows the row of its link, and linking it to
    // another field asks first.
    select(upper);
    EXPECT_EQ(linker.currentRow(), 0);
    linker.rowClicked(1);
    host.expectBox(MsgAnswer::No,
                   QStringLiteral("The tag '<!-- NAME -->' is already linked to the 'Name' field"));
    linker.link();
    EXPECT_EQ(tagLinks(), (QStringList{name, "", ""}));
    EXPECT_EQ(storedLinks(Page).value(0).tag, name);

    // On Yes the link is the new spelling's, in the rows and in the store.
    host.expectBox(MsgAnswer::Yes, QStringLiteral("a new link to 'Email'"));
    linker.link();
    EXPECT_EQ(tagLinks(), (QStringList{"", upper, ""}));
    ASSERT_EQ(storedLinks(Page).size(), 1);
    EXPECT_EQ(storedLinks(Page)[0].tag, upper);
    EXPECT_EQ(storedLinks(Page)[0].field, QStringLiteral("Email"));

    // Unlinking either spelling clears the row.
    select(name);
    linker.unlink();
    EXPECT_EQ(tagLinks(), (QStringList{"", "", ""}));
    EXPECT_TRUE(storedLinks(Page).isEmpty());
}

TEST_F(Linker, AStoredLinkThatNoRowShowsAsksToo)
{
    // The store links the tag to a field that this folder's rows lack.
    for (const QString& storedAs : {T1, QStringLiteral("<!-- ONE -->")}) {
        Global::SaveRegistryData(linkSection(Page), storedAs, QStringLiteral("Fax"));
        linker.loadTagLinks();
        EXPECT_EQ(tagLinks(), (QStringList{"", "", ""}));
        host.expectBox(MsgAnswer::No, QStringLiteral("already linked to the 'Fax' field, and"));
        linkTo(T1, 2);
        EXPECT_EQ(stored(T1), QStringLiteral("Fax"));
        host.expectBox(MsgAnswer::Yes, QStringLiteral("new link to 'Phone'"));
        linker.link();
        EXPECT_EQ(stored(T1), QStringLiteral("Phone"));
        EXPECT_EQ(tagLinks(), (QStringList{"", "", T1}));
        removeLink(Page, T1);
        linker.loadTagLinks();
    }
}

TEST_F(Linker, ATagThatNoRowShowsLeavesTheRowAndFieldAlone)
{
    linkTo(T1, 0);
    linker.rowClicked(2);
    seen.clear();
    selectTag(T2);
    EXPECT_EQ(linker.currentRow(), 2);
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Phone"));
    EXPECT_EQ(seen, QStringList{"tag <!-- two -->"});

    // A tag that a row shows makes that row current and fills the field,
    // without moving the source selection.
    seen.clear();
    selectTag(T1);
    EXPECT_EQ(seen, (QStringList{"tag <!-- one -->", "current 0", "field Name"}));
}

TEST_F(Linker, ClickingARowSelectsItsTagWhereTheSourceHasIt)
{
    linkTo(T1, 0);
    linker.sourceSelectionChanged({0, 0});
    seen.clear();
    linker.rowClicked(0);
    EXPECT_EQ(seen, (QStringList{"tag <!-- one -->", "canLink on", "select 6 12"}));
    EXPECT_EQ(linker.sourceSelection(), (Selection{6, 12}));

    // Another document without the tag: the field is filled, the selection stays.
    linker.setSource(QStringLiteral("other.htm"), QStringLiteral("<p><!-- else --></p>"));
    linker.rowClicked(1);
    linker.rowClicked(0);
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Name"));
    EXPECT_EQ(linker.sourceSelection(), (Selection{0, 0}));
}

TEST_F(Linker, StepsThroughTheTagsAndBeepsAtTheEnds)
{
    linker.previousTag();
    EXPECT_EQ(host.beeps, 1);
    linker.nextTag();
    EXPECT_EQ(linker.sourceSelection(), (Selection{6, 12}));
    EXPECT_EQ(linker.selectedTag(), T1);
    linker.nextTag();
    linker.nextTag();
    EXPECT_EQ(linker.selectedTag(), QStringLiteral("<!-- three -->"));
    linker.nextTag();
    EXPECT_EQ(host.beeps, 2);
    seen.clear();
    linker.previousTag();
    EXPECT_EQ(seen, (QStringList{"tag <!-- two -->", "select 19 12"}));
}

TEST_F(Linker, DocumentsOfOneNameShareTheirLinks)
{
    const std::pair<const char*, const char*> keys[] = {
        {"index.htm", "INDEXHTM"},
        {"MY PAGE.HTM", "MYPAGEHTM"},
        {"my-page.htm", "MYPAGEHTM"},
        // "\" (possible in a name here) would part the key into branches
        {"a\\b.htm", "ABHTM"},
        {"-\\-.", ""},
    };
    for (const auto& [name, key] : keys)
        EXPECT_EQ(documentKey(QLatin1String(name)), QLatin1String(key)) << name;
    EXPECT_EQ(linkSection(Page), QStringLiteral("Tagmill\\MYPAGEHTM"));

    for (const char* name : {"index.htm", "a\\b.htm"}) {
        linker.setSource(QLatin1String(name), Source);
        linker.loadTagLinks();
        linkTo(T1, 1);
    }
    EXPECT_EQ(stored(T1, QStringLiteral("INDEX.HTM")), QStringLiteral("Email"));
    EXPECT_EQ(stored(T1), QString());
    EXPECT_EQ(
        Global::GetRegistryData(QStringLiteral("Tagmill"), QStringLiteral("BRANCHES")).toString(),
        Global::listingText({QStringLiteral("ABHTM"), QStringLiteral("INDEXHTM")}));
}

TEST_F(Linker, ADocumentWhoseNameGivesNoKeyIsToldAndNothingIsWritten)
{
    for (const QString& name : {QStringLiteral(".-'"), QStringLiteral("-\\-.")}) {
        linker.setSource(name, Source);
        for (int i = 0; i < 2; ++i)
            host.expectBox(MsgAnswer::Ok, QStringLiteral("The document '") + name +
                                              QStringLiteral("' cannot have links"));
        linkTo(T1, 0);
        linker.unlink();
        for (const char* listing : {"ALLSUBKEYS", "BRANCHES"})
            EXPECT_EQ(Global::GetRegistryData(QStringLiteral("Tagmill"), QLatin1String(listing))
                          .toString(),
                      QStringLiteral("000"));
    }
    ASSERT_EQ(host.boxes.size(), 4);
    EXPECT_EQ(host.boxes[0].icon, Platform::MsgIcon::Exclamation);
    EXPECT_EQ(host.boxes[0].title, QStringLiteral("Warning!"));
}

TEST_F(Linker, LongTagsAndAFieldCalledKillAreKept)
{
    const QString longTag = QStringLiteral("<!-- ") + QString(2000, u'x') + QStringLiteral(" -->");
    const QString source = QStringLiteral("<p>") + longTag + QStringLiteral("</p>");
    linker.setRows({{QStringLiteral("KILL"), QString(), QString()}});
    linker.setSource(Page, source);
    linker.rowClicked(0);
    linker.sourceSelectionChanged({3, longTag.size()});
    linker.link();
    EXPECT_EQ(stored(longTag), QStringLiteral("KILL"));
    linker.setRows({{QStringLiteral("KILL"), QString(), QString()}});
    linker.loadTagLinks();
    EXPECT_EQ(tagLinks(), QStringList{longTag});
}

// A new folder's rows take the current row and the selected field with them:
// Link is not left on with a field that the list no longer shows.
TEST_F(Linker, NewRowsTakeTheSelectedFieldAndLinkAway)
{
    linker.rowClicked(0);
    selectTag(T1);
    ASSERT_TRUE(linker.canLink());
    seen.clear();
    linker.setRows({{QStringLiteral("Name"), QString(), QString()}});
    EXPECT_EQ(seen, (QStringList{"current -1", "canLink off", "field "}));
    EXPECT_EQ(linker.selectedTag(), T1);
    linker.link();
    EXPECT_EQ(stored(T1), QString());

    // A click beside the rows leaves the field in its box, but no row: Link stays off.
    linker.rowClicked(0);
    EXPECT_TRUE(linker.canLink());
    linker.rowClicked(5);
    EXPECT_EQ(linker.selectedField(), QStringLiteral("Name"));
    EXPECT_FALSE(linker.canLink());
}

TEST_F(Linker, AClickInsideATagSelectsTheWholeTag)
{
    const struct
    {
        Selection clicked;
        std::optional<Selection> selected;
    } cases[] = {
        {{7, 0}, Selection{6, 12}},  // just after its "<"
        {{17, 0}, Selection{6, 12}}, // before its last ">"
        {{6, 0}, std::nullopt},      // before it
        {{18, 0}, std::nullopt},     // after it
        {{8, 3}, std::nullopt},      // a drag inside it selects what was dragged over
        {{2, 0}, std::nullopt},      // no tag there
    };
    for (const auto& c : cases) {
        linker.sourceSelectionChanged(c.clicked);
        linker.sourceClicked();
        EXPECT_EQ(linker.sourceSelection(), c.selected.value_or(c.clicked))
            << c.clicked.start << "+" << c.clicked.length;
        EXPECT_EQ(linker.selectedTag(), c.selected ? T1 : QString()) << c.clicked.start;
    }
}

TEST_F(Linker, ATagOverSeveralLinesShowsOnOneLineOfItsRow)
{
    const QString spread = QStringLiteral("<!--\r\n\tMessage\n  over lines\r-->");
    linker.setRows({{QStringLiteral("Message"), QStringLiteral("Hi"), spread}});
    EXPECT_EQ(linker.rowText(0), rowText({QStringLiteral("Message"), QStringLiteral("Hi"),
                                          QStringLiteral("<!--  Message   over lines -->")}));
    EXPECT_EQ(linker.rows()[0].tagLink, spread);
}

TEST(RowText, ShowsFieldSampleAndTagOnThreeLines)
{
    Testing::TestSettings settings;
    EXPECT_EQ(
        rowText({QStringLiteral("Name"), QStringLiteral("Ann |1"), QStringLiteral("<!-- N -->")}),
        QStringLiteral("Field:\x01t\x01"
                       "BName\x01"
                       "b\x01t\x01nSample:\x01tAnn |1\x01t\x01nTag link:\x01t\x01"
                       "1<!-- N -->"));
}

} // namespace
