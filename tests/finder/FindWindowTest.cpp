// SPDX-License-Identifier: GPL-3.0-or-later
#include "DemoWorkspace.h"
#include "ScriptedUiHost.h"
#include "finder/widgets/NewContactWidget.h"
#include "finder/widgets/frm_Find.h"
#include "shared/Settings.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The finder window over a demo workspace, as the main window opens it. Runs
// offscreen under CTest; run it under a real X display too (xvfb-run -a with
// QT_QPA_PLATFORM=xcb), where a window manager may size the window itself.
namespace {

class FindWindowTest : public testing::Test
{
protected:
    void open()
    {
        finder = std::make_unique<frm_Find>();
        finder->setAttribute(Qt::WA_DeleteOnClose, false);
        finder->remote().RemoteOp(Finding::FinderRemote::Prepare, QStringLiteral("NOCF"),
                                  QString());
        finder->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(finder.get()));
    }
    void TearDown() override { finder.reset(); }

    // The toolbar buttons that stand in the extension ("»") menu.
    QStringList hiddenButtons() const
    {
        QStringList hidden;
        for (QAction* action : finder->tbr_Main->actions()) {
            const QWidget* button = finder->tbr_Main->widgetForAction(action);
            if (!action->isSeparator() && !(button && button->isVisible()))
                hidden << action->objectName();
        }
        return hidden;
    }
    // A real display answers a resize in its own time.
    static bool settled(const std::function<bool()>& done) { return QTest::qWaitFor(done, 2000); }
    // True when the widget stands inside the window whole.
    bool inside(const QWidget* widget) const
    {
        const QRect at(widget->mapTo(finder.get(), QPoint(0, 0)), widget->size());
        return finder->rect().contains(at);
    }

    Testing::ScriptedUiHost host;
    Testing::DemoWorkspace workspace{4};
    std::unique_ptr<frm_Find> finder;
};

} // namespace

// The stored sizes were made for smaller fonts: the window opens no smaller
// than its toolbar and its field row need, and cannot be made smaller.
TEST_F(FindWindowTest, TheFinderOpensWithItsWholeToolbarAndFieldRow)
{
    open();
    EXPECT_TRUE(settled([&] { return hiddenButtons().isEmpty(); }))
        << hiddenButtons().join(u' ').toStdString();
    const auto* extension =
        finder->tbr_Main->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_FALSE(extension && extension->isVisible());
    EXPECT_GE(finder->width(), finder->tbr_Main->sizeHint().width());
    EXPECT_GE(finder->width(), 6200 / 15);

    finder->resize(480, 320);
    EXPECT_TRUE(settled([&] {
        return finder->size() == finder->size().expandedTo(finder->minimumSize()) &&
               hiddenButtons().isEmpty();
    }));
    // The field buttons stand right of their prompt and inside the clue panel.
    const QToolBar* fields = finder->tbr_Fields;
    const QRect lastButton = fields->actionGeometry(fields->actions().constLast());
    EXPECT_LE(fields->x() + lastButton.right(), finder->pnl_Clue->width());
    EXPECT_LE(finder->lbl_FieldsPrompt->geometry().right(), fields->x());
    EXPECT_TRUE(inside(finder->but_Start));
}

// Its heading and its buttons inside the window, however small the stored
// size.
TEST_F(FindWindowTest, TheNewContactPanelOpensWhole)
{
    Global::SaveRegistryData(QStringLiteral("Config"), QStringLiteral("FindWidth"),
                             QStringLiteral("6200"));
    Global::SaveRegistryData(QStringLiteral("Config"), QStringLiteral("FindHeight"),
                             QStringLiteral("4500"));
    open();
    finder->mainButtons.value(QStringLiteral("NEW"))->trigger();
    NewContactWidget* panel = finder->pnl_NewContact;
    ASSERT_TRUE(panel->isVisible());
    for (QWidget* part : std::initializer_list<QWidget*>{
             panel->lbl_NewContactTitle, panel->but_CreateNew, panel->but_CreateCancel}) {
        SCOPED_TRACE(part->objectName().toStdString());
        EXPECT_TRUE(settled([&] { return inside(part); }));
        EXPECT_TRUE(part->isVisible());
    }
    EXPECT_GE(panel->width(), panel->sizeHint().width());
    EXPECT_GE(panel->height(), panel->sizeHint().height());
}

// The toolbar's captions are its tool tips only while tool tips are on: a
// button never shows its caption as a tip of its own.
TEST_F(FindWindowTest, ToolTipsFollowThePreference)
{
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        Global::SaveRegistryData(QStringLiteral("Preferences"), QStringLiteral("ToolTips"),
                                 on ? QStringLiteral("-1") : QStringLiteral("0"));
        open();
        QAction* simple = finder->mainButtons.value(QStringLiteral("SIMPLE"));
        const QWidget* button = finder->tbr_Main->widgetForAction(simple);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->toolTip(), on ? QStringLiteral("Simple search") : QString());
        EXPECT_EQ(simple->toolTip(), on ? QStringLiteral("Simple search") : QString());
        EXPECT_EQ(button->accessibleName(), QStringLiteral("Simple search"));
        finder.reset();
    }
}

// A field-button click and a page change with a clue in the box both turn
// Start on again; BROWSE greys the field row and Start with the clue row.
TEST_F(FindWindowTest, StartAndTheFieldRowFollowThePage)
{
    open();
    QTest::keyClicks(finder->txt_Clue, QStringLiteral("Smi"));
    ASSERT_TRUE(finder->but_Start->isEnabled());
    QTest::mouseClick(finder->but_Start, Qt::LeftButton);
    ASSERT_FALSE(finder->but_Start->isEnabled());
    finder->tbr_Fields->actions().value(1)->trigger();
    EXPECT_TRUE(finder->but_Start->isEnabled());

    finder->mainButtons.value(QStringLiteral("BROWSE"))->trigger();
    EXPECT_FALSE(finder->tbr_Fields->isEnabled());
    EXPECT_FALSE(finder->but_Start->isEnabled());
    EXPECT_TRUE(finder->statbar_Status->currentMessage().isEmpty());
    finder->mainButtons.value(QStringLiteral("SIMPLE"))->trigger();
    EXPECT_TRUE(finder->tbr_Fields->isEnabled());
    EXPECT_TRUE(finder->but_Start->isEnabled());
}

// RemoteOp 1091 with a start page presses that page's button.
TEST_F(FindWindowTest, APreparedStartPagePressesItsButton)
{
    open();
    finder->remote().RemoteOp(Finding::FinderRemote::Prepare, QStringLiteral("NOCFU"),
                              QStringLiteral("USERS"));
    EXPECT_TRUE(finder->mainButtons.value(QStringLiteral("USERS"))->isChecked());
    EXPECT_FALSE(finder->mainButtons.value(QStringLiteral("SIMPLE"))->isChecked());
    finder->remote().RemoteOp(Finding::FinderRemote::Prepare, QStringLiteral("NOCF"), QString());
    EXPECT_TRUE(finder->mainButtons.value(QStringLiteral("SIMPLE"))->isChecked());
}

// The main window disables itself (and so the finder, its child) for a long
// step and enables itself again after it: BACK stays as the history has it.
TEST_F(FindWindowTest, BackKeepsItsStateWhenTheMainWindowIsEnabledAgain)
{
    QWidget mainWindow;
    finder.reset(new frm_Find(&mainWindow));
    finder->setAttribute(Qt::WA_DeleteOnClose, false);
    QAction* back = finder->mainButtons.value(QStringLiteral("BACK"));
    const auto searchThenBusy = [&](const QString& clue) {
        finder->txt_Clue->setText(clue);
        QTest::keyClick(finder->txt_Clue, Qt::Key_Return);
        mainWindow.setEnabled(false);
        mainWindow.setEnabled(true);
    };
    searchThenBusy(QStringLiteral("Smi"));
    EXPECT_FALSE(back->isEnabled());
    EXPECT_FALSE(finder->tbr_Main->widgetForAction(back)->isEnabled());
    searchThenBusy(QStringLiteral("Jon"));
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(back->menu<QMenu*>()->actions().size(), 1);
    finder.reset(); // before its parent
}
