// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's road to a link in few keys, offscreen on a demo
// workspace: Link matching tags, the menu bar, the tags pane, type-ahead in
// the field list, the window's least size. What matching decides is tested
// with the linking core; here the controls must carry it.
#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "TestSettings.h"
#include "app/frm_MatchTags.h"
#include "app/frm_Preview.h"
#include "app/frm_Tagmill.h"
#include "linking/TagLinks.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString Enquiry = QStringLiteral("Website Enquiry.htm");
const QString NameTag = QStringLiteral("<!-- Name -->");
const QString CompanyTag = QStringLiteral("<!-- Company -->");

class MatchingWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        made = Testing::openDemoWorkspace(settings.folder() + QStringLiteral("/ws"));
        window = std::make_unique<frm_Tagmill>();
        window->Form_Load();
        // Keys go to the active window: under a display server with no
        // window manager nothing makes it active by itself.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QStringList storedTags() const
    {
        QStringList tags;
        for (const Linking::StoredLink& link : Linking::storedLinks(Enquiry))
            tags << link.tag + QLatin1Char('=') + link.field;
        return tags;
    }
    frm_MatchTags* shownDialog() const
    {
        for (frm_MatchTags* dialog : window->findChildren<frm_MatchTags*>()) {
            if (dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    QTreeView* tagsPane() const { return qobject_cast<QTreeView*>(window->pnl_Tags); }
    QString paneText(int row, int column) const
    {
        const QAbstractItemModel* model = tagsPane()->model();
        return model->data(model->index(row, column)).toString();
    }

    Testing::TestSettings settings;
    Testing::ScriptedUiHost host;
    Demo::DemoSummary made;
    std::unique_ptr<frm_Tagmill> window;
};

} // namespace

TEST_F(MatchingWindow, CtrlMLinksThePagesTagsToTheirFieldsWithOneOk)
{
    ASSERT_EQ(window->txt_Document->text(), Enquiry);
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    frm_MatchTags* dialog = shownDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->list().rowCount(), 5); // the page's one-line tags of the form's fields
    EXPECT_EQ(dialog->list().tickedCount(), 5);
    EXPECT_EQ(dialog->list().pairs().value(1).tag, CompanyTag);

    // Taking a tick off keeps that tag out; OK links the rest at once.
    dialog->list().setTicked(1, false);
    QTest::mouseClick(dialog->but_Box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(storedTags(),
              (QStringList{"<!-- Name -->=Name", "<!-- Email -->=Email",
                           "<!-- Telephone -->=Telephone", "<!-- Postcode -->=Postcode"}));
    EXPECT_EQ(window->linker().rows()[Linking::rowOfField(window->linker().rows(), "Name")].tagLink,
              NameTag);
    EXPECT_EQ(window->linker().tagMarks().counts().linked, 4);

    // Again: only the tag left out is offered; Cancel links nothing.
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    dialog = shownDialog();
    ASSERT_TRUE(dialog);
    ASSERT_EQ(dialog->list().rowCount(), 1);
    EXPECT_EQ(dialog->list().pairs()[0].tag, CompanyTag);
    dialog->reject();
    EXPECT_EQ(storedTags().size(), 4);

    // With nothing to offer it says so.
    Linking::storeLink(Enquiry, CompanyTag, QStringLiteral("Company"));
    window->openDocument(window->documentPath());
    host.expectBox(Platform::MsgAnswer::Ok,
                   QStringLiteral("No tag of the page that is not linked has the name of a field"));
    EXPECT_FALSE(window->showMatchDialog());
    EXPECT_EQ(host.boxes.value(0).title, QStringLiteral("Note:"));
}

TEST_F(MatchingWindow, ATagSelectedSelectsTheFieldOfItsName)
{
    const qsizetype at = window->rtf_Source->toPlainText().indexOf(CompanyTag);
    QTextCursor cursor = window->rtf_Source->textCursor();
    cursor.setPosition(int(at));
    cursor.setPosition(int(at + CompanyTag.size()), QTextCursor::KeepAnchor);
    window->rtf_Source->setTextCursor(cursor);
    EXPECT_EQ(window->txt_Link[1]->text(), CompanyTag);
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Company"));
    EXPECT_EQ(window->list_Fields->currentRow(),
              Linking::rowOfField(window->linker().rows(), "Company"));
    EXPECT_TRUE(window->but_Link->isEnabled());
}

TEST_F(MatchingWindow, TheMenuBarHoldsEveryCommandWithItsKey)
{
    ASSERT_TRUE(window->mnu_Main);
    EXPECT_TRUE(window->mnu_Main->isVisible());
    QStringList menus;
    QList<QKeySequence> keys;
    for (QAction* menu : window->mnu_Main->actions()) {
        menus << menu->text();
        for (QAction* action : menu->menu()->actions()) {
            if (!action->isSeparator() && !action->shortcut().isEmpty())
                keys << action->shortcut();
        }
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Tags", "&View", "&Help"}));
    for (const QKeySequence& key :
         {QKeySequence(QKeySequence::Open), QKeySequence("Ctrl+Shift+O"), QKeySequence("Ctrl+P"),
          QKeySequence("Ctrl+Q"), QKeySequence("Shift+F3"), QKeySequence("F3"),
          QKeySequence("Ctrl+F3"), QKeySequence("Ctrl+L"), QKeySequence("Ctrl+U"),
          QKeySequence("Ctrl+M")})
        EXPECT_TRUE(keys.contains(key)) << key.toString().toStdString();

    // The menu shows the keys the window acts on, yet takes none of them
    // from the window: F3 still steps to the next tag.
    window->rtf_Source->setFocus();
    QTest::keyClick(window.get(), Qt::Key_F3);
    EXPECT_TRUE(window->txt_Link[1]->text().startsWith(QStringLiteral("<!--")));
    // A menu entry runs its command.
    auto* next = window->mnu_Main->findChild<QAction*>(QStringLiteral("menu_NTAG"));
    ASSERT_TRUE(next);
    const QString first = window->txt_Link[1]->text();
    next->trigger();
    EXPECT_NE(window->txt_Link[1]->text(), first);

    // The View menu hides and shows the tags pane.
    auto* pane = window->mnu_Main->findChild<QAction*>(QStringLiteral("menu_TagsPane"));
    ASSERT_TRUE(pane);
    pane->setChecked(true);
    pane->setChecked(false);
    EXPECT_FALSE(window->pnl_Tags->isVisible());
    pane->setChecked(true);
    EXPECT_TRUE(window->pnl_Tags->isVisible());
}

TEST_F(MatchingWindow, TheTagsPaneListsEveryTagAndAClickSelectsIt)
{
    Linking::storeLink(Enquiry, NameTag, QStringLiteral("Name"));
    window->openDocument(window->documentPath());
    QTreeView* pane = tagsPane();
    ASSERT_TRUE(pane);
    const QList<Linking::TagMark>& marks = window->linker().tagMarks().marks();
    ASSERT_EQ(pane->model()->rowCount(), marks.size());
    // Row 1 is the first field's tag, linked.
    EXPECT_EQ(paneText(1, 1), NameTag);
    EXPECT_EQ(paneText(1, 2), QStringLiteral("Name"));
    EXPECT_EQ(paneText(1, 0).toInt(), marks[1].line);
    EXPECT_NE(pane->model()->data(pane->model()->index(1, 1), Qt::BackgroundRole),
              pane->model()->data(pane->model()->index(2, 1), Qt::BackgroundRole));

    const QModelIndex company = pane->model()->index(2, 1);
    pane->scrollTo(company);
    QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, pane->visualRect(company).center());
    EXPECT_EQ(window->txt_Link[1]->text(), CompanyTag);
    EXPECT_EQ(window->rtf_Source->textCursor().selectedText(), CompanyTag);

    // A tag selected elsewhere becomes the pane's current row.
    window->mnu_Main->findChild<QAction*>(QStringLiteral("menu_LTAG"))->trigger();
    EXPECT_EQ(pane->currentIndex().row(), 1);
}

TEST_F(MatchingWindow, TypingInTheFieldListFindsAFieldByItsFirstLetters)
{
    QListWidget* list = window->list_Fields;
    list->setFocus();
    QTest::keyClicks(list, QStringLiteral("te"));
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Telephone"));
    EXPECT_EQ(list->currentRow(), Linking::rowOfField(window->linker().rows(), "Telephone"));
    // After a pause the search starts afresh.
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(list, QStringLiteral("comp"));
    EXPECT_EQ(window->txt_Link[0]->text(), QStringLiteral("Company"));
    // The same letter again steps on to the next field that begins with it.
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(list, QStringLiteral("c"));
    EXPECT_TRUE(window->txt_Link[0]->text().startsWith(u'C'));
    EXPECT_NE(window->txt_Link[0]->text(), QStringLiteral("Company"));
    // Letters that no field begins with leave the row and beep.
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    const QString before = window->txt_Link[0]->text();
    QTest::keyClicks(list, QStringLiteral("zq"));
    EXPECT_EQ(window->txt_Link[0]->text(), before);
    EXPECT_GE(host.beeps, 1);
}

TEST_F(MatchingWindow, ASmallWindowKeepsItsControlsApart)
{
    window->resize(480, 320);
    QTest::qWait(20);
    const QSize least = window->minimumSize();
    EXPECT_GT(least.width(), 480);
    EXPECT_EQ(window->size(), least.expandedTo(QSize(480, 320)));
    // The link boxes end before the options' captions start; the top row's
    // boxes keep apart and clear of the toolbar; the status bar is whole.
    for (int i = 0; i < 2; ++i)
        EXPECT_LT(window->txt_Link[size_t(i)]->geometry().right(),
                  window->opt_Link[size_t(i)]->x());
    EXPECT_GT(window->txt_Folder->width(), 50);
    EXPECT_GT(window->txt_Document->width(), 50);
    EXPECT_LT(window->txt_Folder->geometry().right(), window->txt_Document->x());
    EXPECT_GT(window->split_Main->height(), 100);
    EXPECT_GT(window->txt_Folder->y(), window->mnu_Main->geometry().bottom());
}

TEST_F(MatchingWindow, EscapeClosesThePreview)
{
    QPointer<frm_Preview> preview = window->showPreview();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));
    preview->activateWindow();
    for (int i = 0; i < 100 && QApplication::activeWindow() != preview; ++i)
        QTest::qWait(10);
    ASSERT_EQ(QApplication::activeWindow(), preview.data());
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_FALSE(preview && preview->isVisible());
}
