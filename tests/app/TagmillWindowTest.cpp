// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a demo workspace, offscreen: start-up, the toolbar, the
// link row, the two choosing steps and RemoteOp. What the link logic itself
// decides is tested with the linking core; here the controls must carry it.
#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "app/AppIcon.h"
#include "app/UnknownFormBar.h"
#include "app/frm_Preview.h"
#include "app/frm_Tagmill.h"
#include "converters/Converters.h"
#include "datafiles/EventFile.h"
#include "demo/Demo.h"
#include "finder/widgets/frm_Find.h"
#include "index/Build.h"
#include "index/Packing.h"
#include "linking/MailImportRun.h"
#include "linking/TagLinks.h"
#include "platform/File.h"
#include "platform/ProgramEnd.h"
#include "platform/RegistryHive.h"
#include "shared/Formatting.h"
#include "shared/Paths.h"
#include "shared/Settings.h"
#include "shared/Tweaks.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Platform::MsgAnswer;

const QString Enquiry = QStringLiteral("Website Enquiry.htm");
const QString EnquiryBranch = QStringLiteral("Tagmill\\WEBSITEENQUIRYHTM");
const QString FirstTag = QStringLiteral(
    "<!-- Reply page of the Website Enquiry form: each tag below takes one field -->");
const QString NameTag = QStringLiteral("<!-- Name -->");
const QString CompanyTag = QStringLiteral("<!-- Company -->");

class TagmillWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        made = Testing::openDemoWorkspace(settings.folder() + QStringLiteral("/ws"));
    }

    std::unique_ptr<frm_Tagmill> start()
    {
        auto window = std::make_unique<frm_Tagmill>();
        window->Form_Load();
        return window;
    }

    template <typename Condition>
    static void waitFor(Condition condition, int tries = 200)
    {
        for (int i = 0; i < tries && !condition(); ++i)
            QTest::qWait(10);
        EXPECT_TRUE(condition());
    }
    static QString setting(const QString& section, const QString& key)
    {
        return Global::GetRegistryData(section, key).toString();
    }
    static void store(const QString& section, const QString& key, const QString& value)
    {
        Global::SaveRegistryData(section, key, value);
    }
    QString templatePath(const QString& name) const
    {
        return made.folder + QStringLiteral("/Templates/") + name;
    }

    static void clickToolbar(frm_Tagmill& window, const char* key)
    {
        auto* action = window.tbr_Main->findChild<QAction*>(QLatin1String(key));
        ASSERT_TRUE(action);
        QTest::mouseClick(window.tbr_Main->widgetForAction(action), Qt::LeftButton);
    }
    static void clickRow(frm_Tagmill& window, int row)
    {
        QListWidget* list = window.list_Fields;
        ASSERT_TRUE(list->item(row));
        list->scrollToItem(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    static int rowOf(const frm_Tagmill& window, const QString& field)
    {
        return Linking::rowOfField(window.linker().rows(), field);
    }
    // A row's text without the line that counts its forms.
    static QString rowTextOf(const frm_Tagmill& window, const QString& field)
    {
        const QListWidgetItem* item = window.list_Fields->item(rowOf(window, field));
        if (!item)
            return QString();
        const QString forms = Linking::formsLine(0, 0);
        return item->text().left(item->text().indexOf(forms.left(forms.indexOf(u'0'))));
    }
    static QString shownRow(const QString& field, const QString& sample, const QString& tag)
    {
        return Linking::rowText({field, sample, tag});
    }
    static QString selectedSource(const frm_Tagmill& window)
    {
        return window.rtf_Source->textCursor().selectedText();
    }
    // Steps with the Next button until the tag is selected.
    static void stepTo(frm_Tagmill& window, const QString& tag)
    {
        for (int i = 0; i < 20 && window.txt_Link[1]->text() != tag; ++i)
            clickToolbar(window, "NTAG");
        ASSERT_EQ(window.txt_Link[1]->text(), tag);
    }
    static QString sampleOf(const frm_Tagmill& window, const QString& field)
    {
        return window.linker().rows().value(rowOf(window, field)).sample;
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    Demo::DemoSummary made;
};

} // namespace

TEST_F(TagmillWindow, StartUpReopensTheLastDocumentAndFolderWithTheirLinks)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    const auto window = start();

    EXPECT_EQ(window->windowTitle(), QString::fromUtf16(u"Website Enquiry.htm \u2014 Tagmill"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
    EXPECT_EQ(window->lbl_Prompt[2]->text(), QStringLiteral("Job folder:"));
    EXPECT_EQ(window->opt_Link[1]->text(),
              QStringLiteral("Replace first available instance of selected tag"));
    EXPECT_EQ(window->but_UnLink->text(), QStringLiteral("Unlink"));

    EXPECT_EQ(window->txt_Document->text(), Enquiry);
    EXPECT_EQ(window->documentPath(), templatePath(Enquiry));
    EXPECT_EQ(window->folderPath(), made.showcaseJob);
    EXPECT_EQ(window->txt_Folder->text(), Global::FormatFilename(made.showcaseJob, "M"));
    EXPECT_TRUE(window->rtf_Source->toPlainText().contains(NameTag));

    // Every row as the core holds it, the stored link in its row.
    const QList<Linking::FieldRow>& rows = window->linker().rows();
    ASSERT_GT(rows.size(), 6);
    ASSERT_EQ(window->list_Fields->count(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(window->list_Fields->item(i)->text(), window->linker().rowText(i));
    EXPECT_EQ(rows[rowOf(*window, QStringLiteral("Name"))].tagLink, NameTag);
    EXPECT_TRUE(window->list_Fields->isEnabled());
    EXPECT_TRUE(window->statbar_Status->currentMessage().startsWith(
        QStringLiteral("This folder contains 7 email(s) of which ")));
    EXPECT_FALSE(window->but_Link->isEnabled());
}

TEST_F(TagmillWindow, StartUpWithSettingsThatPointAtMissingPathsOpensEmpty)
{
    const QString missing = templatePath(QStringLiteral("gone.htm"));
    store(QStringLiteral("Tagmill"), QStringLiteral("LastDocument"), missing);
    ASSERT_TRUE(QDir(made.showcaseJob).removeRecursively());

    const auto window = start();
    EXPECT_TRUE(window->txt_Folder->text().isEmpty());
    EXPECT_TRUE(window->txt_Document->text().isEmpty());
    EXPECT_EQ(window->list_Fields->count(), 0);
    EXPECT_TRUE(window->rtf_Source->toPlainText().isEmpty());
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastDocument")), missing);
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")), made.showcaseJob);
}

// E-mails of forms that no definition names get a bar above the field list,
// whose "Define this form" stores the form and scans the folder again.
TEST_F(TagmillWindow, UnknownFormsAreDefinedFromTheBarAboveTheFields)
{
    const struct
    {
        const char* subject;
        const char* body;
    } mails[] = {{"Room Booking", "Item: Desk\r\nQty: 2"},
                 {"Customer Survey", "Score = 4"},
                 {"ROOM BOOKING", "Item: Chair"}};
    for (qsizetype i = 0; i < std::ssize(mails); ++i) {
        DataFiles::EventRecord mail;
        mail.Subject = QString::fromUtf8(mails[i].subject);
        mail.Body = Routines_Converters::RTFHeader() +
                    Routines_Converters::TXTtoRTF(QString::fromUtf8(mails[i].body)) +
                    Routines_Converters::RTFFooter();
        mail.EntryFlagA = -1;
        mail.EntryFlagB = -1;
        FileOperations::writeEventFile(made.showcaseJob + QStringLiteral("/zz%1.emi").arg(i), mail);
    }
    const auto window = start();
    EXPECT_TRUE(host.boxes.isEmpty());
    App::UnknownFormBar& bar = *window->bar_UnknownForm;
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.lbl_Note->text(),
              QStringLiteral("2 e-mails are of a form called 'Room Booking' that is not defined "
                             "(and 1 other form that is not defined either)"));
    EXPECT_EQ(bar.txt_FormName->text(), QStringLiteral("Room Booking"));
    EXPECT_EQ(bar.cbo_Delimiter->currentText(), QStringLiteral(": "));
    EXPECT_EQ(rowOf(*window, QStringLiteral("Item")), -1);

    QTest::mouseClick(bar.but_Define, Qt::LeftButton);
    EXPECT_EQ(sampleOf(*window, QStringLiteral("Item")), QStringLiteral("Desk"));
    EXPECT_EQ(sampleOf(*window, QStringLiteral("Qty")), QStringLiteral("2"));
    EXPECT_TRUE(window->statbar_Status->currentMessage().startsWith(
        QStringLiteral("This folder contains 10 email(s) of which ")));
    // The next unknown form takes the bar; a name the user clears defines nothing.
    EXPECT_EQ(bar.txt_FormName->text(), QStringLiteral("Customer Survey"));
    EXPECT_EQ(bar.cbo_Delimiter->currentText(), QStringLiteral(" ="));
    bar.txt_FormName->clear();
    EXPECT_FALSE(bar.but_Define->isEnabled());
    bar.txt_FormName->setText(QStringLiteral("Customer Survey"));
    QTest::mouseClick(bar.but_Define, Qt::LeftButton);
    EXPECT_EQ(sampleOf(*window, QStringLiteral("Score")), QStringLiteral("4"));
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(TagmillWindow, StartUpEndsBeforeShowingWhenARequiredPathIsMissing)
{
    store(QStringLiteral("Config\\Modes\\Demo"), QStringLiteral("IndexFolder"),
          QStringLiteral("KILL"));
    frm_Tagmill window;
    host.expectBox(MsgAnswer::Ok, QStringLiteral("'Index'"));
    EXPECT_THROW(window.Form_Load(), Platform::ProgramEnd);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TagmillWindow, ToolbarStepsThroughTheTagsAndFindsTheirRows)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    const auto window = start();

    // From the start of the document there is no tag before the caret.
    clickToolbar(*window, "LTAG");
    EXPECT_EQ(host.beeps, 1);

    clickToolbar(*window, "NTAG");
    EXPECT_EQ(window->txt_Link[1]->text(), FirstTag);
    EXPECT_EQ(selectedSource(*window), FirstTag);
    EXPECT_EQ(window->list_Fields->currentRow(), -1);

    // F3 is the Next button: a tag that a row shows makes that row current.
    QTest::keyClick(window.get(), Qt::Key_F3);
    EXPECT_EQ(window->txt_Link[1]->text(), NameTag);
    EXPECT_EQ(selectedSource(*window), NameTag);
    EXPECT_EQ(window->list_Fields->currentRow(), rowOf(*window, QStringLiteral("Name")));
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Name"));
    EXPECT_TRUE(window->but_Link->isEnabled());
    EXPECT_TRUE(window->opt_Link[0]->isEnabled());

    clickToolbar(*window, "LTAG");
    EXPECT_EQ(window->txt_Link[1]->text(), FirstTag);
    EXPECT_EQ(host.beeps, 1);

    // A selection made in the view by hand counts as well.
    QTextCursor cursor = window->rtf_Source->textCursor();
    cursor.setPosition(cursor.selectionStart() + 1);
    window->rtf_Source->setTextCursor(cursor);
    EXPECT_TRUE(window->txt_Link[1]->text().isEmpty());
    EXPECT_FALSE(window->but_Link->isEnabled());
}

// A step disables the window for its length; the keyboard focus comes back
// where it was, so the keys typed next go to the field list, not nowhere.
TEST_F(TagmillWindow, AStepKeepsTheFocusSoTheKeysAfterItLinkTheRowMovedTo)
{
    const auto window = start();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const int name = rowOf(*window, QStringLiteral("Name"));
    clickRow(*window, name);
    window->list_Fields->setFocus();
    // Keys go where the focus is, or to the window when nothing has it.
    const auto type = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key, modifiers);
    };
    // The next unlinked tag, the next tag, the previous tag.
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_F3, Qt::KeyboardModifiers(Qt::CTRL)},
                                         std::pair{Qt::Key_F3, Qt::KeyboardModifiers()},
                                         std::pair{Qt::Key_F3, Qt::KeyboardModifiers(Qt::SHIFT)}}) {
        type(key, modifiers);
        EXPECT_EQ(QApplication::focusWidget(), window->list_Fields) << int(modifiers);
    }
    ASSERT_EQ(window->txt_Link[1]->text(), FirstTag);
    type(Qt::Key_Down);
    const QString moved = window->linker().rows().value(name + 1).fieldName;
    EXPECT_EQ(window->txt_Link[0]->text(), moved);
    type(Qt::Key_L, Qt::ControlModifier);
    waitFor([&] { return !setting(EnquiryBranch, FirstTag).isEmpty(); });
    EXPECT_EQ(setting(EnquiryBranch, FirstTag), moved);
}

// A comment tag ends at its "-->" for the steps and clicks as for the marks:
// one that holds a ">" is stepped to and selected whole, and a click inside a
// marked tag selects it.
TEST_F(TagmillWindow, TagsHoldingABracketAreSteppedToAndClickedWhole)
{
    const auto window = start();
    QString bracketed;
    for (const Linking::TagMark& mark : window->linker().tagMarks().marks()) {
        const QString tag = window->linker().sourceText().sliced(mark.at.start, mark.at.length);
        if (tag.contains(u" > "))
            bracketed = tag;
    }
    ASSERT_FALSE(bracketed.isEmpty());
    stepTo(*window, bracketed);
    EXPECT_EQ(selectedSource(*window), bracketed);

    const int at = int(window->rtf_Source->toPlainText().indexOf(NameTag)) + 5;
    QTextCursor inside(window->rtf_Source->document());
    inside.setPosition(at);
    window->rtf_Source->setTextCursor(inside);
    window->rtf_Source->ensureCursorVisible();
    QTest::mouseClick(window->rtf_Source->viewport(), Qt::LeftButton, {},
                      window->rtf_Source->cursorRect(inside).center());
    EXPECT_EQ(window->txt_Link[1]->text(), NameTag);
    EXPECT_EQ(selectedSource(*window), NameTag);
    // Clicked again, inside the selection it now is, it stays selected.
    QTest::mouseClick(window->rtf_Source->viewport(), Qt::LeftButton, {},
                      window->rtf_Source->cursorRect(inside).center());
    EXPECT_EQ(selectedSource(*window), NameTag);
}

TEST_F(TagmillWindow, ARowClickSelectsItsTagInTheSource)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    const auto window = start();
    clickRow(*window, rowOf(*window, QStringLiteral("Name")));
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Name"));
    EXPECT_EQ(selectedSource(*window), NameTag);
    EXPECT_EQ(window->txt_Link[1]->text(), NameTag);

    // Clicking the current row again runs the click again.
    window->rtf_Source->moveCursor(QTextCursor::Start);
    clickRow(*window, rowOf(*window, QStringLiteral("Name")));
    EXPECT_EQ(selectedSource(*window), NameTag);
}

TEST_F(TagmillWindow, LinkAsksBeforeMovingATagToAnotherField)
{
    const auto window = start();
    stepTo(*window, CompanyTag);
    clickRow(*window, rowOf(*window, QStringLiteral("Company")));
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Company"));
    QTest::mouseClick(window->but_Link, Qt::LeftButton);
    EXPECT_EQ(setting(EnquiryBranch, CompanyTag), QStringLiteral("Company"));
    EXPECT_EQ(rowTextOf(*window, QStringLiteral("Company")),
              shownRow(QStringLiteral("Company"), sampleOf(*window, QStringLiteral("Company")),
                       CompanyTag));

    clickRow(*window, rowOf(*window, QStringLiteral("Email")));
    host.expectBox(MsgAnswer::No, QStringLiteral("already linked to the 'Company' field"));
    QTest::mouseClick(window->but_Link, Qt::LeftButton);
    EXPECT_EQ(setting(EnquiryBranch, CompanyTag), QStringLiteral("Company"));
    EXPECT_EQ(window->linker().rows()[rowOf(*window, QStringLiteral("Company"))].tagLink,
              CompanyTag);
    EXPECT_TRUE(window->linker().rows()[rowOf(*window, QStringLiteral("Email"))].tagLink.isEmpty());

    // Ctrl+L is the Link button, which clicks itself a moment later.
    host.expectBox(MsgAnswer::Yes, QStringLiteral("a new link to 'Email'"));
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    waitFor([&] { return host.boxes.size() == 2; });
    EXPECT_EQ(setting(EnquiryBranch, CompanyTag), QStringLiteral("Email"));
    EXPECT_EQ(rowTextOf(*window, QStringLiteral("Company")),
              shownRow(QStringLiteral("Company"), sampleOf(*window, QStringLiteral("Company")),
                       QString()));
    EXPECT_EQ(
        rowTextOf(*window, QStringLiteral("Email")),
        shownRow(QStringLiteral("Email"), sampleOf(*window, QStringLiteral("Email")), CompanyTag));
}

TEST_F(TagmillWindow, UnlinkForgetsTheSelectedTag)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    const auto window = start();
    stepTo(*window, NameTag);
    QTest::mouseClick(window->but_UnLink, Qt::LeftButton);
    EXPECT_TRUE(setting(EnquiryBranch, NameTag).isEmpty());
    EXPECT_TRUE(window->linker().rows()[rowOf(*window, QStringLiteral("Name"))].tagLink.isEmpty());
    EXPECT_EQ(
        rowTextOf(*window, QStringLiteral("Name")),
        shownRow(QStringLiteral("Name"), sampleOf(*window, QStringLiteral("Name")), QString()));
}

TEST_F(TagmillWindow, ALinkComesBackWhenTheDocumentIsOpenedAgain)
{
    {
        const auto window = start();
        const QString folderStatus = window->statbar_Status->currentMessage();
        stepTo(*window, CompanyTag);
        clickRow(*window, rowOf(*window, QStringLiteral("Company")));
        QTest::mouseClick(window->but_Link, Qt::LeftButton);

        // Another document: chosen through the open dialog, kept as the last.
        const QString brochure = templatePath(QStringLiteral("Brochure Request.htm"));
        host.nextOpenFile = brochure;
        QTest::mouseClick(window->txt_Document, Qt::LeftButton);
        EXPECT_EQ(window->txt_Document->text(), QStringLiteral("Brochure Request.htm"));
        // "Opening ..." goes when the document is in.
        EXPECT_EQ(window->statbar_Status->currentMessage(), folderStatus);
        EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastDocument")), brochure);
        EXPECT_EQ(
            setting(QStringLiteral("Tagmill\\BROCHUREREQUESTHTM"), QStringLiteral("SourceFile")),
            brochure);
        // Its rows show its own links, none: the first document's link goes.
        EXPECT_EQ(rowTextOf(*window, QStringLiteral("Company")),
                  shownRow(QStringLiteral("Company"), sampleOf(*window, QStringLiteral("Company")),
                           QString()));

        // And back with Ctrl+O.
        host.nextOpenFile = templatePath(Enquiry);
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(window->txt_Document->text(), Enquiry);
        EXPECT_EQ(rowTextOf(*window, QStringLiteral("Company")),
                  shownRow(QStringLiteral("Company"), sampleOf(*window, QStringLiteral("Company")),
                           CompanyTag));
    }
    const auto again = start();
    EXPECT_EQ(again->linker().rows()[rowOf(*again, QStringLiteral("Company"))].tagLink, CompanyTag);
}

// A file that is gone, and one that is no text (a picture): each is told,
// and the document open stays, as does the last document of the settings.
TEST_F(TagmillWindow, ADocumentThatCannotBeReadLeavesThePreviousOne)
{
    const auto window = start();
    const QList<Linking::FieldRow> rows = window->linker().rows();
    const QString picture = templatePath(QStringLiteral("logo.htm"));
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    file.close();
    const std::tuple<QString, MsgAnswer, QString> cases[] = {
        {templatePath(QStringLiteral("vanished.htm")), MsgAnswer::Cancel,
         QStringLiteral("vanished.htm")},
        {picture, MsgAnswer::Ok, QStringLiteral("logo.htm\" is not a text document")},
    };
    const QString status = window->statbar_Status->currentMessage();
    for (const auto& [path, answer, told] : cases) {
        host.nextOpenFile = path;
        host.expectBox(answer, told);
        QTest::mouseClick(window->txt_Document, Qt::LeftButton);
        EXPECT_EQ(window->txt_Document->text(), Enquiry);
        EXPECT_EQ(window->documentPath(), templatePath(Enquiry));
        EXPECT_TRUE(window->rtf_Source->toPlainText().contains(NameTag));
        EXPECT_EQ(window->linker().rows(), rows);
        EXPECT_EQ(window->statbar_Status->currentMessage(), status);
        EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastDocument")),
                  templatePath(Enquiry));
    }
}

TEST_F(TagmillWindow, LinksLoadOnceBothTheDocumentAndTheFolderAreChosen)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    store(QStringLiteral("Tagmill"), QStringLiteral("LastFolder"), QStringLiteral("KILL"));
    const auto window = start();
    EXPECT_EQ(window->txt_Document->text(), Enquiry);
    EXPECT_EQ(window->list_Fields->count(), 0);

    // The contact finder: the contact's surname typed, Enter lists the
    // ranked contacts, Enter again picks the top one as the job folder.
    ASSERT_TRUE(Indexing::RebuildIndexFile({}, {Indexing::NameIndex}));
    QTest::mouseClick(window->txt_Folder, Qt::LeftButton);
    auto* finder = window->findChild<frm_Find*>();
    ASSERT_NE(finder, nullptr);
    EXPECT_TRUE(finder->isVisible());
    const QString name = QFileInfo(made.showcaseJob).fileName().section(QLatin1Char(','), 0, 0);
    QTest::keyClicks(finder->txt_Clue, name);
    QTest::keyClick(finder->txt_Clue, Qt::Key_Return);
    ASSERT_GT(finder->flow().results().count(), 0) << name.toStdString();
    EXPECT_TRUE(finder->statbar_Status->currentMessage().startsWith(QStringLiteral("Found ")));
    QTest::keyClick(finder->txt_Clue, Qt::Key_Return);
    EXPECT_FALSE(finder->isVisible());
    EXPECT_EQ(window->folderPath(), made.showcaseJob);
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")), made.showcaseJob);
    EXPECT_EQ(window->linker().rows()[rowOf(*window, QStringLiteral("Name"))].tagLink, NameTag);

    // The same finder comes back with its results; Escape empties the list,
    // and again hides the finder without a pick.
    QTest::mouseClick(window->txt_Folder, Qt::LeftButton);
    EXPECT_EQ(window->findChild<frm_Find*>(), finder);
    EXPECT_GT(finder->flow().results().count(), 0);
    QTest::keyClick(finder->txt_Clue, Qt::Key_Escape);
    QTest::keyClick(finder->txt_Clue, Qt::Key_Escape);
    EXPECT_FALSE(finder->isVisible());
    EXPECT_EQ(window->folderPath(), made.showcaseJob);
}

TEST_F(TagmillWindow, RemoteOpTakesAPickAndSwitchesToolTips)
{
    const auto window = start();
    const auto toolTips = [&] {
        QStringList tips;
        for (const char* key : {"LTAG", "NTAG"})
            tips << window->tbr_Main->findChild<QAction*>(QLatin1String(key))->toolTip();
        return tips;
    };
    // The tips name the keys.
    const QStringList named{"Previous comment tag (Shift+F3)", "Next comment tag (F3)"};
    EXPECT_EQ(toolTips(), named);
    window->RemoteOp(1098, QStringLiteral("0"));
    EXPECT_EQ(toolTips(), (QStringList{"", ""}));
    window->RemoteOp(1098, -1);
    EXPECT_EQ(toolTips(), named);

    // A field and a tag of this folder: Link is on.
    stepTo(*window, CompanyTag);
    clickRow(*window, rowOf(*window, QStringLiteral("Company")));
    EXPECT_TRUE(window->but_Link->isEnabled());

    // A pick that leads nowhere (there is no filing folder to look in)
    // changes nothing; nor does an operation the window does not know.
    QString name;
    QString ref;
    Global::ResolveFolderName(made.showcaseJob, name, ref);
    const QString company = ref.section(QLatin1Char('-'), 0, 0);
    const int rows = window->list_Fields->count();
    const QString mode = QStringLiteral("Config\\Modes\\Demo");
    const QString filing = setting(mode, QStringLiteral("FilingFolder"));
    store(mode, QStringLiteral("FilingFolder"), made.folder + QStringLiteral("/Gone"));
    Global::GetDataFolder(QString(), true);
    window->RemoteOp(2261, company);
    window->RemoteOp(7, company);
    EXPECT_EQ(window->folderPath(), made.showcaseJob);
    EXPECT_EQ(window->list_Fields->count(), rows);
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")), made.showcaseJob);

    // The job's company has no e-mails: its pick shows the one note row, and
    // the list stays off so that the note cannot be taken for a field. The
    // status counts its e-mails, none, and the previous folder's field goes
    // with Link.
    store(mode, QStringLiteral("FilingFolder"), filing);
    Global::GetDataFolder(QString(), true);
    window->RemoteOp(2261, company);
    EXPECT_TRUE(window->folderPath().endsWith(QStringLiteral(" [") + company + QLatin1Char(']')));
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("LastFolder")),
              window->folderPath());
    ASSERT_EQ(window->list_Fields->count(), 1);
    EXPECT_EQ(window->list_Fields->item(0)->text(), QStringLiteral("No form submissions found."));
    EXPECT_FALSE(window->list_Fields->isEnabled());
    EXPECT_TRUE(window->linker().rows().isEmpty());
    EXPECT_EQ(window->statbar_Status->currentMessage(),
              QStringLiteral("This folder contains 0 email(s) of which 0 are form submissions."));
    EXPECT_TRUE(window->txt_Link[0]->text().isEmpty());
    EXPECT_FALSE(window->but_Link->isEnabled());
}

TEST_F(TagmillWindow, ToolbarTakesItsPointerAndToolTipSwitchFromTheSettings)
{
    // Standard pointer 5 is the four-way size pointer; "CUR_21" our own image
    // of a pointing hand.
    const std::tuple<const char*, const char*, Qt::CursorShape> cases[] = {
        {"5", "0", Qt::SizeAllCursor},
        {"21", "-1", Qt::BitmapCursor},
    };
    for (const auto& [pointer, tips, shape] : cases) {
        store(QStringLiteral("Tweaks"), QStringLiteral("TaskBarCursor"), QLatin1String(pointer));
        store(QStringLiteral("Preferences"), QStringLiteral("ToolTips"), QLatin1String(tips));
        Global::GetTweak(-1);
        const auto window = start();
        EXPECT_EQ(window->tbr_Main->cursor().shape(), shape) << pointer;
        if (shape == Qt::BitmapCursor) {
            EXPECT_EQ(window->tbr_Main->cursor().hotSpot(), QPoint(13, 2)); // the fingertip
        }
        EXPECT_EQ(
            window->tbr_Main->findChild<QAction*>(QStringLiteral("NTAG"))->toolTip().isEmpty(),
            QLatin1String(tips) == QLatin1String("0"));
    }
}

TEST_F(TagmillWindow, LayoutFollowsTheWindowAndItsSizeIsRemembered)
{
    {
        const auto window = start();
        window->resize(1000, 700);
        EXPECT_EQ(window->split_Main->width(), 1000 - 2 * window->split_Main->x());
        EXPECT_EQ(window->pnl_Link->y(), window->split_Main->geometry().bottom() + 1 + 5);
        EXPECT_EQ(window->statbar_Status->geometry().bottom(), 699);
        EXPECT_EQ(window->txt_Link[0]->width(), window->txt_Link[1]->width());
        window->split_Main->setSizes({250, 700});
        window->close();
    }
    EXPECT_EQ(setting(QStringLiteral("Tagmill"), QStringLiteral("WindowWidth")),
              QStringLiteral("1000"));
    const auto window = start();
    EXPECT_EQ(window->size(), QSize(1000, 700));
    EXPECT_EQ(window->split_Main->sizes().value(0), 250);
}

TEST_F(TagmillWindow, OddDocumentsOpenAndALongTagLinks)
{
    const auto window = start();
    const QString longTag =
        QStringLiteral("<!-- ") + QString(1990, QLatin1Char('x')) + QStringLiteral(" -->");
    QByteArray binary;
    for (int i = 1; i < 256; ++i)
        binary += char(i);
    const std::pair<const char*, QByteArray> documents[] = {
        {"empty.htm", QByteArray()},
        // One line without a line end: laid out as it goes into the view.
        {"one line.htm", "<!-- a -->"},
        {"controls.htm", binary}, // control characters: every one still shows
        {"plain.htm", "<html><body>No comments here.</body></html>\r\n"},
        {"long.htm", ("<p>" + longTag + "</p>\n").toUtf8()},
    };
    for (const auto& [name, bytes] : documents) {
        const QString path = templatePath(QLatin1String(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        host.nextOpenFile = path;
        QTest::mouseClick(window->txt_Document, Qt::LeftButton);
        EXPECT_EQ(window->txt_Document->text(), QLatin1String(name));
        // One view character for each character, and for each line end.
        const QString& text = window->linker().sourceText();
        EXPECT_EQ(window->rtf_Source->document()->characterCount() - 1,
                  text.size() - text.count(QLatin1String("\r\n")))
            << name;
    }

    // The last one holds one tag of 2,000 characters: it links like any other.
    clickToolbar(*window, "NTAG");
    ASSERT_EQ(window->txt_Link[1]->text(), longTag);
    clickRow(*window, rowOf(*window, QStringLiteral("Company")));
    QTest::mouseClick(window->but_Link, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("Tagmill\\LONGHTM"), longTag), QStringLiteral("Company"));
    EXPECT_TRUE(rowTextOf(*window, QStringLiteral("Company")).endsWith(longTag));
    window->list_Fields->grab(); // the row draws

    // A tag over several lines keeps the document's own line ends, whatever
    // the lines around it end with.
    const QString spanning = QStringLiteral("<!--\r\n  Message\r\n-->");
    const QString lines = templatePath(QStringLiteral("lines.htm"));
    QFile linesFile(lines);
    ASSERT_TRUE(linesFile.open(QIODevice::WriteOnly));
    linesFile.write(
        (QStringLiteral("<p>\n<br>\r") + spanning + QStringLiteral("\r</p>\n")).toUtf8());
    linesFile.close();
    host.nextOpenFile = lines;
    QTest::mouseClick(window->txt_Document, Qt::LeftButton);
    clickToolbar(*window, "NTAG");
    ASSERT_EQ(window->txt_Link[1]->text(), spanning);
    EXPECT_EQ(selectedSource(*window).count(QChar::ParagraphSeparator), 2);
    clickRow(*window, rowOf(*window, QStringLiteral("Message")));
    QTest::mouseClick(window->but_Link, Qt::LeftButton);
    EXPECT_EQ(setting(QStringLiteral("Tagmill\\LINESHTM"), spanning), QStringLiteral("Message"));
    // Its row shows it on one line.
    EXPECT_EQ(rowTextOf(*window, QStringLiteral("Message")),
              shownRow(QStringLiteral("Message"), sampleOf(*window, QStringLiteral("Message")),
                       QStringLiteral("<!--   Message -->")));

    // Without a tag before or after the caret, the buttons only beep.
    host.nextOpenFile = templatePath(QStringLiteral("plain.htm"));
    QTest::mouseClick(window->txt_Document, Qt::LeftButton);
    const int beeps = host.beeps;
    clickToolbar(*window, "NTAG");
    clickToolbar(*window, "LTAG");
    EXPECT_EQ(host.beeps, beeps + 2);
}

// The tags are marked by state over the source without touching its text,
// the status bar counts them, Ctrl+F3 steps to a tag that is not linked, a
// link re-marks its tag, and the preview shows the page filled from the
// newest form e-mail.
TEST_F(TagmillWindow, TagsAreMarkedByStateAndThePreviewFillsThePage)
{
    store(EnquiryBranch, NameTag, QStringLiteral("Name"));
    store(EnquiryBranch, CompanyTag, QStringLiteral("No such field"));
    const auto window = start();
    const QString source = window->rtf_Source->toPlainText();

    // The tags in sight carry their marks.
    EXPECT_FALSE(window->rtf_Source->extraSelections().isEmpty());
    EXPECT_LE(window->rtf_Source->extraSelections().size(),
              window->linker().tagMarks().marks().size());
    const auto colourOfTag = [&](const QString& tag) {
        for (const QTextEdit::ExtraSelection& selection : window->rtf_Source->extraSelections()) {
            if (selection.cursor.selectedText() == tag)
                return selection.format.background().color();
        }
        return QColor();
    };
    EXPECT_EQ(colourOfTag(NameTag), App::TagMarkSelections::colourOf(Linking::TagState::Linked));
    EXPECT_EQ(colourOfTag(CompanyTag),
              App::TagMarkSelections::colourOf(Linking::TagState::MissingField));
    EXPECT_EQ(window->rtf_Source->toPlainText(), source);
    EXPECT_TRUE(window->lbl_TagCounts->text().contains(u"1 linked to a missing field"))
        << window->lbl_TagCounts->text().toStdString();

    // The first tag is not linked; after it, the next one that is not.
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(selectedSource(*window), FirstTag);
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);
    const QString next = selectedSource(*window);
    EXPECT_TRUE(next.startsWith(u"<!--") && next != NameTag && next != CompanyTag)
        << next.toStdString();
    EXPECT_EQ(window->linker().selectedTag(), next);
    clickRow(*window, rowOf(*window, QStringLiteral("Email")));
    window->but_Link->click();
    EXPECT_EQ(colourOfTag(next), App::TagMarkSelections::colourOf(Linking::TagState::Linked));

    frm_Preview* preview = window->showPreview();
    ASSERT_NE(preview, nullptr);
    // The page is read on a worker thread and shown when it is ready.
    waitFor([&] { return preview->pageShown(); });
    EXPECT_EQ(preview->cbo_Mail->count(), window->linker().scan().mails.size());
    const Linking::FilledDocument& filled = preview->preview().filled();
    ASSERT_FALSE(filled.filled.isEmpty());
    EXPECT_TRUE(preview->txt_Page->toPlainText().contains(filled.filled[0].value));
    EXPECT_FALSE(preview->txt_Source->toPlainText().contains(NameTag));
    // A tag left in the page is shown, not hidden as a comment.
    EXPECT_TRUE(preview->txt_Page->toPlainText().contains(CompanyTag));

    // Of pages chosen one after another, the last one read shows; a window
    // closed while its page is read goes quietly.
    ASSERT_GE(preview->cbo_Mail->count(), 3);
    preview->cbo_Mail->setCurrentIndex(1);
    preview->cbo_Mail->setCurrentIndex(2);
    waitFor([&] { return preview->pageShown(); });
    EXPECT_EQ(preview->preview().current(), 2);
    EXPECT_EQ(preview->txt_Page->toHtml().contains(u"Reading"), false);
    preview->cbo_Mail->setCurrentIndex(0);
    QPointer<frm_Preview> gone(preview);
    preview->close();
    waitFor([&] { return gone.isNull(); });
    QTest::qWait(200);
}

// The preview finds the page's pictures and style sheets beside it, as the
// open dialog starts in the page's folder; Ctrl+S saves the filled page,
// offered beside the document under a name of its own.
TEST_F(TagmillWindow, ThePreviewReadsWhatIsBesideThePageAndSavesTheFilledPage)
{
    store(QStringLiteral("Tagmill\\PICTURESHTM"), NameTag, QStringLiteral("Name"));
    QImage logo(12, 8, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(templatePath(QStringLiteral("logo.png"))));
    const std::pair<QString, QByteArray> files[] = {
        {QStringLiteral("page.css"), "p.hello { color: #0000ff }\r\n"},
        {QStringLiteral("pictures.htm"),
         "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"page.css\"></head>\r\n"
         "<body><p class=\"hello\">Hello <!-- Name --></p><img src=\"logo.png\"></body></html>"},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(templatePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const auto window = start();
    window->openDocument(templatePath(QStringLiteral("pictures.htm")));

    host.fileRequests.clear();
    QTest::mouseClick(window->txt_Document, Qt::LeftButton); // cancelled
    ASSERT_EQ(host.fileRequests.size(), 1);
    EXPECT_EQ(host.fileRequests[0].folder, made.folder + QStringLiteral("/Templates"));

    frm_Preview* preview = window->showPreview();
    ASSERT_NE(preview, nullptr);
    waitFor([&] { return preview->pageShown(); });
    QTextDocument* page = preview->txt_Page->document();
    const QVariant picture = page->resource(QTextDocument::ImageResource, QUrl("logo.png"));
    EXPECT_EQ(picture.value<QPixmap>().size(), logo.size());
    const QTextCursor hello = page->find(QStringLiteral("Hello"));
    ASSERT_FALSE(hello.isNull());
    EXPECT_EQ(hello.charFormat().foreground().color(), QColor(0, 0, 255));

    const QString saved = templatePath(QStringLiteral("pictures (filled).htm"));
    host.fileRequests.clear();
    host.nextSaveFile = saved;
    QTest::keyClick(preview, Qt::Key_S, Qt::ControlModifier);
    waitFor([&] { return QFile::exists(saved); });
    ASSERT_EQ(host.fileRequests.size(), 1);
    EXPECT_EQ(host.fileRequests[0].fileName, QStringLiteral("pictures (filled).htm"));
    EXPECT_EQ(host.fileRequests[0].folder, made.folder + QStringLiteral("/Templates"));
    QFile written(saved);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), preview->preview().filled().bytes);
    EXPECT_FALSE(preview->preview().filled().bytes.contains("<!-- Name -->"));

    // Fill all saves a page from each form e-mail in the mode's Mail-Merged
    // folder and says so.
    Global::GetDataFolder(QString(), true);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("not filled"));
    preview->but_FillAll->click();
    const QDir merged(made.folder + QStringLiteral("/Mail-Merged"));
    EXPECT_EQ(merged.entryList({QStringLiteral("* (pictures).htm")}, QDir::Files).size(),
              preview->preview().mails().size());
    preview->close();
}

// The icon is compiled in: every size drawn, from a title bar's to a menu's largest.
TEST(TagmillIcon, HoldsEverySizeDrawn)
{
    const QIcon icon = tagmillIcon();
    QList<int> sizes;
    for (const QSize& size : icon.availableSizes()) {
        EXPECT_EQ(size.width(), size.height());
        sizes << size.width();
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (QList<int>{16, 22, 24, 32, 48, 64, 128, 256}));
    EXPECT_GT(icon.pixmap(16).toImage().pixelColor(8, 8).alpha(), 0); // drawn, not empty
}

// A long page shows its beginning first and then the whole of it.
TEST_F(TagmillWindow, ALongPagesPreviewShowsItsBeginningThenTheWhole)
{
    store(QStringLiteral("Tagmill\\LONGHTM"), NameTag, QStringLiteral("Name"));
    QByteArray page = "<html><body>\r\n";
    for (int row = 0; row < 4000; ++row)
        page += "<p>Row " + QByteArray::number(row) + ": <!-- Name --></p>\r\n";
    page += "<p>The end.</p></body></html>\r\n";
    const QString path = templatePath(QStringLiteral("long.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(page);
    file.close();
    const auto window = start();
    window->openDocument(path);

    frm_Preview* preview = window->showPreview();
    ASSERT_NE(preview, nullptr);
    QStringList shown;
    QObject::connect(preview, &frm_Preview::pageBegun, preview,
                     [&] { shown << preview->txt_Page->toPlainText(); });
    waitFor([&] { return preview->pageShown(); });
    ASSERT_EQ(shown.size(), 2);
    EXPECT_FALSE(shown[0].contains(u"The end.")); // the beginning
    EXPECT_TRUE(shown[1].contains(u"The end."));
    EXPECT_TRUE(shown[1].contains(u"Row 3999: Henry Williamson"))
        << shown[1].right(80).toStdString();
    preview->close();
}

// Import e-mails... and e-mails dropped on the window go into the job folder
// (through the import run the linking tests check), and the folder is
// scanned again; with no job folder there is nothing to import into.
TEST_F(TagmillWindow, EmailsImportFromTheMenuOrADropAndTheFolderIsScannedAgain)
{
    const QString mail = settings.folder() + QStringLiteral("/mail");
    ASSERT_TRUE(QDir().mkpath(mail + QStringLiteral("/Maildir/new")));
    const auto write = [](const QString& path, const char* budget) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Subject: Website Enquiry\nMessage-ID: <") + budget +
                   "@example.org>\n\nName = Ann Other\nFavourite Tree = " + budget + "\n");
    };
    const QString saved = mail + QStringLiteral("/saved.eml");
    write(saved, "250");
    write(mail + QStringLiteral("/Maildir/new/1.host"), "300");
    const QString page = templatePath(Enquiry);

    store(QStringLiteral("Tagmill"), QStringLiteral("LastFolder"), QString());
    const auto window = start();
    auto* import = window->findChild<QAction*>(QStringLiteral("menu_ImportMails"));
    ASSERT_TRUE(import);
    host.expectBox(MsgAnswer::Ok, QStringLiteral("Choose a job folder first"));
    import->trigger();
    EXPECT_TRUE(host.fileRequests.isEmpty());

    window->setJobFolder(made.showcaseJob);
    host.nextOpenFiles = {saved};
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 imported\r\n0 there already\r\n0 refused"));
    import->trigger();
    ASSERT_EQ(host.fileRequests.size(), 1);
    EXPECT_TRUE(host.fileRequests[0].folderMarks.contains(QStringLiteral("cur")));
    waitFor([&] { return !window->isBusy(); });
    EXPECT_EQ(sampleOf(*window, QStringLiteral("Favourite Tree")), QStringLiteral("250"));
    EXPECT_TRUE(window->statbar_Status->currentMessage().startsWith(
        QStringLiteral("This folder contains 8 email(s)")));
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);

    // A drag of what is not mail is not taken; a Maildir is.
    const auto drag = [&](const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        if (enter.isAccepted()) {
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window.get(), &drop);
        }
        return enter.isAccepted();
    };
    EXPECT_FALSE(drag(page));
    host.expectBox(MsgAnswer::Ok, QStringLiteral("1 imported"));
    EXPECT_TRUE(drag(mail + QStringLiteral("/Maildir")));
    waitFor([&] { return host.boxes.size() == 3 && !window->isBusy(); });
    EXPECT_TRUE(window->statbar_Status->currentMessage().startsWith(
        QStringLiteral("This folder contains 9 email(s)")));
}

// A long import shows its progress while the window stays live, and its
// Stop ends it between messages: what was filed stays, and the summary
// says that it was stopped.
// An mbox of 1,200 form e-mails that take a while each to file, so that an
// import of it is long: more than two of the importer's batches, so that a
// stop comes while some are filed and others are not.
class LongImport : public TagmillWindow
{
protected:
    void SetUp() override
    {
        TagmillWindow::SetUp();
        QByteArray mbox;
        for (int i = 0; i < Messages; ++i)
            mbox += QStringLiteral("From web Tue Dec  1 09:30:00 2026\nSubject: Website Enquiry\n"
                                   "Message-ID: <%1@example.org>\n\nName = Sender %1\n\n")
                        .arg(i)
                        .toUtf8();
        QFile file(box);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(mbox);
        const QString job = made.showcaseJob;
        Platform::File::setFaultHook([job](const QString& path, Platform::File::Operation) {
            if (path.startsWith(job))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return 0;
        });
    }
    void TearDown() override { Platform::File::setFaultHook({}); }

    qsizetype eventFiles() const
    {
        return QDir(made.showcaseJob).entryList({QStringLiteral("*.emi")}).size();
    }

    static constexpr int Messages = 1200;
    const QString box = settings.folder() + QStringLiteral("/Inbox");
};

TEST_F(LongImport, ShowsProgressAndStops)
{
    const auto window = start();
    const qsizetype before = eventFiles();
    ASSERT_TRUE(window->importMailSources({box}));
    EXPECT_TRUE(window->isBusy());
    EXPECT_EQ(host.pointer(), Platform::Pointer::ArrowHourglass);
    QProgressDialog* progress = nullptr;
    waitFor([&] {
        progress = window->findChild<QProgressDialog*>(QStringLiteral("dlg_ImportProgress"));
        return progress && progress->isVisible() && window->mailImport().messagesRead() > 0;
    });
    ASSERT_TRUE(progress);
    EXPECT_TRUE(
        progress->labelText().contains(QStringLiteral("read so far, now from\r\n\"Inbox\"")));
    EXPECT_TRUE(progress->isModal());

    host.expectBox(MsgAnswer::Ok, QStringLiteral("The import was stopped"));
    auto* stop = progress->findChild<QPushButton*>();
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->text(), QStringLiteral("&Stop"));
    QTest::mouseClick(stop, Qt::LeftButton);
    // The batch being written is finished first.
    waitFor([&] { return !window->isBusy(); }, 2000);
    const int imported = window->mailImport().summary().imported;
    EXPECT_GT(imported, 0);
    EXPECT_LT(imported, Messages);
    EXPECT_EQ(eventFiles(), before + imported);
    EXPECT_EQ(host.pointer(), Platform::Pointer::Default);
    EXPECT_FALSE(window->findChild<QProgressDialog*>());
}

// Closing the window stops the import; the window closes once it has
// stopped, with no summary.
TEST_F(LongImport, ClosingTheWindowStopsItFirst)
{
    const auto window = start();
    ASSERT_TRUE(window->importMailSources({box}));
    waitFor([&] { return window->mailImport().messagesRead() > 0; });
    window->close();
    EXPECT_TRUE(window->isVisible());
    waitFor([&] { return !window->isVisible(); }, 2000);
    EXPECT_TRUE(window->mailImport().wasStopped());
    EXPECT_LT(window->mailImport().summary().imported, Messages);
    EXPECT_TRUE(host.boxes.isEmpty());
}
